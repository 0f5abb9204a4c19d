#include "app/tfativacao.h"

#include "app/tabelauf.h"
#include "dialogs/tfmsefaz.h"
#include "dialogs/tfvalida.h"
#include "operations/pagina.h"
#include "operations/tabativar.h"
#include "operations/tabcodativa.h"
#include "operations/tabduvra.h"
#include "operations/tabstatus.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QStatusBar>

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

} // namespace

TFAtivacao::TFAtivacao(Interacao& ui, Opcoes opcoes, QWidget* parent)
    : QMainWindow(parent), ui_(ui), opcoes_(std::move(opcoes)) {
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
    Image1->setPixmap(
        QPixmap(QStringLiteral(":/imagens/logo.png")).scaled(124, 59, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    linhas->addWidget(Panel1);

    PageControl = new QStackedWidget(central);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    linhas->addWidget(PageControl, 1);
    setCentralWidget(central);

    // Pages whose commands are still to come get their frame and title.
    const auto paginaSimples = [](const char* nome, const char* painel, const char* titulo) {
        auto* pagina = new QWidget;
        pagina::preparar(pagina, nome);
        pagina::criarPainelTitulo(pagina, painel, QString::fromUtf8(titulo));
        return pagina;
    };
    tabDuvra_ = new TabDuvra(*this);
    tabCodAtiva_ = new TabCodAtiva(*this);
    tabAtivar_ = new TabAtivar(*this);
    tabStatus_ = new TabStatus(*this);
    // In index order: a page is selected by its position.
    for (QWidget* pagina : {
             static_cast<QWidget*>(tabDuvra_),
             static_cast<QWidget*>(tabCodAtiva_),
             static_cast<QWidget*>(tabAtivar_),
             paginaSimples("TabAssocAss", "Panel5", "ASSOCIAR APLIC. COMERCIAL"),
             paginaSimples("TabBloq", "Panel6", "BLOQUEAR/DESBLOQUEAR"),
             paginaSimples("TabTeste", "Panel4", ""),
             paginaSimples("TabConfRede", "Panel8", "CONFIGURAÇÕES DE REDE"),
             paginaSimples("TabCSR", "Panel9", ""),
             static_cast<QWidget*>(tabStatus_),
             paginaSimples("TabLog", "Panel11", "EXTRAÇÃO DOS LOGS"),
             paginaSimples("TavAtualizaSW", "Panel12", "ATUALIZAR SOFTWARE BÁSICO"),
         })
        PageControl->addWidget(pagina);

    // The session box of the test page: every library call writes its number here.
    QWidget* tabTeste = PageControl->widget(5);
    Edit1 = new QLineEdit(tabTeste);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(6);
    Edit1->setAlignment(Qt::AlignCenter);
    Edit1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), Edit1));
    Edit1->setGeometry(440, 360, 70, 21);
    auto* rotuloSessao = new QLabel(QStringLiteral("Sessão:"), tabTeste);
    rotuloSessao->setObjectName(QStringLiteral("Label1"));
    rotuloSessao->setBuddy(Edit1);
    rotuloSessao->setGeometry(440, 343, 70, 16);

    auto* StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(19);
    painelStatus_ = new QLabel(StatusBar);
    painelStatus_->setObjectName(QStringLiteral("StatusPanel0"));
    StatusBar->addWidget(painelStatus_, 1);
    setStatusBar(StatusBar);
    ligarBarraLateral();
}

void TFAtivacao::ligarBarraLateral() {
    const std::pair<const char*, std::function<void()>> comandos[] = {
        {"BtnPrincipal", [this] { tabDuvra_->BtnPrincipalClick(); }},
        {"BtnConfRede", [this] { selecionarPagina(6); }},
        {"BtnAtivacao", [this] { tabAtivar_->BtnAtivacaoClick(); }},
        {"BtnAssocAssin", [this] { selecionarPagina(3); }},
        {"BtnTestefimafim", [this] { selecionarPagina(5); }},
        {"BitBtnStatus", [this] { tabStatus_->BitBtnStatusClick(); }},
        {"BitLogs", [this] { selecionarPagina(9); }},
        {"BtnCodAtivacao", [this] { tabCodAtiva_->BtnCodAtivacaoClick(); }},
        {"BtnBloquearSAT", [this] { selecionarPagina(4); }},
        {"BitAtualizaSW", [this] { selecionarPagina(10); }},
        {"BtnSair", [this] { BtnSairClick(); }},
        {"BitSuperLog", [this] { selecionarPagina(9); }},
    };
    for (const auto& [nome, comando] : comandos)
        aoClicar(botaoLateral(QString::fromLatin1(nome)), comando);
}

