#pragma once

#include <QString>

class QDialog;
class QWidget;

// What the road of device calls has to tell the user: that an entry point is missing,
// that the library gave no answer or stopped. The window shows it in a message box; the
// command line writes it to standard error.
class Avisos {
public:
    virtual ~Avisos() = default;

    // A plain message: in the window, one OK button and the application title as caption.
    virtual void mensagem(const QString& texto) = 0;
};

// Everything the console asks of the user or the desktop goes through here, so that
// tests can answer from a script instead of a real modal loop.
class Interacao : public Avisos {
public:
    // A question with OK and Cancel; true only for OK.
    virtual bool confirmar(const QString& texto) = 0;
    // An error no operation handled, with its own text; the console goes on after it.
    virtual void erro(const QString& texto) = 0;
    // A message with no owner window and no icon (the library could not be loaded).
    virtual void mensagemSemDono(const QString& titulo, const QString& texto) = 0;
    // Shows a dialog modally and returns its result code.
    virtual int executar(QDialog& dialogo) = 0;
    // File dialogs; an empty text when the user cancels. The save dialog only chooses
    // a name and does not ask before an existing file is named.
    virtual QString arquivoParaAbrir(const QString& titulo, const QString& filtro) = 0;
    virtual QString arquivoParaSalvar(const QString& titulo, const QString& filtro,
                                      const QString& nomeSugerido) = 0;
    // Opens a file or an address with its associated program.
    virtual void abrirComProgramaAssociado(const QString& alvo) = 0;
};
