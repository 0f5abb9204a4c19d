#pragma once

#include <QFont>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <exception>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The look every page shares: a silver page with a grey title panel across its top.
// Controls are placed at their design positions; the title panel and bottom bars
// follow the page's width through the page's layout.
namespace pagina {

void preparar(QWidget* pagina, const char* nome);

// The grey title panel with white bold text, followed by a stretch that keeps bottom
// bars at the bottom of the page.
QLabel* criarPainelTitulo(QWidget* pagina, const char* nome, const QString& titulo);

// An edit with its caption above it, as a labelled edit shows it; the caption is the
// edit's buddy and is named after it with the suffix "Label".
QLineEdit* criarEditRotulado(QWidget* pagina, const char* nome, const QString& rotulo, QPoint posicao, int largura);

// The most characters that the boxes for a code being set or checked take: those of
// the activation page, the code-change page and the code prompt.
constexpr int limiteDoCodigo = 32;

// A code edit, each character shown as "*". Its length is capped only when `limite`
// is given: elsewhere the command trims the code before measuring it, and a cap would
// cut a pasted code with blanks around it before the trim, sending a wrong code.
QLineEdit* criarEditCodigo(QWidget* pagina, const char* nome, const QString& rotulo, QPoint posicao, int largura,
                           int limite = 0);

// The caption of a labelled edit.
QLabel* rotuloDe(QLineEdit* edit);

// A CNPJ edit: the mask shows the punctuation, the value is the 14 digits.
QLineEdit* criarEditCNPJ(QWidget* pagina, const char* nome, QPoint posicao, int largura);
QString digitos(const QLineEdit* edit);

// The signature's "Forma de envio:" box, rgAssinatura, 254 × 49 at `lugar`: "Texto"
// (button 0, checked) and "Arquivo" (button 1) side by side, each in half of it, as
// rgAssinaturaItem0 and rgAssinaturaItem1. The association page and the production
// test's dialog ask for the signature alike.
struct FormaDeEnvio {
    QGroupBox* caixa;
    QButtonGroup* itens;
};
FormaDeEnvio criarFormaDeEnvio(QWidget* pagina, QPoint lugar);

// The green warning along the bottom of a page, its lines centred; not a keyboard stop.
QLabel* criarAviso(QWidget* pagina, const char* nome, const QStringList& linhas);

// The first of the families that the system has, or "" when it has none of them.
QString familiaInstalada(const QStringList& preferidas);

// The fixed-pitch font of the memos ("Lucida Console", or the closest the system has).
QFont fonteFixa(int pixels);

// Makes Return (and Enter) anywhere in the page press its default button while it is
// enabled, as a page (unlike a dialog) has no default button of its own; on another
// button of the page that has the focus, they press that one, as in a dialog.
void definirBotaoPadrao(QWidget* pagina, QPushButton* botao);

// Runs the steps that read an answer. A failure among them (a field the answer does
// not have, data that does not decode) ends them without a message: the device's
// answer is already echoed in the status bar.
template <typename Passos>
void ignorarFalhas(Passos&& passos) {
    try {
        passos();
    } catch (const std::exception&) {
    }
}

} // namespace pagina
