// POSIX half of the platform layer, what a desktop does: a message box, opening a
// file with its program (through Qt).
#include "platform/platform.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace platform {

void caixaDeMensagemSemDono(const std::string& titulo, const std::string& texto) {
    QMessageBox caixa(QMessageBox::NoIcon, QString::fromStdString(titulo), QString::fromStdString(texto),
                      QMessageBox::Ok);
    caixa.exec();
}

void abrirComProgramaAssociado(const std::string& alvo) {
    const QString texto = QString::fromStdString(alvo);
    const QUrl url = QUrl(texto, QUrl::StrictMode);
    QDesktopServices::openUrl(url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1
                                  ? url
                                  : QUrl::fromLocalFile(texto));
}

} // namespace platform
