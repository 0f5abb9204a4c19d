#include "pages/tabconfrede.h"

#include "operations/operacoes.h"
#include "core/caminhosat.h"
#include "settings/campos.h"
#include "widgets/servicos.h"
#include "core/texto.h"
#include "widgets/pagina.h"
#include "platform/codepage.h"
#include "sat/resposta.h"
#include "settings/confrede.h"
#include "settings/parameterstore.h"

#include <array>
#include <optional>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The codes the store keeps for the items of the lists, in item order; the same in
// both directions. The interface list offers only its first item: a stored "WIFI"
// leaves it without a selection and is kept when the page is sent.
constexpr std::array<const char*, 2> codigosTipoInter{"ETHE", "WIFI"};
constexpr std::array<const char*, 4> codigosSeg{"NONE", "WEP", "WPA-PERS", "WPA PROF"};
constexpr std::array<const char*, 2> codigosTipoLan{"DHCP", "IPFIX"};

// The item of a stored code, -1 for a code the list has no item for.
template <std::size_t N> int itemDoCodigo(const std::array<const char*, N>& codigos, const QString& codigo) {
    for (std::size_t i = 0; i < N; ++i)
        if (codigo == QLatin1String(codigos[i]))
            return static_cast<int>(i);
    return -1;
}

// The code of a list's selected item; nothing without a selection.
template <std::size_t N>
std::optional<QString> codigoDoItem(const std::array<const char*, N>& codigos, const QComboBox* lista) {
    const int item = lista->currentIndex();
    if (item < 0 || item >= static_cast<int>(N))
        return std::nullopt;
    return QString::fromLatin1(codigos[static_cast<std::size_t>(item)]);
}

// Selects item, or nothing when the list has no such item.
void selecionar(QComboBox* lista, int item) {
    lista->setCurrentIndex(item >= 0 && item < lista->count() ? item : -1);
}

void mascarar(QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }")); // "*"
}

QComboBox* criarLista(QWidget* pagina, const char* nome, const QStringList& itens, QPoint posicao,
                      int largura) {
    auto* lista = new QComboBox(pagina);
    lista->setObjectName(QString::fromLatin1(nome));
    lista->setGeometry(posicao.x(), posicao.y(), largura, 21);
    lista->addItems(itens);
    lista->setCurrentIndex(-1);
    return lista;
}

QLabel* criarRotulo(QWidget* pagina, const char* nome, const QString& texto, QWidget* dono) {
    auto* rotulo = new QLabel(texto, pagina);
    rotulo->setObjectName(QString::fromLatin1(nome));
    rotulo->setGeometry(dono->x(), dono->y() - 17, dono->width(), 16);
    rotulo->setBuddy(dono);
    return rotulo;
}

constexpr int colunaEsquerda = 16;
constexpr int colunaDireita = 280;
constexpr int largura = 220;
constexpr int linha0 = 49;
constexpr int passo = 40;

QPoint esquerda(int linha) {
    return {colunaEsquerda, linha0 + linha * passo};
}
QPoint direita(int linha) {
    return {colunaDireita, linha0 + linha * passo};
}

} // namespace

