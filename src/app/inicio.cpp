#include "app/inicio.h"

#include "app/aplicacao.h"
#include "app/interacaoqt.h"
#include "app/tfativacao.h"
#include "dialogs/natela.h"
#include "platform/platform.h"
#include "settings/checkconfigs.h"

int executarConsole(int& argc, char** argv, const std::function<void(TFAtivacao&)>& aoMostrar) {
    Aplicacao app(argc, argv);
    InteracaoQt ui;
    const QString pasta = QString::fromStdString(platform::pastaDoExecutavel());

    // Before any window exists, so its messages appear on their own.
    settings::CheckConfigs(pasta, [&ui](const QString& mensagem) { ui.mensagem(mensagem); });

    TFAtivacao FAtivacao(ui, {pasta, std::nullopt});
    ui.definirJanela(&FAtivacao);
    if (FAtivacao.terminacaoSolicitada()) {
        FAtivacao.gravarParametros();
        return 0;
    }

    // Centred on the screen when first shown.
    centrarNaTela(FAtivacao);
    FAtivacao.show();
    if (aoMostrar)
        aoMostrar(FAtivacao);
    const int resultado = Aplicacao::exec();
    FAtivacao.gravarParametros();
    return resultado;
}
