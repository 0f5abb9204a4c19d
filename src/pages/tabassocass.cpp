#include "pages/tabassocass.h"

#include "operations/operacoes.h"
#include "core/caminhosat.h"
#include "settings/campos.h"
#include "widgets/servicos.h"
#include "core/texto.h"
#include "widgets/pagina.h"
#include "sat/resposta.h"
#include "settings/parameterstore.h"
#include "validation/cnpj.h"

#include <optional>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// How the signature is given, in item order.
constexpr int porTexto = 0;
constexpr int porArquivo = 1;

} // namespace

TabAssocAss::TabAssocAss(ServicosDaPagina& servicos, QWidget* parent) : pagina::Base(parent), servicos_(servicos) {
    pagina::preparar(this, "TabAssocAss");
    pagina::criarPainelTitulo(this, "Panel5", QStringLiteral("ASSOCIAR APLIC. COMERCIAL"));

    // No length limit: the device says what it accepts.
    EdtCodAtiv3 = pagina::criarEditRotulado(
        this, "EdtCodAtiv3", QStringLiteral("Digite o Código de Ativação do SAT:"), {27, 49}, 334);
    EdtCodAtiv3->setEchoMode(QLineEdit::Password);
    EdtCodAtiv3->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }")); // "*"

    auto* Label17 = new QLabel(QStringLiteral("CNPJ do Contribuinte:"), this);
    Label17->setObjectName(QStringLiteral("Label17"));
    Label17->setGeometry(27, 74, 236, 15);
    EdtCNPJContrib2 = pagina::criarEditCNPJ(this, "EdtCNPJContrib2", {27, 89}, 236);
    Label17->setBuddy(EdtCNPJContrib2);

    auto* Label16 = new QLabel(QStringLiteral("CNPJ Software House:"), this);
    Label16->setObjectName(QStringLiteral("Label16"));
    Label16->setGeometry(27, 116, 236, 15);
    EdtCNPJSw = pagina::criarEditCNPJ(this, "EdtCNPJSw", {27, 131}, 236);
    Label16->setBuddy(EdtCNPJSw);

    auto* Label6 = new QLabel(QStringLiteral("Assinatura do Aplicativo Comercial:"), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setGeometry(29, 157, 310, 16);

    const pagina::FormaDeEnvio forma = pagina::criarFormaDeEnvio(this, {27, 175});
    rgAssinatura = forma.caixa;
    itensAssinatura_ = forma.itens;
    connect(itensAssinatura_, &QButtonGroup::idToggled, this, [this](int id, bool marcado) {
        if (marcado)
            servicos_.protegido([this, id] { rgAssinaturaClick(id); });
    });

    EdtAssinatura =
        pagina::criarEditRotulado(this, "EdtAssinatura", QStringLiteral("Texto:"), {27, 246}, 310);

    Button3 = new QPushButton(QStringLiteral("..."), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(343, 243, 26, 28);
    Button3->hide();
    servicos_.aoClicar(Button3, [this] { Button3Click(); });

    BitAssociar = new QPushButton(QStringLiteral("A&ssociar"), this);
    BitAssociar->setObjectName(QStringLiteral("BitAssociar"));
    BitAssociar->setGeometry(28, 274, 80, 29);
    servicos_.aoClicar(BitAssociar, [this] { BitAssociarClick(); });
    pagina::definirBotaoPadrao(this, BitAssociar);

    pagina::criarAviso(this, "Memo4",
                       {QString(), QStringLiteral("ATENÇÃO:"), QStringLiteral(" "),
                        QStringLiteral("ESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO. "),
                        QString()});

    setTabOrder(EdtCodAtiv3, EdtCNPJContrib2);
    setTabOrder(EdtCNPJContrib2, EdtCNPJSw);
    setTabOrder(EdtCNPJSw, itensAssinatura_->button(porTexto));
    setTabOrder(itensAssinatura_->button(porTexto), itensAssinatura_->button(porArquivo));
    setTabOrder(itensAssinatura_->button(porArquivo), EdtAssinatura);
    setTabOrder(EdtAssinatura, Button3);
    setTabOrder(Button3, BitAssociar);
}

void TabAssocAss::aoMostrar() { TabAssocAssShow(); }

void TabAssocAss::TabAssocAssShow() {
    EdtCodAtiv3->setFocus();
}

void TabAssocAss::BtnAssocAssinClick() {
    const settings::ParameterStore& cds = servicos_.cds();
    EdtCodAtiv3->clear();
    EdtCNPJContrib2->setText(cds.text(settings::campo::CNPJContribuinte));
    EdtCNPJSw->setText(cds.text(settings::campo::CNPJSH));
    // Whichever way of sending is chosen: the stored signature is the text sent last.
    EdtAssinatura->setText(cds.text(settings::campo::Assinatura));
    servicos_.selecionarPagina(Pagina::TabAssocAss);
}

void TabAssocAss::rgAssinaturaClick(int item) {
    EdtAssinatura->clear();
    QLabel* rotulo = pagina::rotuloDe(EdtAssinatura);
    if (item == porTexto) {
        rotulo->setText(QStringLiteral("Texto"));
        Button3->hide();
    } else if (item == porArquivo) {
        rotulo->setText(QStringLiteral("Arquivo"));
        Button3->show();
    }
}

void TabAssocAss::Button3Click() {
    const QString arquivo =
        servicos_.ui().arquivoParaAbrir(QStringLiteral("Selecione o Certificado"), QString());
    if (!arquivo.isEmpty())
        EdtAssinatura->setText(arquivo);
}

void TabAssocAss::falhaNaVerificacao(const QString& mensagem, QLineEdit* esvaziar, QWidget* foco) {
    servicos_.ui().mensagem(mensagem);
    if (esvaziar != nullptr)
        esvaziar->clear();
    foco->setFocus();
}

void TabAssocAss::BitAssociarClick() {
    const QString contribuinte = aparar(pagina::digitos(EdtCNPJContrib2));
    if (!validation::isCNPJ(contribuinte))
        return falhaNaVerificacao(comandos::cnpjContribuinteInvalido, nullptr, EdtCNPJContrib2);
    const QString softwareHouse = aparar(pagina::digitos(EdtCNPJSw));
    if (!validation::isCNPJ(softwareHouse))
        return falhaNaVerificacao(comandos::cnpjSoftwareHouseInvalido, nullptr, EdtCNPJSw);

    QString assinatura;
    if (itensAssinatura_->checkedId() == porArquivo) {
        // The path as typed or chosen. Something there that is no readable file (a
        // folder) is found but cannot be read.
        const comandos::AssinaturaLida lida = comandos::assinaturaDeArquivo(EdtAssinatura->text());
        if (lida.recusa)
            return falhaNaVerificacao(*lida.recusa, nullptr, EdtAssinatura);
        // A signature split over lines is one text; the user sees what will be sent.
        assinatura = lida.texto;
        servicos_.ui().mensagem(assinatura);
    } else {
        assinatura = aparar(EdtAssinatura->text());
    }

    const QString codigo = aparar(EdtCodAtiv3->text());
    if (const comandos::Recusa recusa = comandos::verificarCodigo(codigo))
        return falhaNaVerificacao(*recusa, EdtCodAtiv3, EdtCodAtiv3);
    // The CNPJ edit's value is its digits, so a valid CNPJ already has the 14 the store
    // keeps; the check stays as the guard of what is stored.
    const QString cnpjSoftwareHouseDigitado = pagina::digitos(EdtCNPJSw);
    if (cnpjSoftwareHouseDigitado.size() != 14)
        return falhaNaVerificacao(
            QStringLiteral("O campo \"CNPJ Software House\" apresenta formato inválido!"), nullptr,
            EdtCNPJSw);
    // The signature itself must be there, in both ways of sending: a file that holds
    // nothing but line breaks and blanks is refused like an empty field, rather than
    // sent and stored over the signature kept so far.
    if (aparar(assinatura).isEmpty())
        return falhaNaVerificacao(comandos::assinaturaVazia, nullptr, EdtAssinatura);

    // Remembered before the device is asked, whatever it answers.
    settings::ParameterStore& cds = servicos_.cds();
    cds.edit();
    cds.setText(settings::campo::Assinatura, assinatura);
    cds.setText(settings::campo::CNPJSH, cnpjSoftwareHouseDigitado);
    cds.post();

    if (!comandos::associar(servicos_.caminho(), {contribuinte, softwareHouse, assinatura, codigo}))
        return;

    const QByteArrayList campos = sat::campos(servicos_.caminho().retorno());
    pagina::ignorarFalhas([&] {
        // The message is read first: a short answer enables nothing and shows nothing.
        const QString mensagem = comandos::mensagemDaAssociacao(campos);
        for (const QString& nome : comandos::botoesDesbloqueados(comandos::Desbloqueio::Associacao, campos[1]))
            servicos_.botaoLateral(nome)->setEnabled(true);
        servicos_.ui().mensagem(mensagem);
    });
    servicos_.MostraMSefaz(campos);
}
