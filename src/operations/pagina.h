#pragma once

#include <QPoint>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// The look every page shares: a silver page with a grey title panel across its top.
// Controls are placed at their design positions; the title panel and bottom bars
// follow the page's width through the page's layout.
namespace pagina {

void preparar(QWidget* pagina, const char* nome);

// The grey title panel with white bold text.
QLabel* criarPainelTitulo(QWidget* pagina, const char* nome, const QString& titulo);

// An edit with its caption above it, as a labelled edit shows it; the caption is the
// edit's buddy and is named after it with the suffix "Label".
QLineEdit* criarEditRotulado(QWidget* pagina, const char* nome, const QString& rotulo, QPoint posicao, int largura);

// A code edit: at most 32 characters, each shown as "*".
QLineEdit* criarEditCodigo(QWidget* pagina, const char* nome, const QString& rotulo, QPoint posicao, int largura);

// The caption of a labelled edit.
QLabel* rotuloDe(QLineEdit* edit);

} // namespace pagina