TabConfRede::TabConfRede(ServicosDaPagina& servicos, QWidget* parent) : pagina::Base(parent), servicos_(servicos) {
    pagina::preparar(this, "TabConfRede");
    pagina::criarPainelTitulo(this, "Panel8", QStringLiteral("CONFIGURAÇÕES DE REDE"));

    // Left column: the interface and the address.
    CbotipoInter = criarLista(this, "CbotipoInter", {QStringLiteral("ETHERNET")}, esquerda(0), largura);
    criarRotulo(this, "Label12", QStringLiteral("Tipo de Rede:"), CbotipoInter);
    CbotipoLan = criarLista(this, "CbotipoLan", {QStringLiteral("DHCP"), QStringLiteral("IP FIXO")},
                            esquerda(1), largura);
    criarRotulo(this, "Label10", QStringLiteral("Interface:"), CbotipoLan);
    EdtlanIP = pagina::criarEditRotulado(this, "EdtlanIP", QStringLiteral("IP:"), esquerda(2), largura);
    EdtlanMask = pagina::criarEditRotulado(this, "EdtlanMask", QStringLiteral("Mascara de Rede:"),
                                           esquerda(3), largura);
    EdtlanGW = pagina::criarEditRotulado(this, "EdtlanGW", QStringLiteral("Gateway:"), esquerda(4), largura);
    EdtlanDNS1 =
        pagina::criarEditRotulado(this, "EdtlanDNS1", QStringLiteral("DNS Primário:"), esquerda(5), largura);
    EdtlanDNS2 = pagina::criarEditRotulado(this, "EdtlanDNS2", QStringLiteral("DNS Secundário:"), esquerda(6),
                                           largura);

    // Right column: the proxy.
    cboProxy = criarLista(
        this, "cboProxy",
        {QStringLiteral("NENHUM"), QStringLiteral("COM CONFIGURAÇÃO"), QStringLiteral("TRANSPARENTE")},
        direita(0), largura);
    criarRotulo(this, "Label13", QStringLiteral("Proxy:"), cboProxy);
    Edtproxy_ip =
        pagina::criarEditRotulado(this, "Edtproxy_ip", QStringLiteral("IP do Proxy:"), direita(1), largura);
    Edtproxy_porta = pagina::criarEditRotulado(this, "Edtproxy_porta", QStringLiteral("Porta do Proxy:"),
                                               direita(2), largura);
    Edtproxy_user = pagina::criarEditRotulado(this, "Edtproxy_user", QStringLiteral("Usuário do Proxy:"),
                                              direita(3), largura);
    Edtproxy_senha = pagina::criarEditRotulado(this, "Edtproxy_senha", QStringLiteral("Senha do Proxy:"),
                                               direita(4), largura);

    // Below the columns: the activation code (never stored) and the send button.
    LblEdtCodRede = pagina::criarEditRotulado(this, "LblEdtCodRede",
                                              QStringLiteral("Digite o Código de Ativação do SAT:"),
                                              {colunaEsquerda, 340}, largura);
    mascarar(LblEdtCodRede);
    BitBtn4 = new QPushButton(QStringLiteral("Enviar ao SAT"), this);
    BitBtn4->setObjectName(QStringLiteral("BitBtn4"));
    BitBtn4->setGeometry(colunaEsquerda + largura + 10, 336, 110, 29);
    servicos_.aoClicar(BitBtn4, [this] { BitConfRedeClick(); });
    pagina::definirBotaoPadrao(this, BitBtn4);

    // The wireless and PPPoE settings: filled, enabled and sent with the rest, never shown.
    EdtSSID = pagina::criarEditRotulado(this, "EdtSSID", QStringLiteral("SSID:"), direita(5), largura);
    Cboseg = criarLista(this, "Cboseg",
                        {QStringLiteral("NONE"), QStringLiteral("WEP"), QStringLiteral("WPA PERSONAL"),
                         QStringLiteral("WPA ENTERPRISE")},
                        direita(6), largura);
    Label11 = criarRotulo(this, "Label11", QStringLiteral("Segurança:"), Cboseg);
    Edtcod = pagina::criarEditRotulado(this, "Edtcod", QStringLiteral("Senha WiFi:"), direita(7), largura);
    Edtusuario = pagina::criarEditRotulado(this, "Edtusuario", QStringLiteral("Usuário de acesso:"),
                                           esquerda(7), largura);
    Edtsenha =
        pagina::criarEditRotulado(this, "Edtsenha", QStringLiteral("Senha de acesso:"), esquerda(8), largura);
    for (QLineEdit* edit : {EdtSSID, Edtcod, Edtusuario, Edtsenha}) {
        edit->hide();
        pagina::rotuloDe(edit)->hide();
    }
    Cboseg->hide();
    Label11->hide();

    // The passwords show "*" for every character.
    for (QLineEdit* edit : {Edtsenha, Edtcod, Edtproxy_senha})
        mascarar(edit);

    // The rules run on every change of a list, by the user or by filling the page.
    const auto regra = [this](QComboBox* lista, void (TabConfRede::*metodo)()) {
        connect(lista, &QComboBox::currentIndexChanged, this,
                [this, metodo] { servicos_.protegido([this, metodo] { (this->*metodo)(); }); });
    };
    regra(CbotipoInter, &TabConfRede::CbotipoInterChange);
    regra(Cboseg, &TabConfRede::CbosegChange);
    regra(CbotipoLan, &TabConfRede::CbotipoLanChange);
    regra(cboProxy, &TabConfRede::cboProxyChange);

    setTabOrder(CbotipoInter, CbotipoLan);
    setTabOrder(CbotipoLan, EdtlanIP);
    setTabOrder(EdtlanIP, EdtlanMask);
    setTabOrder(EdtlanMask, EdtlanGW);
    setTabOrder(EdtlanGW, EdtlanDNS1);
    setTabOrder(EdtlanDNS1, EdtlanDNS2);
    setTabOrder(EdtlanDNS2, cboProxy);
    setTabOrder(cboProxy, Edtproxy_ip);
    setTabOrder(Edtproxy_ip, Edtproxy_porta);
    setTabOrder(Edtproxy_porta, Edtproxy_user);
    setTabOrder(Edtproxy_user, Edtproxy_senha);
    setTabOrder(Edtproxy_senha, LblEdtCodRede);
    setTabOrder(LblEdtCodRede, BitBtn4);
}

