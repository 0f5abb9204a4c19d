#pragma once

#include <functional>
#include <QByteArrayList>
#include <QString>

class CaminhoSat;
class Interacao;
class QAbstractButton;
class QPushButton;
class QWidget;
struct EstadoConsole;

namespace settings {
class ParameterStore;
}

// The console's pages, in the order of the page area: the value is the page's index
// in PageControl, which the pages' object names and the tests rely on.
enum class Pagina {
    TabDuvra,
    TabCodAtiva,
    TabAtivar,
    TabAssocAss,
    TabBloq,
    TabTeste,
    TabConfRede,
    TabCSR,
    TabStatus,
    TabLog,
    TavAtualizaSW,
};

// What a page may use of the console: the road of device calls, the user, the
// parameter store, the prompt values, the SEFAZ window, the code prompt, page
// selection, the side-bar buttons and the error guard. The main window provides it;
// pages never see the window itself.
class ServicosDaPagina {
public:
    virtual CaminhoSat& caminho() = 0;
    virtual Interacao& ui() = 0;
    virtual settings::ParameterStore& cds() = 0;
    // codigoativacao and cancelado, which the code prompt fills.
    virtual EstadoConsole& estado() = 0;
    // The executable's folder, where the files kept beside the program (ConfRede.xml,
    // CFe.xml) live.
    virtual QString pastaDoExecutavel() const = 0;

    // Echoes an answer (decoded, cut to 110 characters) in the status bar; an empty
    // text clears it.
    virtual void mostrastatus(const QByteArray& mensagem) = 0;
    // Shows the answer's SEFAZ message, if it has one, in the SEFAZ window.
    virtual void MostraMSefaz(const QByteArrayList& campos) = 0;
    // Shows the activation-code prompt modally; afterwards estado().cancelado is 0 when
    // the user confirmed, and estado().codigoativacao holds the trimmed code.
    virtual void mostrarValida() = 0;

    virtual void selecionarPagina(Pagina pagina) = 0;
    virtual QPushButton* botaoLateral(const QString& nome) = 0;
    // The top-level window, to bring it forward or repaint it after a long call.
    virtual QWidget& janelaPrincipal() = 0;

    // Runs a command; an error it does not handle is shown with its own text and the
    // window goes on. No exception ever reaches Qt's event loop.
    virtual void protegido(const std::function<void()>& comando) = 0;
    // Connects a button's click to a command run under protegido().
    void aoClicar(QAbstractButton* botao, std::function<void()> comando);

protected:
    ~ServicosDaPagina() = default;
};
