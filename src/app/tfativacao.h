#pragma once

#include "app/estado.h"
#include "app/interacao.h"
#include "platform/codepage.h"
#include "sat/bibliotecasat.h"
#include "sat/resposta.h"
#include "settings/parameterstore.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMainWindow>

#include <functional>
#include <optional>
#include <tuple>

class QLabel;
class QPushButton;
class QStackedWidget;
class TabAtivar;
class TabCodAtiva;
class TabDuvra;
class TabStatus;
class TFMSefaz;
class TFValida;

// The main window: the side bar, the page area, the status bar, and the services
// every page uses to reach the device and the user.
class TFAtivacao final : public QMainWindow {
    Q_OBJECT
public:
    struct Opcoes {
        // Where SAT_x64.DLL (else SAT.DLL) is looked for: the executable's folder.
        QString pastaDoExecutavel;
        // A library linked into the program: when given, no file is looked for.
        std::optional<sat::FuncoesSAT> funcoes;
        // The parameter store's file: Parametros.xml in the working directory.
        QString arquivoParametros = settings::ParameterStore::defaultPath();
    };

    TFAtivacao(Interacao& ui, Opcoes opcoes, QWidget* parent = nullptr);
    ~TFAtivacao() override;

    // True when start-up found no library or could not read the parameter store: the
    // program ends instead of showing the window.
    bool terminacaoSolicitada() const { return terminacaoSolicitada_; }

    // End of a normal run: writes the parameter store back when it changed or its file
    // is missing; tells the user when that fails (the old file then stays as it was).
    void gravarParametros();

    // --- Services of the pages -------------------------------------------------------

    EstadoConsole& estado() { return estado_; }
    Interacao& ui() { return ui_; }
    settings::ParameterStore& cds() { return cds_; }

    // Status text and hourglass, painted before the blocking library call.
    void CursorWait();
    void CursorDefault();
    // Echoes an answer (decoded, cut to 110 characters) in the status bar.
    void mostrastatus(const QByteArray& mensagem);
    // Shows the answer's SEFAZ message, if it has one, in the SEFAZ window.
    void MostraMSefaz(const QByteArrayList& campos);

    // One library call, the way every operation makes it: status text and hourglass,
    // a new session number, the call with that number first and the text arguments
    // in the 8-bit code page, the answer copied into retorno, normal pointer, the
    // session box and the status bar updated. Returns true when there is an answer
    // for the operation to read. Returns false, after telling the user, when no
    // library is bound or it lacks this entry point (nothing was called), or when the
    // library answered a null pointer (retorno is then empty).
    template <typename Funcao, typename... Argumentos>
    bool chamar(Funcao sat::FuncoesSAT::*slot, const Argumentos&... argumentos);

    // Shows the activation-code prompt modally; afterwards estado().cancelado is 0 when
    // the user confirmed, and estado().codigoativacao holds the trimmed code.
    void mostrarValida();

    void selecionarPagina(int indice);
    QPushButton* botaoLateral(const QString& nome) const;

    // Runs a command; an error it does not handle is shown with its own text and the
    // window goes on. No exception ever reaches Qt's event loop.
    void protegido(const std::function<void()>& comando);
    // Connects a button's click to a command run under protegido().
    void aoClicar(QAbstractButton* botao, std::function<void()> comando);

    // --- Start-up --------------------------------------------------------------------

    // Loads the SAT library `nome` from the executable's folder and binds its entry
    // points; on failure tells the user (with the loader's reason) and returns false.
    bool CarregaDLL(const QString& nome);
    // The file version of a program or library file; throws std::runtime_error when it
    // cannot be read.
    static QString GetEXEVersionData(const QString& arquivo);

private:
    void criarJanela();
    void ligarBarraLateral();
    void FormCreate();
    void BtnSairClick();
    void avisarSemFuncao(const char* nome);
    void avisarSemResposta(const char* nome);

    template <typename T>
    static decltype(auto) argumentoSAT(const T& valor) {
        if constexpr (std::is_same_v<T, QString>)
            return platform::toAnsi(valor);
        else
            return static_cast<int>(valor);
    }
    static const char* ponteiroSAT(const QByteArray& texto) { return texto.constData(); }
    static int ponteiroSAT(int valor) { return valor; }

    Interacao& ui_;
    Opcoes opcoes_;
    EstadoConsole estado_;
    sat::BibliotecaSat biblioteca_;
    settings::ParameterStore cds_;
    bool terminacaoSolicitada_ = false;

    QStackedWidget* PageControl = nullptr;
    QLabel* painelStatus_ = nullptr;
    QLineEdit* Edit1 = nullptr;
    TabDuvra* tabDuvra_ = nullptr;
    TabCodAtiva* tabCodAtiva_ = nullptr;
    TabAtivar* tabAtivar_ = nullptr;
    TabStatus* tabStatus_ = nullptr;
    TFValida* FValida = nullptr;
    TFMSefaz* FMSefaz = nullptr;
};

template <typename Funcao, typename... Argumentos>
bool TFAtivacao::chamar(Funcao sat::FuncoesSAT::*slot, const Argumentos&... argumentos) {
    const char* nome = sat::nomeDaFuncao(slot);
    const Funcao funcao = biblioteca_.funcoes().*slot;
    if (funcao == nullptr) {
        avisarSemFuncao(nome);
        return false;
    }
    // Converted before the call and kept alive through it: the library reads the texts
    // during the call only.
    const auto convertidos = std::make_tuple(argumentoSAT(argumentos)...);

    CursorWait();
    estado_.numsessao = estado_.sessoes.geranumsessao();
    const char* resposta = std::apply(
        [&](const auto&... a) { return funcao(estado_.numsessao.toInt(), ponteiroSAT(a)...); }, convertidos);
    // The library owns its answer buffer and may reuse it at the next call: copy it now.
    estado_.retorno = resposta != nullptr ? QByteArray(resposta) : QByteArray();
    CursorDefault();

    if (Edit1 != nullptr)
        Edit1->setText(estado_.numsessao);
    mostrastatus(estado_.retorno);
    if (resposta == nullptr) {
        avisarSemResposta(nome);
        return false;
    }
    return true;
}
