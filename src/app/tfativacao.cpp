#include "app/tfativacao.h"

#include "app/bloqueiodeentrada.h"

#include "dialogs/tfmsefaz.h"
#include "core/carga.h"
#include "dialogs/tfvalida.h"
#include "widgets/pagina.h"
#include "pages/tabassocass.h"
#include "pages/tabativar.h"
#include "pages/tabbloq.h"
#include "pages/tabcodativa.h"
#include "pages/tabconfrede.h"
#include "pages/tabduvra.h"
#include "pages/tablog.h"
#include "pages/tabstatus.h"
#include "pages/tabteste.h"
#include "pages/tavatualizasw.h"
#include "platform/diagnostico.h"
#include "platform/platform.h"
#include "sat/resposta.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>

#include <array>
#include <exception>

namespace {

constexpr int larguraBarraLateral = 132;

struct BotaoLateral {
    const char* nome;
    const char* legenda;
    int topo;
};

// Top to bottom, as the side bar shows them; "Sair" comes before "SuperLog" in the
// keyboard order.
constexpr BotaoLateral botoesLaterais[] = {
    {"BtnPrincipal", "SAT - BRISEL", 0},
    {"BtnConfRede", "Config. da Rede", 28},
    {"BtnAtivacao", "Ativação do SAT", 56},
    {"BtnAssocAssin", "Associar Aplic. Comercial", 84},
    {"BtnTestefimafim", "Testes", 112},
    {"BitBtnStatus", "Status", 140},
    {"BitLogs", "Extrair Logs", 168},
    {"BtnCodAtivacao", "Trocar Cód. Ativação", 196},
    {"BtnBloquearSAT", "Bloquear/Desbloquear", 224},
    {"BitAtualizaSW", "Atualizar SW Básico", 252},
    {"BtnSair", "Sair", 376},
    {"BitSuperLog", "SuperLog", 347},
};

// --- The table of pages ---------------------------------------------------------------

// What a side-bar button does: a command of its page.
struct Ligacao {
    const char* botao = nullptr;
    void (*comando)(QWidget& pagina) = nullptr;
};

struct LinhaDePagina {
    Pagina pagina;
    QWidget* (*criar)(ServicosDaPagina& servicos);
    std::array<Ligacao, 2> botoes;
};

template <typename Classe>
QWidget* criar(ServicosDaPagina& servicos) {
    return new Classe(servicos);
}

template <typename>
struct ClasseDoComando;
template <typename Classe>
struct ClasseDoComando<void (Classe::*)()> {
    using Tipo = Classe;
};

// The page's own method for the button, e.g. comando<&TabAtivar::BtnAtivacaoClick>.
template <auto Metodo>
void comando(QWidget& pagina) {
    (static_cast<typename ClasseDoComando<decltype(Metodo)>::Tipo&>(pagina).*Metodo)();
}

// TabCSR is never selected and holds nothing but its frame: it is there because the
// pages after it keep their places, and their object names, in the page area.
QWidget* criarTabCSR(ServicosDaPagina&) {
    auto* pagina = new QWidget;
    pagina::preparar(pagina, "TabCSR");
    pagina::criarPainelTitulo(pagina, "Panel9", QString());
    return pagina;
}

// The one place that names the pages: each with the side-bar buttons that lead to it
// and what they do, in the order of the page area.
constexpr LinhaDePagina paginas[] = {
    {Pagina::TabDuvra, criar<TabDuvra>, {{{"BtnPrincipal", comando<&TabDuvra::BtnPrincipalClick>}}}},
    {Pagina::TabCodAtiva, criar<TabCodAtiva>, {{{"BtnCodAtivacao", comando<&TabCodAtiva::BtnCodAtivacaoClick>}}}},
    {Pagina::TabAtivar, criar<TabAtivar>, {{{"BtnAtivacao", comando<&TabAtivar::BtnAtivacaoClick>}}}},
    {Pagina::TabAssocAss, criar<TabAssocAss>, {{{"BtnAssocAssin", comando<&TabAssocAss::BtnAssocAssinClick>}}}},
    {Pagina::TabBloq, criar<TabBloq>, {{{"BtnBloquearSAT", comando<&TabBloq::BtnBloquearSATClick>}}}},
    {Pagina::TabTeste, criar<TabTeste>, {{{"BtnTestefimafim", comando<&TabTeste::BtnTestefimafimClick>}}}},
    {Pagina::TabConfRede, criar<TabConfRede>, {{{"BtnConfRede", comando<&TabConfRede::BtnConfRedeClick>}}}},
    {Pagina::TabCSR, criarTabCSR, {}},
    {Pagina::TabStatus, criar<TabStatus>, {{{"BitBtnStatus", comando<&TabStatus::BitBtnStatusClick>}}}},
    {Pagina::TabLog,
     criar<TabLog>,
     {{{"BitLogs", comando<&TabLog::BitLogsClick>}, {"BitSuperLog", comando<&TabLog::BitSuperLogClick>}}}},
    {Pagina::TavAtualizaSW, criar<TavAtualizaSW>,
     {{{"BitAtualizaSW", comando<&TavAtualizaSW::BitAtualizaSWClick>}}}},
};

// A page's name is its place in the page area: the table lists them in that order.
constexpr bool naOrdemDaAreaDePaginas() {
    int indice = 0;
    for (const LinhaDePagina& linha : paginas)
        if (static_cast<int>(linha.pagina) != indice++)
            return false;
    return true;
}
static_assert(naOrdemDaAreaDePaginas(), "the page table is out of the page area's order");

} // namespace

