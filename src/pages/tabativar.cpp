#include "pages/tabativar.h"

#include "operations/operacoes.h"
#include "core/caminhosat.h"
#include "settings/campos.h"
#include "widgets/servicos.h"
#include "core/tabelauf.h"
#include "core/texto.h"
#include "widgets/pagina.h"
#include "sat/resposta.h"
#include "settings/parameterstore.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Certificate types in item order; the device receives item + 1.
constexpr const char* tiposCertificado[] = {"AC-SAT - SEFAZ", "ICP-BRASIL", "RENOVAÇÃO ICP-BRASIL"};

const QString mensagemEspera = QStringLiteral("Por favor aguarde.\n\rEsta função pode demorar alguns minutos.\n\n\r"
                                              "Clique OK para continuar.");

} // namespace

TabAtivar::TabAtivar(ServicosDaPagina& servicos, QWidget* parent) : pagina::Base(parent), servicos_(servicos) {
    pagina::preparar(this, "TabAtivar");
    pagina::criarPainelTitulo(this, "Panel3", QStringLiteral("ATIVAÇÃO DO SAT"));

    EdtCodAtiv2 = pagina::criarEditCodigo(this, "EdtCodAtiv2", QStringLiteral("Digite o Código de Ativação do SAT:"),
                                          {27, 63}, 334, pagina::limiteDoCodigo);
    EdtCodAtiv2Conf = pagina::criarEditCodigo(this, "EdtCodAtiv2Conf",
                                              QStringLiteral("Digite novamente o Código de Ativação do SAT:"),
                                              {27, 102}, 334, pagina::limiteDoCodigo);

    rgTipoCert = new QGroupBox(QStringLiteral("Tipo de Certificado:"), this);
    rgTipoCert->setObjectName(QStringLiteral("rgTipoCert"));
    rgTipoCert->setGeometry(27, 129, 334, 67);
    itensTipoCert_ = new QButtonGroup(rgTipoCert);
    auto* colunas = new QVBoxLayout(rgTipoCert);
    colunas->setContentsMargins(8, 2, 8, 2);
    colunas->setSpacing(0);
    int item = 0;
    for (const char* tipo : tiposCertificado) {
        auto* opcao = new QRadioButton(QString::fromUtf8(tipo), rgTipoCert);
        opcao->setObjectName(QStringLiteral("rgTipoCertItem%1").arg(item));
        itensTipoCert_->addButton(opcao, item++);
        colunas->addWidget(opcao);
    }
    connect(itensTipoCert_, &QButtonGroup::idToggled, this, [this](int id, bool marcado) {
        if (marcado)
            rgTipoCertClick(id);
    });
    rgTipoCert->setEnabled(false);

    auto* Label5 = new QLabel(QStringLiteral("CNPJ do Contribuinte:"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setGeometry(27, 199, 236, 16);
    EdtCNPJContrib = pagina::criarEditCNPJ(this, "EdtCNPJContrib", {27, 216}, 236);
    Label5->setBuddy(EdtCNPJContrib);

    auto* Label9 = new QLabel(QStringLiteral("UF:"), this);
    Label9->setObjectName(QStringLiteral("Label9"));
    Label9->setGeometry(286, 219, 26, 16);
    cbo = new QComboBox(this);
    cbo->setObjectName(QStringLiteral("cbo"));
    cbo->setGeometry(314, 216, 47, 21);
    Label9->setBuddy(cbo);
    // Item i is row i of the table: the store keeps the index, the device gets the code.
    for (const UnidadeFederativa& uf : TabelaUF)
        cbo->addItem(QString::fromLatin1(uf.sigla));
    cbo->setCurrentIndex(-1);

    BtnAtivar = new QPushButton(QStringLiteral("&Ativar"), this);
    BtnAtivar->setObjectName(QStringLiteral("BtnAtivar"));
    BtnAtivar->setGeometry(27, 243, 102, 29);
    servicos_.aoClicar(BtnAtivar, [this] { BitAtivaSATClick(); });
    pagina::definirBotaoPadrao(this, BtnAtivar);

    pagina::criarAviso(this, "Memo3",
                       {QString(), QStringLiteral("ATENÇÃO:"), QStringLiteral(" "),
                        QStringLiteral("ESTA FUNÇÃO DEVE SER USADA APENAS ENQUANTO O SAT NÃO ESTIVER ATIVADO."),
                        QString()});

    selecionarTipoCertificado(0);
    setTabOrder(EdtCodAtiv2, EdtCodAtiv2Conf);
    setTabOrder(EdtCodAtiv2Conf, rgTipoCert);
    setTabOrder(rgTipoCert, EdtCNPJContrib);
    setTabOrder(EdtCNPJContrib, cbo);
    setTabOrder(cbo, BtnAtivar);
}

void TabAtivar::aoMostrar() { TabAtivarShow(); }

void TabAtivar::TabAtivarShow() { EdtCodAtiv2->setFocus(); }

void TabAtivar::rgTipoCertClick(int item) {
    if (item == 0)
        BtnAtivar->setText(QStringLiteral("&Ativar"));
    else if (item == 1 || item == 2)
        BtnAtivar->setText(QStringLiteral("&Gerar CSR"));
}

int TabAtivar::tipoCertificado() const { return itensTipoCert_->checkedId(); }

void TabAtivar::selecionarTipoCertificado(int item) { itensTipoCert_->button(item)->setChecked(true); }

void TabAtivar::BtnAtivacaoClick() {
    settings::ParameterStore& cds = servicos_.cds();
    EdtCodAtiv2->clear();
    EdtCodAtiv2Conf->clear();
    selecionarTipoCertificado(0);
    EdtCNPJContrib->setText(cds.text(settings::campo::CNPJContribuinte));
    // A stored state that is not a whole number, or lies outside the table, leaves the
    // list without a selection rather than keeping the page from opening.
    bool numero = false;
    const int uf = cds.integer(settings::campo::uf, &numero);
    cbo->setCurrentIndex(numero && uf >= 0 && uf < cbo->count() ? uf : -1);
    servicos_.selecionarPagina(Pagina::TabAtivar);
}

void TabAtivar::falhaNaVerificacao(const QString& mensagem, std::initializer_list<QLineEdit*> esvaziar, QWidget* foco) {
    servicos_.ui().mensagem(mensagem);
    for (QLineEdit* edit : esvaziar)
        edit->clear();
    foco->setFocus();
}

void TabAtivar::BitAtivaSATClick() {
    selecionarTipoCertificado(0);
    // The state chosen on screen, not its copy read back from the store: a file that
    // declares a narrower field would otherwise send another state.
    const comandos::Ativacao ativacao{tipoCertificado(), aparar(EdtCodAtiv2->text()),
                                      aparar(EdtCodAtiv2Conf->text()), aparar(pagina::digitos(EdtCNPJContrib)),
                                      aparar(cbo->currentText()).isEmpty() ? -1 : cbo->currentIndex()};
    if (const auto recusa = comandos::verificar(ativacao)) {
        using Campo = comandos::CampoDaAtivacao;
        switch (recusa->campo) {
        case Campo::Codigo: return falhaNaVerificacao(recusa->mensagem, {EdtCodAtiv2}, EdtCodAtiv2);
        case Campo::Confirmacao: return falhaNaVerificacao(recusa->mensagem, {EdtCodAtiv2Conf}, EdtCodAtiv2Conf);
        case Campo::Ambos: return falhaNaVerificacao(recusa->mensagem, {EdtCodAtiv2, EdtCodAtiv2Conf}, EdtCodAtiv2);
        case Campo::Cnpj: return falhaNaVerificacao(recusa->mensagem, {}, EdtCNPJContrib);
        case Campo::Uf: return falhaNaVerificacao(recusa->mensagem, {}, cbo);
        }
    }

    // Remembered before the device is asked, whatever it answers.
    settings::ParameterStore& cds = servicos_.cds();
    cds.edit();
    cds.setText(settings::campo::CNPJContribuinte, pagina::digitos(EdtCNPJContrib));
    cds.setInteger(settings::campo::uf, cbo->currentIndex());
    cds.post();

    if (!servicos_.ui().confirmar(mensagemEspera)) {
        EdtCodAtiv2->clear();
        EdtCodAtiv2Conf->clear();
        EdtCodAtiv2->setFocus();
        return;
    }

    if (!comandos::ativar(servicos_.caminho(), ativacao))
        return;

    const QByteArrayList campos = sat::campos(servicos_.caminho().retorno());
    pagina::ignorarFalhas([&] {
        const QByteArray& resultado = sat::campo(campos, 1);
        for (const QString& nome : comandos::botoesDesbloqueados(comandos::Desbloqueio::Ativacao, resultado))
            servicos_.botaoLateral(nome)->setEnabled(true);
        servicos_.ui().mensagem(comandos::mensagemDaAtivacao(campos));
    });
    servicos_.MostraMSefaz(campos);
    servicos_.janelaPrincipal().show();
    servicos_.janelaPrincipal().raise();
}
