#include "app/aplicacao.h"

#include "widgets/pagina.h"

#include <QMessageBox>

#include <exception>

const QString Aplicacao::titulo = QStringLiteral("Duvra - Programa de Ativação S@T");

Aplicacao::Aplicacao(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("ativacao-sat"));
    setApplicationVersion(QStringLiteral(SATCONSOLE_VERSION));
    // The windows were laid out for Tahoma 8; where it is missing, a font of similar
    // widths keeps the side-bar captions inside their buttons.
    // Only a family the system has: a missing one sends every text through the font
    // system's fallback search.
    QFont fonte;
    if (const QString familia = pagina::familiaInstalada(
            {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
        !familia.isEmpty())
        fonte.setFamily(familia);
    fonte.setStyleHint(QFont::SansSerif);
    fonte.setPointSize(8);
    setFont(fonte);

    // The pages are silver: the style's light grey for disabled text would vanish on
    // them, so disabled captions are a darker grey that stays readable.
    QPalette paleta = palette();
    for (const QPalette::ColorRole papel : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        paleta.setColor(QPalette::Disabled, papel, QColor(0x70, 0x70, 0x70));
    setPalette(paleta);
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