void TFAtivacao::FormCreate() {
    // A file that cannot be read ends the program; it is never overwritten.
    if (const settings::StoreResult aberto = cds_.open(opcoes_.arquivoParametros); !aberto) {
        ui_.mensagem(aberto.message());
        terminacaoSolicitada_ = true;
        return;
    }

    tabDuvra_->lblEmpresa->setText(QStringLiteral("Brisel Informática"));
    tabDuvra_->lblVersaoDLL->setText(QStringLiteral("Versão da DLL: "));

    QString versao;
    try {
        versao = GetEXEVersionData(QApplication::applicationFilePath());
    } catch (const std::exception& e) {
        ui_.erro(QString::fromUtf8(e.what()));
    }
    setWindowTitle(QStringLiteral("SAT - BRISEL Ativação (64 bits) - Versão: ") + versao);

    Edit1->setText(estado_.numsessao);

    for (const UnidadeFederativa& uf : TabelaUF)
        tabAtivar_->cbo->addItem(QString::fromLatin1(uf.sigla));
    tabAtivar_->cbo->setCurrentIndex(-1);

    if (opcoes_.funcoes) {
        biblioteca_.vincular(*opcoes_.funcoes);
    } else {
        const QDir pasta(opcoes_.pastaDoExecutavel);
        if (QFileInfo::exists(pasta.filePath(QStringLiteral("SAT_x64.DLL")))) {
            if (!CarregaDLL(QStringLiteral("SAT_x64.DLL")))
                return;
        } else if (QFileInfo::exists(pasta.filePath(QStringLiteral("SAT.DLL")))) {
            if (!CarregaDLL(QStringLiteral("SAT.DLL")))
                return;
        } else {
            ui_.mensagem(QStringLiteral("Erro: DLL não foi encotrada."));
            terminacaoSolicitada_ = true;
        }
    }

    selecionarPagina(0);
    painelStatus_->clear();
    estado_.codigoativacao.clear();
}

bool TFAtivacao::CarregaDLL(const QString& nome) {
    const QString caminho = QDir(opcoes_.pastaDoExecutavel).filePath(nome);
    QString motivo;
    if (!biblioteca_.carregar(caminho, motivo)) {
        ui_.mensagemSemDono(QStringLiteral("Erro!"),
                            QStringLiteral("Erro ao carregar a DLL: ") + QDir::toNativeSeparators(caminho) +
                                QStringLiteral("\n\n") + motivo);
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
    tabDuvra_->lblVersaoDLL->setText(QStringLiteral("DLL: ") + nome + QStringLiteral("(64 bits) - Versão: ") +
                                     versao);
    return true;
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

void TFAtivacao::mostrastatus(const QByteArray& mensagem) { painelStatus_->setText(sat::textoStatus(mensagem)); }

void TFAtivacao::MostraMSefaz(const QByteArrayList& campos) {
    const std::optional<QString> texto = sat::textoSefaz(campos);
    if (!texto)
        return;
    FMSefaz->definirTexto(*texto);
    ui_.executar(*FMSefaz);
}

void TFAtivacao::selecionarPagina(int indice) { PageControl->setCurrentIndex(indice); }

QPushButton* TFAtivacao::botaoLateral(const QString& nome) const { return findChild<QPushButton*>(nome); }

void TFAtivacao::protegido(const std::function<void()>& comando) {
    try {
        comando();
    } catch (const std::exception& e) {
        ui_.erro(QString::fromUtf8(e.what()));
    } catch (...) {
        ui_.erro(QStringLiteral("Erro inesperado."));
    }
}

void TFAtivacao::aoClicar(QAbstractButton* botao, std::function<void()> comando) {
    connect(botao, &QAbstractButton::clicked, this, [this, comando = std::move(comando)] { protegido(comando); });
}

void TFAtivacao::avisarSemFuncao(const char* nome) {
    if (!biblioteca_.vinculada())
        ui_.mensagem(QStringLiteral("Nenhuma biblioteca SAT está carregada: a função %1 não pode ser chamada.")
                         .arg(QString::fromLatin1(nome)));
    else
        ui_.mensagem(QStringLiteral("A biblioteca SAT carregada não possui a função %1.").arg(QString::fromLatin1(nome)));
}

void TFAtivacao::avisarSemResposta(const char* nome) {
    ui_.mensagem(QStringLiteral("A biblioteca SAT não devolveu resposta à função %1.").arg(QString::fromLatin1(nome)));
}
