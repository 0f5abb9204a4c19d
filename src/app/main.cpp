// Start-up order: the settings files, the windows, then the window loop.
#include "app/aplicacao.h"
#include "app/interacao.h"
#include "app/tfativacao.h"
#include "platform/platform.h"

int main(int argc, char* argv[]) {
    Aplicacao app(argc, argv);

    InteracaoQt ui;
    TFAtivacao FAtivacao(ui, {QString::fromStdString(platform::pastaDoExecutavel()), std::nullopt});
    ui.definirJanela(&FAtivacao);
    if (FAtivacao.terminacaoSolicitada())
        return 0;

    FAtivacao.show();
    return Aplicacao::exec();
}