TFAtivacao::TFAtivacao(Interacao& ui, Opcoes opcoes, QWidget* parent)
    : QMainWindow(parent), ui_(ui), opcoes_(std::move(opcoes)), caminho_(ui) {
    caminho_.definirObservador(this);
    if (opcoes_.funcoes) {
        caminho_.usar(std::make_unique<sat::ExecutorLocal>(*opcoes_.funcoes));
    } else {
        const QString nome = carga::bibliotecaEscolhida(opcoes_.pastaDoExecutavel);
        const QString biblioteca =
            nome.isEmpty() ? QString() : QDir(opcoes_.pastaDoExecutavel).filePath(nome);
        // The helper starts and loads the library while the window is being built;
        // FormCreate takes the outcome where the load has always been.
        hospedeiro_ = carga::usarHospedeiro(caminho_, QCoreApplication::applicationDirPath(), biblioteca,
                                            opcoes_.hospedeiro, true);
    }
    relogioDaEspera_ = new QTimer(this);
    relogioDaEspera_->setInterval(1000);
    connect(relogioDaEspera_, &QTimer::timeout, this, [this] { mostrarTempoDeEspera(); });
    criarJanela();
    FValida = new TFValida(estado_, this);
    FMSefaz = new TFMSefaz(this);
    protegido([this] { FormCreate(); });
}

TFAtivacao::~TFAtivacao() = default;

void TFAtivacao::criarJanela() {
    setObjectName(QStringLiteral("TFAtivacao"));
    resize(668, 426);

    auto* central = new QWidget(this);
    auto* linhas = new QHBoxLayout(central);
    linhas->setContentsMargins(0, 0, 0, 0);
    linhas->setSpacing(0);

    auto* Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(larguraBarraLateral);
    QWidget* anterior = nullptr;
    for (const BotaoLateral& b : botoesLaterais) {
        auto* botao = new QPushButton(QString::fromUtf8(b.legenda), Panel1);
        botao->setObjectName(QString::fromLatin1(b.nome));
        botao->setGeometry(1, b.topo, 130, 29);
        if (anterior != nullptr)
            setTabOrder(anterior, botao);
        anterior = botao;
    }
    auto* Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(3, 285, 124, 59);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(QPixmap(QStringLiteral(":/imagens/logo.png")));
    linhas->addWidget(Panel1);

    PageControl = new QStackedWidget(central);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    linhas->addWidget(PageControl, 1);
    setCentralWidget(central);

    auto* StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(19);
    painelStatus_ = new QLabel(StatusBar);
    painelStatus_->setObjectName(QStringLiteral("StatusPanel0"));
    // A long answer (a test's CF-e runs past the 110 characters shown) is cut at the
    // panel's edge instead of widening the window.
    painelStatus_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    StatusBar->addWidget(painelStatus_, 1);
    setStatusBar(StatusBar);

    criarPaginas(Panel1);
    aoClicar(botaoLateral(QStringLiteral("BtnSair")), [this] { BtnSairClick(); });
}

