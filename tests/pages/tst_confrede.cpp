// The network configuration: the page "CONFIGURAÇÕES DE REDE", filled from the
// parameter store each time it is shown, its change rules, and "Enviar ao SAT", which
// stores the page, writes ConfRede.xml and sends it.

#include "bancada.h"
#include "widgets/pagina.h"
#include "settings/checkconfigs.h"
#include "settings/parameterstore.h"

#include <QComboBox>
#include <QDir>
#include <QMap>
#include <QPlainTextEdit>

using Tipo = InteracaoRoteirizada::Tipo;
using Campos = QMap<QString, QString>;

namespace {

const QString mensagemCodigoCurto = QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.");
const QByteArray declaracao = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
const QByteArray respostaOk = "{sessao}|12000|Rede Configurada|||";

// The controls the change rules enable and disable.
const QStringList regidos{
    QStringLiteral("EdtSSID"),        QStringLiteral("Cboseg"),        QStringLiteral("Edtcod"),
    QStringLiteral("Label11"),        QStringLiteral("EdtlanIP"),      QStringLiteral("EdtlanMask"),
    QStringLiteral("EdtlanGW"),       QStringLiteral("EdtlanDNS1"),    QStringLiteral("EdtlanDNS2"),
    QStringLiteral("Edtusuario"),     QStringLiteral("Edtsenha"),      QStringLiteral("Edtproxy_ip"),
    QStringLiteral("Edtproxy_porta"), QStringLiteral("Edtproxy_user"), QStringLiteral("Edtproxy_senha"),
};
const QStringList semFio{QStringLiteral("EdtSSID"), QStringLiteral("Cboseg"), QStringLiteral("Edtcod"),
                         QStringLiteral("Label11")};
const QStringList enderecos{QStringLiteral("EdtlanIP"), QStringLiteral("EdtlanMask"),
                            QStringLiteral("EdtlanGW"), QStringLiteral("EdtlanDNS1"),
                            QStringLiteral("EdtlanDNS2")};
const QStringList pppoe{QStringLiteral("Edtusuario"), QStringLiteral("Edtsenha")};
const QStringList detalhesProxy{QStringLiteral("Edtproxy_ip"), QStringLiteral("Edtproxy_porta"),
                                QStringLiteral("Edtproxy_user"), QStringLiteral("Edtproxy_senha")};

QStringList menos(QStringList a, const QStringList& b) {
    for (const QString& s : b)
        a.removeAll(s);
    return a;
}

// The document the device must receive: the elements in <config>, no line break.
QByteArray enviado(const QByteArray& elementos) {
    return declaracao + "<config>" + elementos + "</config>";
}

} // namespace

class TestConfRedePagina : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void aPagina();
    void mostrarPreenche_data();
    void mostrarPreenche();
    void mostrarDeNovoMantemListasSemItem();
    void regras_data();
    void regras();
    void codigoCurto_data();
    void codigoCurto();
    void envio_data();
    void envio();
    void resposta_data();
    void resposta();
    void documentoQueNaoSeGravaNaoEnviaOAntigo();
    void envioChegaAoArquivoDeParametros();
    void enterEnvia();

private:
    template <typename T = QWidget> T* w(const QString& nome) const { return b_->controle<T>(nome); }
    QComboBox* lista(const char* nome) const { return w<QComboBox>(QString::fromLatin1(nome)); }
    QLineEdit* edit(const char* nome) const { return w<QLineEdit>(QString::fromLatin1(nome)); }
    QPushButton* BitBtn4() const { return w<QPushButton>(QStringLiteral("BitBtn4")); }
    // Assigns fields of the store's record, as an earlier run left them.
    void gravar(const Campos& campos) const {
        settings::ParameterStore& cds = b_->janela->cds();
        cds.edit();
        for (auto c = campos.begin(); c != campos.end(); ++c)
            if (!cds.setText(c.key(), c.value()))
                qFatal("no field %s", qPrintable(c.key()));
        cds.post();
    }
    // Shows the page from another one, so that its show handler runs.
    void abrir() const {
        b_->selecionarPagina(0);
        QTest::mouseClick(b_->lateral(QStringLiteral("BtnConfRede")), Qt::LeftButton);
    }
    QStringList habilitados() const {
        QStringList nomes;
        for (const QString& nome : regidos)
            if (w(nome)->isEnabled())
                nomes.append(nome);
        return nomes;
    }
    void enviar() const { QTest::mouseClick(BitBtn4(), Qt::LeftButton); }
    QString confRede() const { return b_->pasta.filePath(QStringLiteral("ConfRede.xml")); }

    std::unique_ptr<Bancada> b_;
};

void TestConfRedePagina::init() {
    b_ = std::make_unique<Bancada>(roteiro::funcoes(), settings::defaultParametrosXml());
    QVERIFY(b_->mostrar());
}

void TestConfRedePagina::cleanup() {
    b_.reset();
}

