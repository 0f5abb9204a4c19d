#pragma once

#include <QHash>
#include <QString>

class QPlainTextEdit;

// A read-only memo used as a list of lines, as the log page fills and saves it.
//
// Lines end at a line feed; a text that ends with one has no empty line after it, and
// carriage returns just before a line feed (or at the very end of the text) belong to
// the line break, as devices may end their lines with CR LF. A carriage return
// anywhere else stays in its line.
//
// What the widget lays out is not always the line itself: a line longer than
// limiteDeLinha is shown by its start and its length, and a character that would make
// the widget start a new line inside a line (a carriage return, U+2028, U+2029, Qt's
// frame marks) is shown as a visible sign. Such lines are kept whole beside the widget,
// so saving writes every line exactly as it came.
//
// The text is handed to the widget at once: a log of tens of megabytes costs one
// pass over it and one fill of the widget, never a call per line.
class MemoDeLinhas {
public:
    explicit MemoDeLinhas(QPlainTextEdit* memo) : memo_(memo) {}

    QPlainTextEdit* memo() const { return memo_; }

    // No lines at all.
    void esvaziar();
    // Replaces the lines by those of texto (taken by value: a text handed over with
    // std::move is worked on in place, without a copy).
    void definirTexto(QString texto);

    // The work definirTexto does before the widget's own: what the widget is given
    // (lines joined by line feeds) and what is kept beside it.
    struct Preparado {
        QString exibido;
        qsizetype linhas = 0;
        QHash<qsizetype, QString> inteiras;
    };
    static Preparado preparar(QString texto);

    qsizetype linhas() const { return linhas_; }
    // Line i as it came, also when the widget shows it otherwise.
    QString linha(qsizetype i) const;

    // Puts the caret after the last line and scrolls it into view.
    void rolarAteOFim();

    // Writes every line followed by CR LF, in the 8-bit code page, streaming: the file
    // is replaced only when all of it was written (where the folder lets a temporary
    // file be made beside it). False, with the reason in *motivo, when it could not be.
    bool gravar(const QString& caminho, QString* motivo = nullptr) const;

private:
    QPlainTextEdit* memo_;
    qsizetype linhas_ = 0;
    // The lines the widget shows otherwise than they are, by line number.
    QHash<qsizetype, QString> inteiras_;
};