void TFAtivacao::criarPaginas(QWidget* barraLateral) {
    for (const LinhaDePagina& linha : paginas) {
        QWidget* pagina = linha.criar(*this);
        PageControl->addWidget(pagina);
        for (const Ligacao& ligacao : linha.botoes) {
            if (ligacao.botao == nullptr)
                continue;
            auto* botao = barraLateral->findChild<QPushButton*>(QString::fromLatin1(ligacao.botao));
            aoClicar(botao, [pagina, comando = ligacao.comando] { comando(*pagina); });
        }
    }
    // Every library call shows its session number in the test page's session box.
    Edit1 = PageControl->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    lblVersaoDLL_ = PageControl->findChild<QLabel*>(QStringLiteral("lblVersaoDLL"));
}

void TFAtivacao::FormCreate() {
    // A file that cannot be read ends the program; it is never overwritten.
    if (const settings::StoreResult aberto = cds_.open(opcoes_.arquivoParametros); !aberto) {
        ui_.mensagem(aberto.message());
        terminacaoSolicitada_ = true;
        return;
    }

    lblVersaoDLL_->setText(QStringLiteral("Versão da DLL: "));

    QString versao;
    try {
        versao = GetEXEVersionData(QApplication::applicationFilePath());
    } catch (const std::exception& e) {
        ui_.erro(QString::fromUtf8(e.what()));
    }
    setWindowTitle(QStringLiteral("SAT - BRISEL Ativação (64 bits) - Versão: ") + versao);

    Edit1->setText(caminho_.numsessao());

    if (!opcoes_.funcoes) {
        // Only the first name that exists is tried: SAT.DLL is not a fallback for a
        // SAT_x64.DLL that fails to load.
        if (const QString nome = carga::bibliotecaEscolhida(opcoes_.pastaDoExecutavel); !nome.isEmpty()) {
            if (!CarregaDLL(nome))
                return;
        } else {
            ui_.mensagem(QStringLiteral("Erro: DLL não foi encotrada."));
            terminacaoSolicitada_ = true;
        }
    }

    selecionarPagina(Pagina::TabDuvra);
    painelStatus_->clear();
    estado_.codigoativacao.clear();
}

bool TFAtivacao::CarregaDLL(const QString& nome) {
    const QString caminho = QDir(opcoes_.pastaDoExecutavel).filePath(nome);
    if (const std::optional<QString> falha = carga::carregar(caminho_, caminho, hospedeiro_)) {
        ui_.mensagemSemDono(QStringLiteral("Erro!"), *falha);
        return false;
    }
    // The version is read from the full path: a bare name is not searched for in the
    // program's folder on every system. The entry points stay bound when it cannot be
    // read; the user is told why the label has no version.
    QString versao;
    try {
        versao = GetEXEVersionData(caminho);
    } catch (const std::exception& e) {
        ui_.erro(QString::fromUtf8(e.what()));
    }
    // The word size is the library's own, read from its header.
    biblioteca32_ = platform::dllX86De32Bits(caminho.toStdString());
    lblVersaoDLL_->setText(QStringLiteral("DLL: ") + nome +
                           (biblioteca32_ ? QStringLiteral("(32 bits)") : QStringLiteral("(64 bits)")) +
                           QStringLiteral(" - Versão: ") + versao);
    if (carga::ehSatemu(caminho)) {
        lblVersaoDLL_->setText(lblVersaoDLL_->text() + QString::fromUtf16(carga::marcaDoSatemu));
        setWindowTitle(windowTitle() + QString::fromUtf16(carga::marcaDoSatemu));
    }
    mostrarConvencao();
    return true;
}

void TFAtivacao::mostrarConvencao() {
    if (!biblioteca32_ || !caminho_.executor().vinculada()) {
        lblVersaoDLL_->setToolTip(QString());
        return;
    }
    QString convencao;
    switch (caminho_.executor().convencao()) {
    case sat::protocolo::Convencao::Stdcall:
        convencao = QStringLiteral("stdcall (a biblioteca retira os argumentos da pilha)");
        break;
    case sat::protocolo::Convencao::Cdecl:
        convencao = QStringLiteral("cdecl (quem chama retira os argumentos da pilha)");
        break;
    case sat::protocolo::Convencao::Desconhecida:
        convencao = QStringLiteral("conhecida na primeira chamada");
        break;
    }
    lblVersaoDLL_->setToolTip(QStringLiteral("Biblioteca de 32 bits, atendida pelo programa auxiliar de 32 "
                                             "bits.\nConvenção de chamada: ") +
                              convencao);
}

