#include "widgets/pagina.h"
#include "widgets/paginabase.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QShortcut>
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
    // Palette and font rather than a style sheet: every style sheet costs start-up time.
    QPalette paleta = painel->palette();
    paleta.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    paleta.setColor(QPalette::WindowText, Qt::white);
    painel->setPalette(paleta);
    QFont fonte = painel->font();
    fonte.setBold(true);
    fonte.setPixelSize(16);
    painel->setFont(fonte);
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

QLineEdit* criarEditCodigo(QWidget* pagina, const char* nome, const QString& rotulo, QPoint posicao, int largura,
                           int limite) {
    QLineEdit* edit = criarEditRotulado(pagina, nome, rotulo, posicao, largura);
    if (limite > 0)
        edit->setMaxLength(limite);
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

FormaDeEnvio criarFormaDeEnvio(QWidget* pagina, QPoint lugar) {
    auto* caixa = new QGroupBox(QStringLiteral("Forma de envio:"), pagina);
    caixa->setObjectName(QStringLiteral("rgAssinatura"));
    caixa->setGeometry(QRect(lugar, QSize(254, 49)));
    auto* itens = new QButtonGroup(caixa);
    auto* colunas = new QHBoxLayout(caixa);
    colunas->setContentsMargins(8, 2, 8, 2);
    int item = 0;
    for (const QString& forma : {QStringLiteral("Texto"), QStringLiteral("Arquivo")}) {
        auto* opcao = new QRadioButton(forma, caixa);
        opcao->setObjectName(QStringLiteral("rgAssinaturaItem%1").arg(item));
        itens->addButton(opcao, item++);
        colunas->addWidget(opcao, 1);
    }
    itens->button(0)->setChecked(true);
    return {caixa, itens};
}

QLabel* criarAviso(QWidget* pagina, const char* nome, const QStringList& linhas) {
    // A label, not a text editor: it has nothing to edit or select, and a text
    // document for a few fixed lines costs start-up time on every page.
    auto* aviso = new QLabel(linhas.join(u'\n'), pagina);
    aviso->setObjectName(QString::fromLatin1(nome));
    aviso->setFocusPolicy(Qt::NoFocus);
    aviso->setTextFormat(Qt::PlainText);
    aviso->setAlignment(Qt::AlignCenter);
    aviso->setFixedHeight(66);
    aviso->setFont(fonteFixa(12));
    QPalette paleta = aviso->palette();
    paleta.setColor(QPalette::WindowText, QColor(0, 128, 0));
    aviso->setPalette(paleta);
    static_cast<QVBoxLayout*>(pagina->layout())->addWidget(aviso);
    return aviso;
}

QString familiaInstalada(const QStringList& preferidas) {
    for (const QString& familia : preferidas)
        if (QFontDatabase::hasFamily(familia))
            return familia;
    return {};
}

QFont fonteFixa(int pixels) {
    // Looked up once: a family the system lacks sends every use of the font through
    // the font system's whole fallback search.
    static const QString familia = familiaInstalada(
        {QStringLiteral("Lucida Console"), QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    QFont fonte;
    if (!familia.isEmpty())
        fonte.setFamily(familia);
    fonte.setStyleHint(QFont::Monospace);
    fonte.setFixedPitch(true);
    fonte.setPixelSize(pixels);
    return fonte;
}

void definirBotaoPadrao(QWidget* pagina, QPushButton* botao) {
    // A shortcut rather than each edit's returnPressed: a masked edit sends that only
    // when its input is complete, and lists and check boxes never do. The shortcut
    // takes the key before any widget sees it, so it also stands in for a button
    // that has the focus: the user who tabbed onto "Desativar" or "..." and pressed
    // Enter meant that button, not the page's default one.
    for (const QKeySequence& tecla : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* atalho = new QShortcut(tecla, pagina);
        atalho->setContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(atalho, &QShortcut::activated, botao, [pagina, botao] {
            auto* focado = qobject_cast<QPushButton*>(QApplication::focusWidget());
            QPushButton* alvo = focado != nullptr && pagina->isAncestorOf(focado) ? focado : botao;
            if (alvo->isEnabled())
                alvo->click();
        });
    }
}

void Base::showEvent(QShowEvent* evento) {
    QWidget::showEvent(evento);
    if (!evento->spontaneous()) // not when the window comes back from the task bar
        aoMostrar();
}

} // namespace pagina
