#include "app/aplicacao.h"

#include <QMessageBox>

#include <exception>

const QString Aplicacao::titulo = QStringLiteral("Duvra - Programa de Ativação S@T");

Aplicacao::Aplicacao(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("ativacao-sat"));
    setApplicationDisplayName(titulo);
    setApplicationVersion(QStringLiteral(SATCONSOLE_VERSION));
    // The windows were laid out for Tahoma 8; where it is missing, a font of similar
    // widths keeps the side-bar captions inside their buttons.
    QFont fonte;
    fonte.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    fonte.setStyleHint(QFont::SansSerif);
    fonte.setPointSize(8);
    setFont(fonte);
}

bool Aplicacao::notify(QObject* receptor, QEvent* evento) {
    QString texto;
    try {
        return QApplication::notify(receptor, evento);
    } catch (const std::exception& e) {
        texto = QString::fromUtf8(e.what());
    } catch (...) {
        texto = QStringLiteral("Erro inesperado.");
    }
    QMessageBox::critical(activeWindow(), titulo, texto);
    return false;
}