void TestConfRedePagina::aPagina() {
    QCOMPARE(w<QLabel>(QStringLiteral("Panel8"))->text(), QStringLiteral("CONFIGURAÇÕES DE REDE"));
    const QList<std::pair<const char*, QStringList>> listas{
        {"CbotipoInter", {QStringLiteral("ETHERNET")}},
        {"CbotipoLan", {QStringLiteral("DHCP"), QStringLiteral("IP FIXO")}},
        {"cboProxy",
         {QStringLiteral("NENHUM"), QStringLiteral("COM CONFIGURAÇÃO"), QStringLiteral("TRANSPARENTE")}},
        {"Cboseg",
         {QStringLiteral("NONE"), QStringLiteral("WEP"), QStringLiteral("WPA PERSONAL"),
          QStringLiteral("WPA ENTERPRISE")}},
    };
    for (const auto& [nome, itens] : listas) {
        QStringList tem;
        for (int i = 0; i < lista(nome)->count(); ++i)
            tem.append(lista(nome)->itemText(i));
        QCOMPARE(tem, itens);
    }
    const QList<std::pair<const char*, const char*>> rotulos{{"Label12", "Tipo de Rede:"},
                                                             {"Label10", "Interface:"},
                                                             {"Label13", "Proxy:"},
                                                             {"Label11", "Segurança:"}};
    for (const auto& [nome, texto] : rotulos)
        QCOMPARE(w<QLabel>(QString::fromLatin1(nome))->text(), QString::fromUtf8(texto));
    // Each caption stands over its list.
    QCOMPARE(w<QLabel>(QStringLiteral("Label12"))->buddy(), lista("CbotipoInter"));
    QCOMPARE(w<QLabel>(QStringLiteral("Label10"))->buddy(), lista("CbotipoLan"));
    const QList<std::pair<const char*, const char*>> edits{
        {"EdtlanIP", "IP:"},
        {"EdtlanMask", "Mascara de Rede:"},
        {"EdtlanGW", "Gateway:"},
        {"EdtlanDNS1", "DNS Primário:"},
        {"EdtlanDNS2", "DNS Secundário:"},
        {"Edtproxy_ip", "IP do Proxy:"},
        {"Edtproxy_porta", "Porta do Proxy:"},
        {"Edtproxy_user", "Usuário do Proxy:"},
        {"Edtproxy_senha", "Senha do Proxy:"},
        {"LblEdtCodRede", "Digite o Código de Ativação do SAT:"},
        {"Edtusuario", "Usuário de acesso:"},
        {"Edtsenha", "Senha de acesso:"},
        {"EdtSSID", "SSID:"},
        {"Edtcod", "Senha WiFi:"},
    };
    for (const auto& [nome, rotulo] : edits) {
        QCOMPARE(pagina::rotuloDe(edit(nome))->text(), QString::fromUtf8(rotulo));
        QCOMPARE(edit(nome)->maxLength(), QLineEdit().maxLength()); // no limit of its own
        const bool senha = QByteArray(nome).contains("senha") || QByteArray(nome) == "Edtcod" ||
                           QByteArray(nome) == "LblEdtCodRede";
        QCOMPARE(edit(nome)->echoMode(), senha ? QLineEdit::Password : QLineEdit::Normal);
    }
    QCOMPARE(BitBtn4()->text(), QStringLiteral("Enviar ao SAT"));

    abrir();
    QCOMPARE(b_->paginaAtual(), 6);
    for (const char* nome : {"Edtusuario", "Edtsenha", "EdtSSID", "Label11", "Cboseg", "Edtcod"})
        QVERIFY2(!w(QString::fromLatin1(nome))->isVisible(), nome);
    for (const char* nome : {"EdtusuarioLabel", "EdtsenhaLabel", "EdtSSIDLabel", "EdtcodLabel"})
        QVERIFY2(!w(QString::fromLatin1(nome))->isVisible(), nome);
    for (const char* nome : {"CbotipoInter", "CbotipoLan", "EdtlanIP", "EdtlanDNS2", "cboProxy",
                             "Edtproxy_senha", "LblEdtCodRede", "BitBtn4", "Label12", "Label10", "Label13"})
        QVERIFY2(w(QString::fromLatin1(nome))->isVisible(), nome);
}