void TabConfRede::aoMostrar() { servicos_.protegido([this] { TabConfRedeShow(); }); }

void TabConfRede::BtnConfRedeClick() {
    servicos_.selecionarPagina(Pagina::TabConfRede);
}

void TabConfRede::TabConfRedeShow() {
    const settings::ParameterStore& cds = servicos_.cds();
    // Anything but "ETHE" would be the wireless item, which the list does not offer.
    selecionar(CbotipoInter, cds.text(settings::campo::tipoInter) == u"ETHE" ? 0 : 1);
    EdtSSID->setText(cds.text(settings::campo::SSID));
    // A code the list has no item for leaves its selection as it was.
    if (const int item = itemDoCodigo(codigosSeg, cds.text(settings::campo::seg)); item >= 0)
        Cboseg->setCurrentIndex(item);
    Edtcod->setText(cds.text(settings::campo::codigo));
    if (const int item = itemDoCodigo(codigosTipoLan, cds.text(settings::campo::tipoLan)); item >= 0)
        CbotipoLan->setCurrentIndex(item);
    EdtlanIP->setText(cds.text(settings::campo::lanIP));
    EdtlanMask->setText(cds.text(settings::campo::lanMask));
    EdtlanGW->setText(cds.text(settings::campo::lanGW));
    EdtlanDNS1->setText(cds.text(settings::campo::lanDNS1));
    EdtlanDNS2->setText(cds.text(settings::campo::lanDNS2));
    Edtusuario->setText(cds.text(settings::campo::usuario));
    Edtsenha->setText(cds.text(settings::campo::senha));
    // The item is the stored number; a value that is no item (or no number, in a
    // hand-edited file) leaves the list without a selection and the page still opens.
    bool numero = false;
    const int proxy = cds.integer(settings::campo::proxy, &numero);
    selecionar(cboProxy, numero ? proxy : -1);
    Edtproxy_ip->setText(cds.text(settings::campo::proxy_ip));
    Edtproxy_porta->setText(cds.text(settings::campo::proxy_porta));
    Edtproxy_user->setText(cds.text(settings::campo::proxy_user));
    Edtproxy_senha->setText(cds.text(settings::campo::proxy_senha));

    CbotipoInterChange();
    CbosegChange();
    CbotipoLanChange();
    cboProxyChange();
}

void TabConfRede::CbotipoInterChange() {
    const bool semFio = CbotipoInter->currentIndex() != 0;
    for (QWidget* w : std::initializer_list<QWidget*>{EdtSSID, Cboseg, Edtcod, Label11})
        w->setEnabled(semFio);
}

void TabConfRede::CbosegChange() {
    const int item = Cboseg->currentIndex();
    if (item == 0)
        Edtcod->setEnabled(false);
    else if (item >= 1 && item <= 3)
        Edtcod->setEnabled(true);
}

