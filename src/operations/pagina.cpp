#include "operations/pagina.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace pagina {

void preparar(QWidget* pagina, const char* nome) {
    pagina->setObjectName(QString::fromLatin1(nome));
    pagina->setAutoFillBackground(true);
    QPalette paleta = pagina->palette();
    paleta.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    pagina->setPalette(paleta);
    auto* layout = new QVBoxLayout(pagina);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

QLabel* criarPainelTitulo(QWidget* pagina, const char* nome, const QString& titulo) {
    auto* painel = new QLabel(titulo, pagina);
    painel->setObjectName(QString::fromLatin1(nome));
    painel->setFixedHeight(25);
    painel->setAlignment(Qt::AlignCenter);
    painel->setAutoFillBackground(true);
    painel->setStyleSheet(QStringLiteral("QLabel { background-color: #808080; color: white; font-family: Tahoma; "
                                         "font-weight: bold; font-size: 16px; }"));
    auto* layout = static_cast<QVBoxLayout*>(pagina->layout());
    layout->insertWidget(0, painel);
    layout->addStretch(1);
    return painel;
}

QLineEdit* criarEditRotulado(QWidget* pagina, const char* nome, const QString& rotulo, QPoint posicao, int largura) {
    auto* edit = new QLineEdit(pagina);
    edit->setObjectName(QString::fromLatin1(nome));
    edit->setGeometry(posicao.x(), posicao.y(), largura, 21);
    auto* label = new QLabel(rotulo, pagina);
    label->setObjectName(edit->objectName() + QStringLiteral("Label"));
    label->setGeometry(posicao.x(), posicao.y() - 17, largura + 60, 16);
    label->setBuddy(edit);
    return edit;
}

QLineEdit* criarEditCodigo(QWidget* pagina, const char* nome, const QString& rotulo, QPoint posicao, int largura) {
    QLineEdit* edit = criarEditRotulado(pagina, nome, rotulo, posicao, largura);
    edit->setMaxLength(32);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }")); // "*"
    return edit;
}

QLabel* rotuloDe(QLineEdit* edit) {
    return edit->parentWidget()->findChild<QLabel*>(edit->objectName() + QStringLiteral("Label"),
                                                    Qt::FindDirectChildrenOnly);
}

} // namespace pagina