void TestConfRedePagina::mostrarPreenche_data() {
    QTest::addColumn<Campos>("campos"); // over the default record: ETHE, DHCP, proxy 0
    QTest::addColumn<int>("tipoInter");
    QTest::addColumn<int>("seg");
    QTest::addColumn<int>("tipoLan");
    QTest::addColumn<int>("proxy");
    QTest::addColumn<QStringList>("esperados"); // enabled after the rules

    QTest::newRow("padrão: ETHERNET, DHCP, NENHUM, tudo desabilitado")
        << Campos{} << 0 << -1 << 0 << 0 << QStringList();
    QTest::newRow("IPFIX: endereços habilitados")
        << Campos{{"tipoLan", "IPFIX"}} << 0 << -1 << 1 << 0 << enderecos;
    QTest::newRow("proxy 1: detalhes habilitados")
        << Campos{{"proxy", "1"}} << 0 << -1 << 0 << 1 << detalhesProxy;
    QTest::newRow("proxy 2") << Campos{{"proxy", "2"}} << 0 << -1 << 0 << 2 << QStringList();
    QTest::newRow("WIFI, WPA PROF: nada na lista, sem fio habilitado")
        << Campos{{"tipoInter", "WIFI"}, {"seg", "WPA PROF"}} << -1 << 3 << 0 << 0 << semFio;
    QTest::newRow("WIFI, NONE: sem a senha WiFi") << Campos{{"tipoInter", "WIFI"}, {"seg", "NONE"}} << -1 << 0
                                                  << 0 << 0 << menos(semFio, {QStringLiteral("Edtcod")});
    QTest::newRow("WIFI, WPA-PERS") << Campos{{"tipoInter", "WIFI"}, {"seg", "WPA-PERS"}} << -1 << 2 << 0 << 0
                                    << semFio;
    QTest::newRow("wifi em minúsculas: nada na lista")
        << Campos{{"tipoInter", "wifi"}, {"seg", "WEP"}} << -1 << 1 << 0 << 0 << semFio;
    // The first showing of the page: lists that get no item keep the boxes as built (enabled).
    QTest::newRow("PPPoE: a lista fica sem item, as caixas como estavam")
        << Campos{{"tipoLan", "PPPoE"}} << 0 << -1 << -1 << 0 << menos(regidos, semFio + detalhesProxy);
    QTest::newRow("proxy vazio: nenhum item") << Campos{{"proxy", ""}} << 0 << -1 << 0 << -1 << detalhesProxy;
    QTest::newRow("proxy que não é número: nenhum item")
        << Campos{{"proxy", "x"}} << 0 << -1 << 0 << -1 << detalhesProxy;
    QTest::newRow("proxy fora da lista: nenhum item")
        << Campos{{"proxy", "5"}} << 0 << -1 << 0 << -1 << detalhesProxy;
}

void TestConfRedePagina::mostrarPreenche() {
    QFETCH(Campos, campos);
    QFETCH(int, tipoInter);
    QFETCH(int, seg);
    QFETCH(int, tipoLan);
    QFETCH(int, proxy);
    QFETCH(QStringList, esperados);

    Campos textos{{"SSID", "Loja"},         {"codigo", "chave"},     {"lanIP", "10.0.0.5"},
                  {"lanMask", "255.0.0.0"}, {"lanGW", "10.0.0.1"},   {"lanDNS1", "10.0.0.2"},
                  {"lanDNS2", "10.0.0.3"},  {"usuario", "ppp"},      {"senha", "segredo"},
                  {"proxy_ip", "10.9.9.9"}, {"proxy_porta", "8080"}, {"proxy_user", "pu"},
                  {"proxy_senha", "ps"}};
    textos.insert(campos);
    gravar(textos);
    edit("LblEdtCodRede")->setText(QStringLiteral("codigo123"));

    abrir();

    QCOMPARE(lista("CbotipoInter")->currentIndex(), tipoInter);
    QCOMPARE(lista("Cboseg")->currentIndex(), seg);
    QCOMPARE(lista("CbotipoLan")->currentIndex(), tipoLan);
    QCOMPARE(lista("cboProxy")->currentIndex(), proxy);
    QCOMPARE(habilitados(), esperados);
    const QList<std::pair<const char*, const char*>> caixas{{"EdtSSID", "SSID"},
                                                            {"Edtcod", "codigo"},
                                                            {"EdtlanIP", "lanIP"},
                                                            {"EdtlanMask", "lanMask"},
                                                            {"EdtlanGW", "lanGW"},
                                                            {"EdtlanDNS1", "lanDNS1"},
                                                            {"EdtlanDNS2", "lanDNS2"},
                                                            {"Edtusuario", "usuario"},
                                                            {"Edtsenha", "senha"},
                                                            {"Edtproxy_ip", "proxy_ip"},
                                                            {"Edtproxy_porta", "proxy_porta"},
                                                            {"Edtproxy_user", "proxy_user"},
                                                            {"Edtproxy_senha", "proxy_senha"}};
    for (const auto& [nome, campo] : caixas)
        QCOMPARE(edit(nome)->text(), textos.value(QString::fromLatin1(campo)));
    QCOMPARE(edit("LblEdtCodRede")->text(), QStringLiteral("codigo123")); // not touched
    QVERIFY(b_->ui.exibidos.isEmpty());
    QVERIFY(roteiro::chamadas().isEmpty());
}

