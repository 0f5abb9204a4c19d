#include "operations/pagina.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextEdit>
#include <QTextCursor>
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

QLineEdit* criarEditCNPJ(QWidget* pagina, const char* nome, QPoint posicao, int largura) {
    auto* edit = new QLineEdit(pagina);
    edit->setObjectName(QString::fromLatin1(nome));
    edit->setGeometry(posicao.x(), posicao.y(), largura, 21);
    edit->setInputMask(QStringLiteral("99.999.999/9999-99;_"));
    return edit;
}

QString digitos(const QLineEdit* edit) {
    QString valor;
    for (QChar c : edit->text())
        if (c.isDigit())
            valor += c;
    return valor;
}

QTextEdit* criarAviso(QWidget* pagina, const char* nome, const QStringList& linhas) {
    auto* aviso = new QTextEdit(pagina);
    aviso->setObjectName(QString::fromLatin1(nome));
    aviso->setReadOnly(true);
    aviso->setFocusPolicy(Qt::NoFocus);
    aviso->setFixedHeight(66);
    aviso->setFont(fonteFixa(12));
    aviso->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    aviso->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette paleta = aviso->palette();
    paleta.setColor(QPalette::Text, QColor(0, 128, 0));
    paleta.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
    aviso->setPalette(paleta);
    aviso->setPlainText(linhas.join(u'\n'));
    aviso->selectAll();
    aviso->setAlignment(Qt::AlignCenter);
    aviso->setTextCursor(QTextCursor(aviso->document()));
    static_cast<QVBoxLayout*>(pagina->layout())->addWidget(aviso);
    return aviso;
}

QFont fonteFixa(int pixels) {
    QFont fonte;
    fonte.setFamilies({QStringLiteral("Lucida Console"), QStringLiteral("Liberation Mono"),
                       QStringLiteral("DejaVu Sans Mono")});
    fonte.setStyleHint(QFont::Monospace);
    fonte.setFixedPitch(true);
    fonte.setPixelSize(pixels);
    return fonte;
}

void definirBotaoPadrao(QWidget* pagina, QPushButton* botao) {
    // A shortcut rather than each edit's returnPressed: a masked edit sends that only
    // when its input is complete, and lists and check boxes never do.
    for (const QKeySequence& tecla : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* atalho = new QShortcut(tecla, pagina);
        atalho->setContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(atalho, &QShortcut::activated, botao, [botao] {
            if (botao->isEnabled())
                botao->click();
        });
    }
}

} // namespace pagina
