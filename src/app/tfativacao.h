#pragma once

#include "nucleo/caminhosat.h"
#include "nucleo/estado.h"
#include "nucleo/interacao.h"
#include "nucleo/servicos.h"
#include "sat/funcoessat.h"
#include "settings/parameterstore.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <memory>

#include <optional>

class BloqueioDeEntrada;
class QLabel;
class QTimer;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class TFMSefaz;
class TFValida;

// The main window: the side bar, the page area and the status bar. It builds the
// pages from one table and gives them the console's services; it watches the road
// of device calls to show the waiting state and each answer.
class TFAtivacao final : public QMainWindow, public ServicosDaPagina, private ObservadorDoCaminho {
    Q_OBJECT
public:
    struct Opcoes {
        // Where SAT_x64.DLL (else SAT.DLL) is looked for: the executable's folder.
        QString pastaDoExecutavel;
        // A library linked into the program: when given, no file is looked for.
        std::optional<sat::FuncoesSAT> funcoes;
        // The parameter store's file: Parametros.xml in the working directory.
        QString arquivoParametros = settings::ParameterStore::defaultPath();
        // The library helper (sat-host) that holds a library loaded from a file: by
        // default the one beside this program. Where there is none, the library is
        // loaded into the console itself.
        QString hospedeiro = QString();
    };

    TFAtivacao(Interacao& ui, Opcoes opcoes, QWidget* parent = nullptr);
    ~TFAtivacao() override;

    // True when start-up found no library or could not read the parameter store: the
    // program ends instead of showing the window.
    bool terminacaoSolicitada() const { return terminacaoSolicitada_; }

    // End of a normal run: writes the parameter store back when it changed or its file
    // is missing; tells the user when that fails (the old file then stays as it was).
    void gravarParametros();

    // --- What the pages use ----------------------------------------------------------

    CaminhoSat& caminho() override { return caminho_; }
    Interacao& ui() override { return ui_; }
    settings::ParameterStore& cds() override { return cds_; }
    EstadoConsole& estado() override { return estado_; }
    QString pastaDoExecutavel() const override { return opcoes_.pastaDoExecutavel; }
    void mostrastatus(const QByteArray& mensagem) override;
    void MostraMSefaz(const QByteArrayList& campos) override;
    void mostrarValida() override;
    void selecionarPagina(int indice) override;
    QPushButton* botaoLateral(const QString& nome) override;
    QWidget& janelaPrincipal() override { return *this; }
    void protegido(const std::function<void()>& comando) override;

    // Status text and hourglass, painted before the blocking library call; then back.
    void CursorWait();
    void CursorDefault();

    // --- Start-up --------------------------------------------------------------------

    // Loads the SAT library `nome` from the executable's folder and binds its entry
    // points; on failure tells the user (with the loader's reason) and returns false.
    bool CarregaDLL(const QString& nome);
    // The file version of a program or library file; throws std::runtime_error when it
    // cannot be read.
    static QString GetEXEVersionData(const QString& arquivo);


private:
    void criarJanela();
    void criarPaginas(QWidget* barraLateral);
    void FormCreate();
    void BtnSairClick();

    void antesDaChamada() override;
    void depoisDaChamada(const QString& numsessao, const QByteArray& retorno) override;
    void mostrarTempoDeEspera();
    void perguntarSeInterrompe();
    // The version label's tooltip: for a 32-bit library, the helper that serves it and
    // the calling convention its entry points showed (known from the first call on).
    void mostrarConvencao();

protected:
    void closeEvent(QCloseEvent* evento) override;

private:

    Interacao& ui_;
    Opcoes opcoes_;
    EstadoConsole estado_;
    CaminhoSat caminho_;
    settings::ParameterStore cds_;
    bool terminacaoSolicitada_ = false;
    // The helper that holds the library ("": none, it is in this process); whether the
    // library loaded is a 32-bit DLL.
    QString hospedeiro_;
    bool biblioteca32_ = false;

    QStackedWidget* PageControl = nullptr;
    QLabel* painelStatus_ = nullptr;
    QLabel* lblVersaoDLL_ = nullptr;
    QLineEdit* Edit1 = nullptr;
    // While a call is out: the time it has taken, and the input it keeps away.
    QElapsedTimer inicioDaChamada_;
    QTimer* relogioDaEspera_ = nullptr;
    std::unique_ptr<BloqueioDeEntrada> bloqueio_;
    bool perguntando_ = false;
    TFValida* FValida = nullptr;
    TFMSefaz* FMSefaz = nullptr;
};