void TestConfRedePagina::mostrarDeNovoMantemListasSemItem() {
    gravar({{"tipoInter", "WIFI"}, {"seg", "WPA PROF"}, {"tipoLan", "IPFIX"}});
    abrir();
    QCOMPARE(lista("Cboseg")->currentIndex(), 3);
    QCOMPARE(lista("CbotipoLan")->currentIndex(), 1);

    // Codes the lists have no item for leave them as they were.
    gravar({{"tipoInter", "ETHE"}, {"seg", "OUTRA"}, {"tipoLan", "PPPoE"}});
    abrir();
    QCOMPARE(lista("CbotipoInter")->currentIndex(), 0);
    QCOMPARE(lista("Cboseg")->currentIndex(), 3);
    QCOMPARE(lista("CbotipoLan")->currentIndex(), 1);
    // ETHERNET turns the wireless boxes off, then the security rule (still "WPA
    // ENTERPRISE") turns the WiFi password on again; the address mode is still "IP FIXO".
    QCOMPARE(habilitados(), QStringList{QStringLiteral("Edtcod")} + enderecos);
}

void TestConfRedePagina::regras_data() {
    QTest::addColumn<QString>("nome");
    QTest::addColumn<int>("antes"); // the list's item before the change, set without running the rule
    QTest::addColumn<int>("item");
    QTest::addColumn<bool>("todosHabilitados"); // every ruled box's state before the change
    QTest::addColumn<QStringList>("esperados");

    for (const bool todos : {true, false}) {
        const QString de = todos ? QStringLiteral(" (todos habilitados antes)")
                                 : QStringLiteral(" (todos desabilitados antes)");
        const QStringList antes = todos ? regidos : QStringList();
        auto linha = [&](const char* rotulo, const char* nome, int anterior, int item,
                         const QStringList& esperados) {
            QTest::newRow(qPrintable(QString::fromUtf8(rotulo) + de))
                << QString::fromLatin1(nome) << anterior << item << todos << esperados;
        };
        linha("ETHERNET desabilita o sem fio", "CbotipoInter", -1, 0, menos(antes, semFio));
        linha("tipo de rede sem item habilita o sem fio", "CbotipoInter", 0, -1,
              menos(antes, semFio) + semFio);
        linha("NONE desabilita a senha WiFi", "Cboseg", 1, 0, menos(antes, {QStringLiteral("Edtcod")}));
        for (const int item : {1, 2, 3})
            linha("WEP/WPA habilita a senha WiFi", "Cboseg", item == 1 ? 0 : 1, item,
                  menos(antes, {QStringLiteral("Edtcod")}) + QStringList{QStringLiteral("Edtcod")});
        linha("segurança sem item: nada muda", "Cboseg", 2, -1, antes);
        linha("DHCP desabilita endereços e PPPoE", "CbotipoLan", 1, 0, menos(antes, enderecos + pppoe));
        linha("IP FIXO habilita endereços, desabilita PPPoE", "CbotipoLan", 0, 1,
              menos(antes, enderecos + pppoe) + enderecos);
        linha("interface sem item: nada muda", "CbotipoLan", 1, -1, antes);
        linha("NENHUM desabilita o proxy", "cboProxy", 1, 0, menos(antes, detalhesProxy));
        linha("COM CONFIGURAÇÃO habilita o proxy", "cboProxy", 0, 1,
              menos(antes, detalhesProxy) + detalhesProxy);
        linha("TRANSPARENTE desabilita o proxy", "cboProxy", 1, 2, menos(antes, detalhesProxy));
        linha("proxy sem item: nada muda", "cboProxy", 1, -1, antes);
    }
}

void TestConfRedePagina::regras() {
    QFETCH(QString, nome);
    QFETCH(int, antes);
    QFETCH(int, item);
    QFETCH(bool, todosHabilitados);
    QFETCH(QStringList, esperados);

    abrir();
    auto* alvo = w<QComboBox>(nome);
    {
        const QSignalBlocker semRegras(alvo);
        alvo->setCurrentIndex(antes);
    }
    for (const QString& n : regidos) {
        w(n)->setEnabled(todosHabilitados);
        if (auto* e = qobject_cast<QLineEdit*>(w(n)))
            e->setText(n);
    }

    alvo->setCurrentIndex(item);

    // Keep the order of `regidos` to compare.
    QStringList ordenados;
    for (const QString& n : regidos)
        if (esperados.contains(n))
            ordenados.append(n);
    QCOMPARE(habilitados(), ordenados);
    // Disabled boxes keep their text.
    for (const QString& n : regidos)
        if (auto* e = qobject_cast<QLineEdit*>(w(n)))
            QCOMPARE(e->text(), n);
}

void TestConfRedePagina::codigoCurto_data() {
    QTest::addColumn<QString>("codigo");
    QTest::newRow("7") << QStringLiteral("abcd123");
    QTest::newRow("7 entre brancos") << QStringLiteral("  abcd123 \t");
    QTest::newRow("vazio") << QString();
    QTest::newRow("só brancos") << QStringLiteral("          ");
}

