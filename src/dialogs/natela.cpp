#include "dialogs/natela.h"

#include <QScreen>
#include <QWidget>

void centrarNaTela(QWidget& janela) {
    const QWidget* dono = janela.parentWidget() != nullptr ? janela.parentWidget()->window() : &janela;
    if (const QScreen* tela = dono->screen())
        janela.move(tela->availableGeometry().center() - janela.frameGeometry().center() + janela.pos());
}
