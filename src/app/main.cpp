// Start-up order: the settings files, the windows, then the window loop.
#include "app/aplicacao.h"
#include "app/interacao.h"
#include "app/tfativacao.h"
#include "platform/platform.h"

#include <QScreen>

int main(int argc, char* argv[]) {
    Aplicacao app(argc, argv);

    InteracaoQt ui;
    TFAtivacao FAtivacao(ui, {QString::fromStdString(platform::pastaDoExecutavel()), std::nullopt});
    ui.definirJanela(&FAtivacao);
    if (FAtivacao.terminacaoSolicitada())
        return 0;

    // Centred on the screen when first shown.
    if (const QScreen* tela = FAtivacao.screen())
        FAtivacao.move(tela->availableGeometry().center() - FAtivacao.frameGeometry().center() + FAtivacao.pos());
    FAtivacao.show();
    return Aplicacao::exec();
}