void TestConfRedePagina::codigoCurto() {
    QFETCH(QString, codigo);
    abrir();
    lista("CbotipoLan")->setCurrentIndex(1);
    edit("EdtlanIP")->setText(QStringLiteral("10.0.0.5"));
    edit("LblEdtCodRede")->setText(codigo);

    enviar();

    QCOMPARE(b_->ui.mensagens(), QStringList{mensagemCodigoCurto});
    QCOMPARE(b_->ui.exibidos.size(), 1);
    QCOMPARE(edit("LblEdtCodRede")->text(), QString());
    // Nothing stored, written or sent.
    QVERIFY(!b_->janela->cds().isModified());
    QCOMPARE(b_->janela->cds().text(u"tipoLan"), QStringLiteral("DHCP"));
    QVERIFY(!QFileInfo::exists(confRede()));
    QVERIFY(roteiro::chamadas().isEmpty());
    QVERIFY(b_->janela->caminho().numsessao().isEmpty());
}

void TestConfRedePagina::envio_data() {
    QTest::addColumn<Campos>("gravados");      // the store before the page is shown
    QTest::addColumn<QVariantMap>("naPagina"); // then: list items (int) and box texts (QString)
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QByteArray>("codigoEnviado");
    QTest::addColumn<QByteArray>("documento"); // as sent, and in ConfRede.xml followed by CR LF
    QTest::addColumn<Campos>("depois");        // fields of the store after the send

    const QString codigo = QStringLiteral("abcd1234");
    const QByteArray cod = "abcd1234";

    QTest::newRow("padrão: o documento padrão")
        << Campos{} << QVariantMap{} << codigo << cod
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>0</proxy>")
        << Campos{{"tipoInter", "ETHE"}, {"tipoLan", "DHCP"}, {"proxy", "0"}, {"lanIP", ""}};
    QTest::newRow("IP FIXO")
        << Campos{}
        << QVariantMap{{"CbotipoLan", 1},        {"EdtlanIP", "10.0.0.5"},   {"EdtlanMask", "255.255.255.0"},
                       {"EdtlanGW", "10.0.0.1"}, {"EdtlanDNS1", "10.0.0.2"}, {"EdtlanDNS2", ""}}
        << codigo << cod
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>IPFIX</tipoLan><lanIP>10.0.0.5</lanIP>"
                   "<lanMask>255.255.255.0</lanMask><lanGW>10.0.0.1</lanGW><lanDNS1>10.0.0.2</lanDNS1>"
                   "<lanDNS2></lanDNS2><proxy>0</proxy>")
        << Campos{{"tipoLan", "IPFIX"}, {"lanIP", "10.0.0.5"}, {"lanMask", "255.255.255.0"}, {"lanDNS2", ""}};
    QTest::newRow("IP FIXO e DHCP de novo: endereços guardados, fora do documento")
        << Campos{}
        << QVariantMap{{"CbotipoLan", 1},
                       {"EdtlanIP", "10.0.0.5"},
                       {"EdtlanGW", "10.0.0.1"},
                       {"CbotipoLan ", 0}}
        << codigo << cod << enviado("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>0</proxy>")
        << Campos{{"tipoLan", "DHCP"}, {"lanIP", "10.0.0.5"}, {"lanGW", "10.0.0.1"}};
    QTest::newRow("TRANSPARENTE: proxy 2, detalhes guardados, fora do documento")
        << Campos{} << QVariantMap{{"cboProxy", 2}, {"Edtproxy_ip", "10.9.9.9"}, {"Edtproxy_porta", "3128"}}
        << codigo << cod << enviado("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>2</proxy>")
        << Campos{{"proxy", "2"}, {"proxy_ip", "10.9.9.9"}, {"proxy_porta", "3128"}};
    QTest::newRow("COM CONFIGURAÇÃO, acentos em UTF-8")
        << Campos{}
        << QVariantMap{{"cboProxy", 1},
                       {"Edtproxy_ip", "10.9.9.9"},
                       {"Edtproxy_porta", "3128"},
                       {"Edtproxy_user", "João"},
                       {"Edtproxy_senha", "s&nha"}}
        << codigo << cod
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>1</proxy>"
                   "<proxy_ip>10.9.9.9</proxy_ip><proxy_porta>3128</proxy_porta>"
                   "<proxy_user>Jo\xC3\xA3o</proxy_user><proxy_senha>s&amp;nha</proxy_senha>")
        << Campos{{"proxy", "1"}, {"proxy_user", "João"}, {"proxy_senha", "s&nha"}};
    QTest::newRow("COM CONFIGURAÇÃO, aspas como digitadas")
        << Campos{}
        << QVariantMap{{"cboProxy", 1},
                       {"Edtproxy_ip", "10.9.9.9"},
                       {"Edtproxy_porta", "3128"},
                       {"Edtproxy_user", "\"loja\""},
                       {"Edtproxy_senha", "s'e\"nha<>"}}
        << codigo << cod
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>1</proxy>"
                   "<proxy_ip>10.9.9.9</proxy_ip><proxy_porta>3128</proxy_porta>"
                   "<proxy_user>\"loja\"</proxy_user><proxy_senha>s'e\"nha&lt;&gt;</proxy_senha>")
        << Campos{{"proxy_user", "\"loja\""}, {"proxy_senha", "s'e\"nha<>"}};
    QTest::newRow("COM CONFIGURAÇÃO vazio: detalhes vazios")
        << Campos{} << QVariantMap{{"cboProxy", 1}} << codigo << cod
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>1</proxy><proxy_ip></proxy_ip>"
                   "<proxy_porta></proxy_porta><proxy_user></proxy_user><proxy_senha></proxy_senha>")
        << Campos{{"proxy", "1"}};
    QTest::newRow("WIFI gravado: mantido, com os dados sem fio")
        << Campos{{"tipoInter", "WIFI"}, {"SSID", "Loja"}, {"seg", "WPA PROF"}, {"codigo", "chave"}}
        << QVariantMap{} << codigo << cod
        << enviado("<tipoInter>WIFI</tipoInter><SSID>Loja</SSID><seg>WPA PROF</seg><codigo>chave</codigo>"
                   "<tipoLan>DHCP</tipoLan><proxy>0</proxy>")
        << Campos{{"tipoInter", "WIFI"}, {"seg", "WPA PROF"}};
    QTest::newRow("WIFI, NONE: sem codigo")
        << Campos{{"tipoInter", "WIFI"}, {"SSID", "Loja"}, {"seg", "NONE"}, {"codigo", "chave"}}
        << QVariantMap{} << codigo << cod
        << enviado("<tipoInter>WIFI</tipoInter><SSID>Loja</SSID><seg>NONE</seg><tipoLan>DHCP</tipoLan>"
                   "<proxy>0</proxy>")
        << Campos{{"tipoInter", "WIFI"}, {"seg", "NONE"}, {"codigo", "chave"}};
    QTest::newRow("WIFI trocado por ETHERNET")
        << Campos{{"tipoInter", "WIFI"}, {"SSID", "Loja"}, {"seg", "WEP"}} << QVariantMap{{"CbotipoInter", 0}}
        << codigo << cod << enviado("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>0</proxy>")
        << Campos{{"tipoInter", "ETHE"}, {"SSID", "Loja"}, {"seg", "WEP"}};
    QTest::newRow("segurança escolhida: seu código")
        << Campos{{"tipoInter", "WIFI"}, {"SSID", "Loja"}, {"seg", "NONE"}}
        << QVariantMap{{"Cboseg", 2}, {"Edtcod", "nova"}} << codigo << cod
        << enviado("<tipoInter>WIFI</tipoInter><SSID>Loja</SSID><seg>WPA-PERS</seg><codigo>nova</codigo>"
                   "<tipoLan>DHCP</tipoLan><proxy>0</proxy>")
        << Campos{{"seg", "WPA-PERS"}, {"codigo", "nova"}};
    QTest::newRow("PPPoE gravado: mantido, com usuario e senha")
        << Campos{{"tipoLan", "PPPoE"}, {"usuario", "ppp"}, {"senha", "s"}} << QVariantMap{} << codigo << cod
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>PPPoE</tipoLan><usuario>ppp</usuario><senha>s</senha>"
                   "<proxy>0</proxy>")
        << Campos{{"tipoLan", "PPPoE"}};
    QTest::newRow("proxy sem item: o valor gravado fica")
        << Campos{{"proxy", "1"}} << QVariantMap{{"cboProxy", -1}} << codigo << cod
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>1</proxy><proxy_ip></proxy_ip>"
                   "<proxy_porta></proxy_porta><proxy_user></proxy_user><proxy_senha></proxy_senha>")
        << Campos{{"proxy", "1"}};
    QTest::newRow("proxy ilegível sem item: fica, nunca -1")
        << Campos{{"proxy", "x"}} << QVariantMap{} << codigo << cod
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>x</proxy>")
        << Campos{{"proxy", "x"}};
    QTest::newRow("valores além da largura: cortados")
        << Campos{} << QVariantMap{{"CbotipoLan", 1}, {"EdtlanIP", "192.168.100.200.1"}} << codigo << cod
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>IPFIX</tipoLan><lanIP>192.168.100.200</lanIP>"
                   "<lanMask></lanMask><lanGW></lanGW><lanDNS1></lanDNS1><lanDNS2></lanDNS2><proxy>0</proxy>")
        << Campos{{"lanIP", "192.168.100.200"}};
    QTest::newRow("textos como digitados, sem aparar")
        << Campos{} << QVariantMap{{"CbotipoLan", 1}, {"EdtlanIP", " 10.0.0.5 "}} << codigo << cod
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>IPFIX</tipoLan><lanIP> 10.0.0.5 </lanIP>"
                   "<lanMask></lanMask><lanGW></lanGW><lanDNS1></lanDNS1><lanDNS2></lanDNS2><proxy>0</proxy>")
        << Campos{{"lanIP", " 10.0.0.5 "}};
    QTest::newRow("código com branco na frente: enviado com ele")
        << Campos{} << QVariantMap{} << QStringLiteral(" abcd1234") << QByteArray(" abcd1234")
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>0</proxy>") << Campos{};
    QTest::newRow("código de 7 com brancos: 8 aparado não, enviado como digitado")
        << Campos{} << QVariantMap{} << QStringLiteral("abcd1234  ") << QByteArray("abcd1234  ")
        << enviado("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>0</proxy>") << Campos{};
}