void TabConfRede::CbotipoLanChange() {
    const int item = CbotipoLan->currentIndex();
    if (item != 0 && item != 1)
        return;
    for (QLineEdit* edit : {EdtlanIP, EdtlanMask, EdtlanGW, EdtlanDNS1, EdtlanDNS2})
        edit->setEnabled(item == 1);
    Edtusuario->setEnabled(false);
    Edtsenha->setEnabled(false);
}

void TabConfRede::cboProxyChange() {
    const int item = cboProxy->currentIndex();
    if (item != 0 && item != 1 && item != 2)
        return;
    for (QLineEdit* edit : {Edtproxy_ip, Edtproxy_porta, Edtproxy_user, Edtproxy_senha})
        edit->setEnabled(item == 1);
}

void TabConfRede::BitConfRedeClick() {
    if (const comandos::Recusa recusa = comandos::verificarCodigo(LblEdtCodRede->text())) {
        servicos_.ui().mensagem(*recusa);
        LblEdtCodRede->clear();
        return;
    }

    // The page goes into the store before the document is written and anything is
    // sent: the values stay stored whatever happens next. Disabled boxes are stored
    // too; the document leaves out what does not apply.
    settings::ParameterStore& cds = servicos_.cds();
    cds.first();
    cds.edit();
    // A list without a selection keeps the stored code.
    if (const std::optional<QString> codigo = codigoDoItem(codigosTipoInter, CbotipoInter))
        cds.setText(settings::campo::tipoInter, *codigo);
    cds.setText(settings::campo::SSID, EdtSSID->text());
    if (const std::optional<QString> codigo = codigoDoItem(codigosSeg, Cboseg))
        cds.setText(settings::campo::seg, *codigo);
    cds.setText(settings::campo::codigo, Edtcod->text());
    if (const std::optional<QString> codigo = codigoDoItem(codigosTipoLan, CbotipoLan))
        cds.setText(settings::campo::tipoLan, *codigo);
    cds.setText(settings::campo::lanIP, EdtlanIP->text());
    cds.setText(settings::campo::lanMask, EdtlanMask->text());
    cds.setText(settings::campo::lanGW, EdtlanGW->text());
    cds.setText(settings::campo::lanDNS1, EdtlanDNS1->text());
    cds.setText(settings::campo::lanDNS2, EdtlanDNS2->text());
    cds.setText(settings::campo::usuario, Edtusuario->text());
    cds.setText(settings::campo::senha, Edtsenha->text());
    // The proxy is the item's number. Without a selection the list has no number to
    // give (its index is -1, which the one-character field cannot hold and the device
    // does not know): like the other lists, it keeps the stored value.
    if (cboProxy->currentIndex() >= 0)
        cds.setInteger(settings::campo::proxy, cboProxy->currentIndex());
    cds.setText(settings::campo::proxy_ip, Edtproxy_ip->text());
    cds.setText(settings::campo::proxy_porta, Edtproxy_porta->text());
    cds.setText(settings::campo::proxy_user, Edtproxy_user->text());
    cds.setText(settings::campo::proxy_senha, Edtproxy_senha->text());
    cds.post();

    const QString pasta = servicos_.pastaDoExecutavel();
    // A document that could not be written leaves the earlier one in place: sending
    // that would configure the device with settings the user just replaced.
    if (QString motivo; !settings::geraxml(cds, pasta, &motivo)) {
        servicos_.ui().mensagem(
            QStringLiteral("Não foi possível gravar o arquivo ConfRede.xml: %1.").arg(motivo));
        return;
    }
    const settings::ConfRedeLida lida = settings::lerConfRede(pasta);
    if (!lida.documento) {
        servicos_.ui().mensagem(lida.falha);
        return;
    }

    // The code as typed.
    if (!comandos::configurarRede(servicos_.caminho(), LblEdtCodRede->text(), *lida.documento))
        return;
    // This page echoes the answer in the status bar once its messages are closed.
    servicos_.mostrastatus({});

    const QByteArray retorno = servicos_.caminho().retorno();
    const QByteArrayList campos = sat::campos(retorno);
    pagina::ignorarFalhas([&] { servicos_.ui().mensagem(comandos::mensagemDaRede(campos)); });
    servicos_.MostraMSefaz(campos);
    servicos_.mostrastatus(retorno);
    LblEdtCodRede->clear();
}