QString TFAtivacao::GetEXEVersionData(const QString& arquivo) {
    return QString::fromStdString(platform::versaoDoArquivo(arquivo.toStdString()));
}

void TFAtivacao::BtnSairClick() { close(); }

void TFAtivacao::gravarParametros() {
    if (const settings::StoreResult gravado = cds_.writeBackIfNeeded(); !gravado)
        ui_.mensagem(gravado.message());
}

void TFAtivacao::mostrarValida() { ui_.executar(*FValida); }

void TFAtivacao::CursorWait() {
    painelStatus_->setText(QStringLiteral("Aguardando retorno do SAT ..."));
    // The library call that follows blocks this thread: paint the text now (repaint
    // paints at once, update would wait for the event loop), or the user never sees it.
    statusBar()->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TFAtivacao::CursorDefault() {
    painelStatus_->clear();
    QApplication::restoreOverrideCursor();
    statusBar()->repaint();
}

void TFAtivacao::antesDaChamada() {
    CursorWait();
    // Only a call made by the helper lets the event loop run meanwhile: then the
    // window paints, the clock below ticks, and the input waits.
    inicioDaChamada_.start();
    relogioDaEspera_->start();
    bloqueio_ = std::make_unique<BloqueioDeEntrada>([this] { perguntarSeInterrompe(); });
}

void TFAtivacao::mostrarTempoDeEspera() {
    const qint64 segundos = inicioDaChamada_.elapsed() / 1000;
    painelStatus_->setText(QStringLiteral("Aguardando retorno do SAT ... %1 s (Esc interrompe)").arg(segundos));
}

void TFAtivacao::perguntarSeInterrompe() {
    const QString funcao = caminho_.chamadaEmCurso();
    if (funcao.isEmpty() || perguntando_)
        return;
    perguntando_ = true;
    const bool interromper = ui_.confirmar(
        QStringLiteral("O SAT ainda não respondeu à função %1 (%2 s).\n\n"
                       "Encerrar a biblioteca SAT? A operação fica com o estado desconhecido e a biblioteca "
                       "é carregada de novo no próximo comando.")
            .arg(funcao)
            .arg(inicioDaChamada_.elapsed() / 1000));
    perguntando_ = false;
    // The call may have ended while the question was open.
    if (interromper && caminho_.chamadaEmCurso() == funcao)
        caminho_.executor().abandonar();
}

void TFAtivacao::closeEvent(QCloseEvent* evento) {
    // The window stays while a call is out: closing asks whether to give the call up.
    if (!caminho_.chamadaEmCurso().isEmpty()) {
        evento->ignore();
        QTimer::singleShot(0, this, [this] { perguntarSeInterrompe(); });
        return;
    }
    QMainWindow::closeEvent(evento);
}

void TFAtivacao::depoisDaChamada(const QString& numsessao, const QByteArray& retorno) {
    relogioDaEspera_->stop();
    bloqueio_.reset();
    CursorDefault();
    if (Edit1 != nullptr)
        Edit1->setText(numsessao);
    mostrastatus(retorno);
    mostrarConvencao();
}

void TFAtivacao::mostrastatus(const QByteArray& mensagem) { painelStatus_->setText(sat::textoStatus(mensagem)); }

void TFAtivacao::MostraMSefaz(const QByteArrayList& campos) {
    const std::optional<QString> texto = sat::textoSefaz(campos);
    if (!texto)
        return;
    FMSefaz->definirTexto(*texto);
    ui_.executar(*FMSefaz);
}

void TFAtivacao::selecionarPagina(Pagina pagina) { PageControl->setCurrentIndex(static_cast<int>(pagina)); }

QPushButton* TFAtivacao::botaoLateral(const QString& nome) { return findChild<QPushButton*>(nome); }

void TFAtivacao::protegido(const std::function<void()>& comando) {
    try {
        comando();
    } catch (const std::exception& e) {
        ui_.erro(QString::fromUtf8(e.what()));
    } catch (...) {
        ui_.erro(QStringLiteral("Erro inesperado."));
    }
}