void TestConfRedePagina::envio() {
    QFETCH(Campos, gravados);
    QFETCH(QVariantMap, naPagina);
    QFETCH(QString, codigo);
    QFETCH(QByteArray, codigoEnviado);
    QFETCH(QByteArray, documento);
    QFETCH(Campos, depois);

    if (!gravados.isEmpty())
        gravar(gravados);
    abrir();
    for (auto p = naPagina.begin(); p != naPagina.end(); ++p) {
        const QString nome = p.key().trimmed(); // a trailing blank: the same list again, later
        if (p.value().typeId() == QMetaType::Int)
            w<QComboBox>(nome)->setCurrentIndex(p.value().toInt());
        else
            w<QLineEdit>(nome)->setText(p.value().toString());
    }
    edit("LblEdtCodRede")->setText(codigo);
    roteiro::responder(respostaOk);

    enviar();

    QCOMPARE(roteiro::chamadas().size(), 1);
    const roteiro::Chamada& chamada = roteiro::chamadas().first();
    QCOMPARE(chamada.funcao, QStringLiteral("ConfigurarInterfaceDeRede"));
    QCOMPARE(chamada.sessao, b_->janela->caminho().numsessao().toInt());
    QCOMPARE(chamada.argumentos, (QVariantList{codigoEnviado, documento}));
    QFile arquivo(confRede());
    QVERIFY(arquivo.open(QIODevice::ReadOnly));
    QCOMPARE(arquivo.readAll(), documento + "\r\n");
    const settings::ParameterStore& cds = b_->janela->cds();
    QVERIFY(!cds.isEditing());
    for (auto c = depois.begin(); c != depois.end(); ++c)
        QCOMPARE(cds.text(c.key()), c.value());
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("12000: Rede Configurada")});
    QCOMPARE(edit("LblEdtCodRede")->text(), QString());
    QCOMPARE(w<QLineEdit>(QStringLiteral("Edit1"))->text(), b_->janela->caminho().numsessao());
}

void TestConfRedePagina::resposta_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QStringList>("mensagens");
    QTest::addColumn<QString>("sefaz"); // the SEFAZ window's text, empty when it is not shown

    QTest::newRow("12000: campo 2") << QByteArray(respostaOk)
                                    << QStringList{QStringLiteral("12000: Rede Configurada")} << QString();
    // The SEFAZ window reads field 3 of every answer whose code does not start with
    // "130", so a third field also shows there.
    QTest::newRow("campo 2 com quatro caracteres: campo 3")
        << QByteArray("{sessao}|12000|0000|Rede Configurada|||")
        << QStringList{QStringLiteral("12000: Rede Configurada")}
        << QStringLiteral("Código: Rede Configurada\n\n");
    QTest::newRow("campo 2 com três caracteres")
        << QByteArray("{sessao}|12000|abc|outro|||") << QStringList{QStringLiteral("12000: abc")}
        << QStringLiteral("Código: outro\n\n");
    QTest::newRow("campo 2 com cinco caracteres")
        << QByteArray("{sessao}|12000|abcde|outro|||") << QStringList{QStringLiteral("12000: abcde")}
        << QStringLiteral("Código: outro\n\n");
    QTest::newRow("recusa: mostrada do mesmo jeito")
        << QByteArray("{sessao}|12002|Dados fora do padrão a ser informado: <lanIP>|||")
        << QStringList{QStringLiteral("12002: Dados fora do padrão a ser informado: <lanIP>")} << QString();
    QTest::newRow("com mensagem da SEFAZ")
        << QByteArray("{sessao}|12000|Rede Configurada|4321|Aviso")
        << QStringList{QStringLiteral("12000: Rede Configurada")} << QStringLiteral("Código: 4321\n\nAviso");
    QTest::newRow("UTF-8 inválido") << QByteArray("{sessao}|12001|C\xf3"
                                                  "digo inv\xe1lido|||")
                                    << QStringList{QStringLiteral("12001: C\uFFFDdigo inv\uFFFDlido")}
                                    << QString();
    QTest::newRow("quatro caracteres sem campo 3: nada")
        << QByteArray("{sessao}|12000|0000") << QStringList() << QString();
    QTest::newRow("sem campo 2: nada") << QByteArray("{sessao}|12000") << QStringList() << QString();
    QTest::newRow("vazia: nada") << QByteArray() << QStringList() << QString();
}

void TestConfRedePagina::resposta() {
    QFETCH(QByteArray, resposta);
    QFETCH(QStringList, mensagens);
    QFETCH(QString, sefaz);

    abrir();
    edit("LblEdtCodRede")->setText(QStringLiteral("abcd1234"));
    QString textoSefaz;
    QStringList mensagensAntesDaSefaz;
    QString barraDuranteASefaz = QStringLiteral("(não mostrada)");
    b_->ui.dialogos.push_back([&](QDialog& d) {
        textoSefaz = d.findChild<QPlainTextEdit*>(QStringLiteral("MemoSefaz"))->toPlainText();
        mensagensAntesDaSefaz = b_->ui.mensagens();
        barraDuranteASefaz = b_->barraDeStatus();
    });
    roteiro::responder(resposta);

    enviar();

    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(b_->ui.mensagens(), mensagens);
    QCOMPARE(textoSefaz, sefaz);
    if (!sefaz.isEmpty()) {
        QCOMPARE(mensagensAntesDaSefaz, mensagens); // the outcome first, then the SEFAZ window
        QCOMPARE(barraDuranteASefaz, QString());    // the status bar echoes the answer after both
    }
    QVERIFY(b_->ui.textos(Tipo::Erro).isEmpty());
    QCOMPARE(b_->barraDeStatus(),
             sat::textoStatus(resposta.replace("{sessao}", b_->sessaoDaUltimaChamada())));
    QCOMPARE(edit("LblEdtCodRede")->text(), QString());
}

void TestConfRedePagina::documentoQueNaoSeGravaNaoEnviaOAntigo() {
    // Something in ConfRede.xml's place that cannot be replaced.
    QVERIFY(QDir(b_->pasta.path()).mkdir(QStringLiteral("ConfRede.xml")));
    abrir();
    lista("CbotipoLan")->setCurrentIndex(1);
    edit("EdtlanIP")->setText(QStringLiteral("10.0.0.5"));
    edit("LblEdtCodRede")->setText(QStringLiteral("abcd1234"));

    enviar();

    QCOMPARE(b_->ui.mensagens().size(), 1);
    QVERIFY2(b_->ui.mensagens().first().startsWith(
                 QStringLiteral("Não foi possível gravar o arquivo ConfRede.xml: ")),
             qPrintable(b_->ui.mensagens().first()));
    QVERIFY(roteiro::chamadas().isEmpty());
    QVERIFY(b_->janela->caminho().numsessao().isEmpty());
    // The values stay stored; the code stays typed for another try.
    QCOMPARE(b_->janela->cds().text(u"tipoLan"), QStringLiteral("IPFIX"));
    QCOMPARE(b_->janela->cds().text(u"lanIP"), QStringLiteral("10.0.0.5"));
    QCOMPARE(edit("LblEdtCodRede")->text(), QStringLiteral("abcd1234"));
}

void TestConfRedePagina::envioChegaAoArquivoDeParametros() {
    abrir();
    lista("cboProxy")->setCurrentIndex(2);
    edit("LblEdtCodRede")->setText(QStringLiteral("abcd1234"));
    roteiro::responder(QByteArray("{sessao}|12001|Código de ativação inválido.|||"));
    enviar();
    QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("12001: Código de ativação inválido.")});

    b_->janela->gravarParametros();
    settings::ParameterStore relido;
    QVERIFY(relido.open(b_->pasta.filePath(QStringLiteral("Parametros.xml"))).ok());
    QCOMPARE(relido.text(u"proxy"), QStringLiteral("2"));

    // And the page shows it the next time.
    lista("cboProxy")->setCurrentIndex(0);
    abrir();
    QCOMPARE(lista("cboProxy")->currentText(), QStringLiteral("TRANSPARENTE"));
}

void TestConfRedePagina::enterEnvia() {
    b_->janela->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b_->janela.get()));
    abrir();
    for (const char* nome : {"LblEdtCodRede", "EdtlanIP", "cboProxy"}) {
        roteiro::limpar();
        b_->ui.exibidos.clear();
        edit("LblEdtCodRede")->setText(QStringLiteral("abcd1234"));
        roteiro::responder(respostaOk);
        QWidget* alvo = w(QString::fromLatin1(nome));
        alvo->setFocus();
        QTest::keyClick(alvo, Qt::Key_Return);
        QCOMPARE(roteiro::chamadas().size(), 1);
        QCOMPARE(b_->ui.mensagens(), QStringList{QStringLiteral("12000: Rede Configurada")});
    }
}

QTEST_MAIN(TestConfRedePagina)
#include "tst_confrede.moc"
