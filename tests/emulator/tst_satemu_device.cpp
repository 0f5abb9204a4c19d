// The emulated device through its life: factory, activation, code change,
// association, network, status report, block and unblock, software update,
// and the state kept in its file.
#include "satemu_test_support.h"
#include "../support/autoridadeteste.h"

#include <QDateTime>
#include <atomic>
#include <QRegularExpression>
#include <thread>

using namespace satemu_test;

class TestSatemuDevice : public QObject {
    Q_OBJECT

private slots:
    void init() { home_ = std::make_unique<DeviceHome>(); }
    void cleanup() { home_.reset(); }

    void factoryDeviceAnswersTheConsult();
    void activation_data();
    void activation();
    void secondActivationIsRefused();
    void codeChange_data();
    void codeChange();
    void association_data();
    void association();
    void network_data();
    void network();
    void statusReportFields();
    void statusAddressesThreeDigitsPerOctet();
    void blockAndUnblock();
    void blocksTheTaxpayerCannotLift_data();
    void blocksTheTaxpayerCannotLift();
    void softwareUpdate();
    void icpBrasilActivation();
    void setDriver();
    void stateSurvivesInItsFile();
    void concurrentCallsKeepTheirOwnAnswers();

private:
    QList<QByteArray> status(const QByteArray& code = kCode) {
        return fields(ConsultarStatusOperacional(nextSession(), code.constData()));
    }
    void setStateValue(const QByteArray& key, const QByteArray& value) {
        QByteArray state = DeviceHome::read(home_->stateFile());
        const QRegularExpression line(QStringLiteral("(?m)^%1=.*$").arg(QString::fromLatin1(key)));
        state = QString::fromUtf8(state).replace(line, QString::fromLatin1(key + "=" + value)).toUtf8();
        DeviceHome::write(home_->stateFile(), state);
    }
    std::unique_ptr<DeviceHome> home_;
};

void TestSatemuDevice::factoryDeviceAnswersTheConsult() {
    const auto f = fields(ConsultarSAT(42));
    QCOMPARE(f.size(), 5);
    QCOMPARE(f[0], QByteArray("000042"));
    QCOMPARE(f[1], QByteArray("08000"));
    QCOMPARE(QString::fromUtf8(f[2]), QStringLiteral("SAT em operação."));
    QCOMPARE(f[3], QByteArray());
    QCOMPARE(f[4], QByteArray());
    // A factory device is not activated: the status report is refused.
    QCOMPARE(status()[1], QByteArray("10002"));
}

void TestSatemuDevice::activation_data() {
    QTest::addColumn<int>("subCommand");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("cnpj");
    QTest::addColumn<int>("uf");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("AC-SAT SEFAZ") << 1 << kCode << kTaxpayer << 35 << QByteArray("04000");
    QTest::newRow("code of 32 characters")
        << 1 << QByteArray(32, 'x') << kTaxpayer << 12 << QByteArray("04000");
    QTest::newRow("code of 7 characters")
        << 1 << QByteArray("1234567") << kTaxpayer << 35 << QByteArray("04001");
    QTest::newRow("code of 33 characters")
        << 1 << QByteArray(33, 'x') << kTaxpayer << 35 << QByteArray("04001");
    QTest::newRow("empty code") << 1 << QByteArray() << kTaxpayer << 35 << QByteArray("04001");
    QTest::newRow("CNPJ check digit wrong")
        << 1 << kCode << QByteArray("11222333000182") << 35 << QByteArray("04002");
    QTest::newRow("CNPJ with punctuation")
        << 1 << kCode << QByteArray("11.222.333/0001-81") << 35 << QByteArray("04002");
    QTest::newRow("CNPJ all zeros") << 1 << kCode << QByteArray(14, '0') << 35 << QByteArray("04002");
    QTest::newRow("state code unknown") << 1 << kCode << kTaxpayer << 99 << QByteArray("04008");
    QTest::newRow("state code negative") << 1 << kCode << kTaxpayer << -35 << QByteArray("04008");
    QTest::newRow("sub-command 0") << 0 << kCode << kTaxpayer << 35 << QByteArray("04009");
    QTest::newRow("renewal on a factory device") << 3 << kCode << kTaxpayer << 35 << QByteArray("04007");
}

void TestSatemuDevice::activation() {
    QFETCH(int, subCommand);
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, cnpj);
    QFETCH(int, uf);
    QFETCH(QByteArray, expected);
    const int s = nextSession();
    const auto f = fields(AtivarSAT(s, subCommand, code.constData(), cnpj.constData(), uf));
    QVERIFY(f.size() >= 5);
    QCOMPARE(f[0], sessionText(s));
    QCOMPARE(f[1], expected);
    QVERIFY(!f[2].isEmpty());
    const bool activated = expected == "04000";
    QCOMPARE(status(code)[1], activated ? QByteArray("10000") : QByteArray("10002"));
}

void TestSatemuDevice::secondActivationIsRefused() {
    QCOMPARE(fields(activate())[1], QByteArray("04000"));
    const auto again = fields(activate("outrocodigo"));
    QCOMPARE(again[1], QByteArray("04003"));
    QCOMPARE(QString::fromUtf8(again[2]), QStringLiteral("SAT já ativado"));
    // The first activation's code still holds.
    QCOMPARE(status()[1], QByteArray("10000"));
    QCOMPARE(status("outrocodigo")[1], QByteArray("10001"));
}

void TestSatemuDevice::codeChange_data() {
    QTest::addColumn<QByteArray>("proof");
    QTest::addColumn<int>("option");
    QTest::addColumn<QByteArray>("newCode");
    QTest::addColumn<QByteArray>("confirmation");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("current code") << kCode << 1 << QByteArray("novocodigo1") << QByteArray("novocodigo1")
                                  << QByteArray("18000");
    QTest::newRow("emergency code") << kEmergencyCode << 2 << QByteArray("novocodigo2")
                                    << QByteArray("novocodigo2") << QByteArray("18000");
    QTest::newRow("wrong current code") << QByteArray("errado99") << 1 << QByteArray("novocodigo1")
                                        << QByteArray("novocodigo1") << QByteArray("18001");
    QTest::newRow("activation code given as emergency code")
        << kCode << 2 << QByteArray("novocodigo1") << QByteArray("novocodigo1") << QByteArray("18002");
    QTest::newRow("new code too short")
        << kCode << 1 << QByteArray("curto") << QByteArray("curto") << QByteArray("18004");
    QTest::newRow("confirmation differs")
        << kCode << 1 << QByteArray("novocodigo1") << QByteArray("novocodigo2") << QByteArray("18005");
    QTest::newRow("option 3") << kCode << 3 << QByteArray("novocodigo1") << QByteArray("novocodigo1")
                              << QByteArray("18006");
}

void TestSatemuDevice::codeChange() {
    QFETCH(QByteArray, proof);
    QFETCH(int, option);
    QFETCH(QByteArray, newCode);
    QFETCH(QByteArray, confirmation);
    QFETCH(QByteArray, expected);
    QCOMPARE(fields(activate())[1], QByteArray("04000"));
    const auto f = fields(TrocarCodigoDeAtivacao(nextSession(), proof.constData(), option,
                                                 newCode.constData(), confirmation.constData()));
    QCOMPARE(f.size(), 5);
    QCOMPARE(f[1], expected);
    if (expected == "18000") {
        QCOMPARE(status(newCode)[1], QByteArray("10000"));
        QCOMPARE(status(kCode)[1], QByteArray("10001"));
    } else {
        QCOMPARE(status(kCode)[1], QByteArray("10000"));
    }
}

void TestSatemuDevice::association_data() {
    QTest::addColumn<QByteArray>("pair");
    QTest::addColumn<QByteArray>("sign");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("software house first") << kSoftwareHouse + kTaxpayer << signature() << QByteArray("13000");
    QTest::newRow("taxpayer first") << kTaxpayer + kSoftwareHouse << signature() << QByteArray("13005");
    QTest::newRow("27 digits") << (kSoftwareHouse + kTaxpayer).left(27) << signature() << QByteArray("13004");
    QTest::newRow("software house check digit wrong")
        << QByteArray("11444777000162") + kTaxpayer << signature() << QByteArray("13004");
    QTest::newRow("signature of 343 characters")
        << kSoftwareHouse + kTaxpayer << signature().left(343) << QByteArray("13003");
    QTest::newRow("signature not Base64")
        << kSoftwareHouse + kTaxpayer << QByteArray(344, '*') << QByteArray("13003");
    QTest::newRow("344 zeros") << kSoftwareHouse + kTaxpayer << QByteArray(344, '0') << QByteArray("13003");
}

void TestSatemuDevice::association() {
    QFETCH(QByteArray, pair);
    QFETCH(QByteArray, sign);
    QFETCH(QByteArray, expected);
    activate();
    const int s = nextSession();
    const auto f = fields(AssociarAssinatura(s, kCode.constData(), pair.constData(), sign.constData()));
    // Association answers carry an alert code after the answer code.
    QCOMPARE(f.size(), 6);
    QCOMPARE(f[0], sessionText(s));
    QCOMPARE(f[1], expected);
    QCOMPARE(f[2], QByteArray("0000"));
    QVERIFY(!f[3].isEmpty());
    // Only a registered association lets the production end-to-end test through.
    const auto test = fields(TesteFimAFim(nextSession(), kCode.constData(), testDocument(true).constData()));
    QCOMPARE(test[1], expected == "13000" ? QByteArray("09000") : QByteArray("09005"));
}

void TestSatemuDevice::network_data() {
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QByteArray>("tipoLan");
    QTest::addColumn<QByteArray>("ip"); // as the status report gives it: three digits per octet
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"utf-8\"?><config>";
    QTest::newRow("default document")
        << head + "<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>0</proxy>"
                  "</config>\r\n"
        << QByteArray("12000") << QByteArray("DHCP") << QByteArray("192.168.000.119");
    QTest::newRow("fixed address")
        << head + "<tipoInter>ETHE</tipoInter><tipoLan>IPFIX</tipoLan><lanIP>10.1.2.3</lanIP>"
                  "<lanMask>255.255.0.0</lanMask><lanGW>10.1.0.1</lanGW><lanDNS1>10.1.0.2"
                  "</lanDNS1><lanDNS2>10.1.0.3</lanDNS2><proxy>0</proxy></config>"
        << QByteArray("12000") << QByteArray("IPFIX") << QByteArray("010.001.002.003");
    QTest::newRow("wireless, proxy with settings")
        << head + "<tipoInter>WIFI</tipoInter><SSID>Loja &amp; Cia</SSID><seg>WPA "
                  "PROF</seg><codigo>segredo</codigo>"
                  "<tipoLan>DHCP</tipoLan><proxy>1</proxy><proxy_ip>10.0.0.9</proxy_ip><proxy_porta>3128"
                  "</proxy_porta><proxy_user></proxy_user><proxy_senha></proxy_senha></config>"
        << QByteArray("12000") << QByteArray("DHCP") << QByteArray("192.168.000.119");
    QTest::newRow("PPPoE") << head +
                                  "<tipoInter>ETHE</tipoInter><tipoLan>PPPoE</tipoLan><usuario>loja</usuario>"
                                  "<senha>x</senha><proxy>2</proxy></config>"
                           << QByteArray("12000") << QByteArray("PPPoE") << QByteArray("100.064.010.119");
    QTest::newRow("address out of range")
        << head + "<tipoInter>ETHE</tipoInter><tipoLan>IPFIX</tipoLan><lanIP>10.1.2."
                  "300</lanIP><lanMask>255.255.0.0</lanMask><lanGW>10.1.0.1</lanGW>"
                  "<lanDNS1>10.1.0.2</lanDNS1><lanDNS2/><proxy>0</proxy></config>"
        << QByteArray("12002") << QByteArray("DHCP") << QByteArray("192.168.000.119");
    QTest::newRow("mask not contiguous")
        << head + "<tipoInter>ETHE</tipoInter><tipoLan>IPFIX</tipoLan><lanIP>10.1.2.3"
                  "</lanIP><lanMask>255.0.255.0</lanMask><lanGW>10.1.0.1</lanGW>"
                  "<lanDNS1>10.1.0.2</lanDNS1><proxy>0</proxy></config>"
        << QByteArray("12002") << QByteArray("DHCP") << QByteArray("192.168.000.119");
    QTest::newRow("gateway outside the network")
        << head + "<tipoInter>ETHE</tipoInter><tipoLan>IPFIX</tipoLan><lanIP>10.1.2.3</"
                  "lanIP><lanMask>255.255.255.0"
                  "</lanMask><lanGW>10.9.9.1</lanGW><lanDNS1>10.1.2.1</lanDNS1><proxy>0</proxy></config>"
        << QByteArray("12002") << QByteArray("DHCP") << QByteArray("192.168.000.119");
    QTest::newRow("interface type in lower case")
        << head + "<tipoInter>wifi</tipoInter><tipoLan>DHCP</tipoLan>"
                  "<proxy>0</proxy></config>"
        << QByteArray("12002") << QByteArray("DHCP") << QByteArray("192.168.000.119");
    QTest::newRow("proxy port not a number")
        << head + "<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>1"
                  "</proxy><proxy_ip>10.0.0.9</proxy_ip><proxy_porta>http"
                  "</proxy_porta><proxy_user/><proxy_senha/></config>"
        << QByteArray("12002") << QByteArray("DHCP") << QByteArray("192.168.000.119");
    QTest::newRow("unknown element")
        << head + "<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>0</proxy>"
                  "<vlan>3</vlan></config>"
        << QByteArray("12002") << QByteArray("DHCP") << QByteArray("192.168.000.119");
    QTest::newRow("not well-formed") << head + "<tipoInter>ETHE</tipoLan></config>" << QByteArray("12002")
                                     << QByteArray("DHCP") << QByteArray("192.168.000.119");
    QTest::newRow("empty") << QByteArray() << QByteArray("12002") << QByteArray("DHCP")
                           << QByteArray("192.168.000.119");
}

void TestSatemuDevice::network() {
    QFETCH(QByteArray, config);
    QFETCH(QByteArray, expected);
    QFETCH(QByteArray, tipoLan);
    QFETCH(QByteArray, ip);
    activate();
    const auto f = fields(ConfigurarInterfaceDeRede(nextSession(), kCode.constData(), config.constData()));
    QCOMPARE(f.size(), 5);
    QCOMPARE(f[1], expected);
    if (expected != "12000")
        QVERIFY2(f[2].startsWith("Dados fora do padrão a ser informado: "), f[2].constData());
    const auto st = status();
    QCOMPARE(st[6], tipoLan);
    QCOMPARE(st[7], ip);
}

void TestSatemuDevice::statusAddressesThreeDigitsPerOctet() {
    // Fixed addresses come back as real devices write them; an absent DNS 2 stays empty.
    activate();
    const QByteArray config = "<?xml version=\"1.0\" encoding=\"utf-8\"?><config><tipoInter>ETHE</tipoInter>"
                              "<tipoLan>IPFIX</tipoLan><lanIP>10.0.0.108</lanIP><lanMask>255.255.255.0</lanMask>"
                              "<lanGW>10.0.0.1</lanGW><lanDNS1>8.8.4.4</lanDNS1><lanDNS2></lanDNS2>"
                              "<proxy>0</proxy></config>";
    QCOMPARE(fields(ConfigurarInterfaceDeRede(nextSession(), kCode.constData(), config.constData()))[1],
             QByteArray("12000"));
    const auto f = status();
    QCOMPARE(f[7], QByteArray("010.000.000.108")); // LAN_IP
    QCOMPARE(f[9], QByteArray("255.255.255.000")); // LAN_MASK
    QCOMPARE(f[10], QByteArray("010.000.000.001")); // LAN_GW
    QCOMPARE(f[11], QByteArray("008.008.004.004")); // LAN_DNS_1
    QCOMPARE(f[12], QByteArray());                  // LAN_DNS_2
}

void TestSatemuDevice::statusReportFields() {
    activate();
    const auto f = status();
    QCOMPARE(f.size(), 28); // five leading fields and the 23 status fields
    QCOMPARE(f[1], QByteArray("10000"));
    QCOMPARE(f[5], kFactorySerial);     // NSERIE
    QCOMPARE(f[6], QByteArray("DHCP")); // TIPO_LAN
    for (int p : {7, 9, 10, 11, 12})    // LAN_IP, MASK, GW, DNS_1, DNS_2
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{3}\\.\\d{3}\\.\\d{3}\\.\\d{3}$"))
                     .match(QString::fromLatin1(f[p]))
                     .hasMatch(),
                 f[p].constData());
    QVERIFY(QRegularExpression(QStringLiteral("^([0-9A-F]{2}:){5}[0-9A-F]{2}$"))
                .match(QString::fromLatin1(f[8]))
                .hasMatch());
    QCOMPARE(f[13], QByteArray("CONECTADO")); // STATUS_LAN
    QCOMPARE(f[18], QByteArray("01.05.00"));  // VER_SB
    QCOMPARE(f[19], QByteArray("00.08"));     // VER_LAYOUT
    QCOMPARE(f[20], QByteArray(44, '0'));     // no CF-e yet
    const QByteArray now = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd")).toLatin1();
    QCOMPARE(f[17].size(), 14);                                 // DH_ATUAL
    QVERIFY(f[17].startsWith(now) || f[17] < now);              // (a run across midnight)
    QCOMPARE(f[24].size(), 14);                                 // DH_ULTIMA: the activation
    QCOMPARE(f[25].size(), 8);                                  // CERT_EMISSAO
    QCOMPARE(f[26].left(4).toInt(), f[25].left(4).toInt() + 5); // CERT_VENCIMENTO
    QCOMPARE(f[27], QByteArray("0"));                           // ESTADO_OPERACAO

    const auto test = fields(TesteFimAFim(nextSession(), kCode.constData(), testDocument(false).constData()));
    QCOMPARE(test[1], QByteArray("09000"));
    const auto after = status();
    QCOMPARE("CFe" + after[20], test[8]); // ULTIMO_CF-E-SAT
    QCOMPARE(after[23], test[6]);         // DH_CFe
}

void TestSatemuDevice::blockAndUnblock() {
    activate();
    associate();
    QCOMPARE(fields(DesbloquearSAT(nextSession(), kCode.constData()))[1], QByteArray("17003"));
    const auto blocked = fields(BloquearSAT(nextSession(), kCode.constData()));
    QCOMPARE(blocked.size(), 5);
    QCOMPARE(blocked[1], QByteArray("16000"));
    QCOMPARE(status()[27], QByteArray("2"));
    QCOMPARE(fields(BloquearSAT(nextSession(), kCode.constData()))[1], QByteArray("16003"));
    QCOMPARE(fields(TesteFimAFim(nextSession(), kCode.constData(), testDocument(false).constData()))[1],
             QByteArray("09003"));
    const QByteArray sale = saleDocument({simpleItem()}, payment("10.00"));
    QCOMPARE(fields(EnviarDadosVenda(nextSession(), kCode.constData(), sale.constData()))[1],
             QByteArray("06006"));
    QCOMPARE(fields(ConsultarSAT(nextSession()))[1], QByteArray("08000"));
    QCOMPARE(fields(DesbloquearSAT(nextSession(), "errado99"))[1], QByteArray("17001"));
    QCOMPARE(fields(DesbloquearSAT(nextSession(), kCode.constData()))[1], QByteArray("17000"));
    QCOMPARE(status()[27], QByteArray("0"));
    QCOMPARE(fields(EnviarDadosVenda(nextSession(), kCode.constData(), sale.constData()))[1],
             QByteArray("06000"));
}

void TestSatemuDevice::blocksTheTaxpayerCannotLift_data() {
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QByteArray>("consult");
    QTest::addColumn<QByteArray>("sale");
    QTest::newRow("SEFAZ") << QByteArray("1") << QByteArray("08000") << QByteArray("06007");
    QTest::newRow("autonomous") << QByteArray("3") << QByteArray("08000") << QByteArray("06008");
    QTest::newRow("for deactivation") << QByteArray("4") << QByteArray("08097") << QByteArray("06007");
}

void TestSatemuDevice::blocksTheTaxpayerCannotLift() {
    QFETCH(QByteArray, state);
    QFETCH(QByteArray, consult);
    QFETCH(QByteArray, sale);
    activate();
    associate();
    setStateValue("estado_operacao", state);
    QCOMPARE(status()[27], state);
    QCOMPARE(fields(ConsultarSAT(nextSession()))[1], consult);
    QCOMPARE(fields(DesbloquearSAT(nextSession(), kCode.constData()))[1], QByteArray("17004"));
    QCOMPARE(fields(BloquearSAT(nextSession(), kCode.constData()))[1], QByteArray("16003"));
    const QByteArray doc = saleDocument({simpleItem()}, payment("10.00"));
    QCOMPARE(fields(EnviarDadosVenda(nextSession(), kCode.constData(), doc.constData()))[1], sale);
}

void TestSatemuDevice::softwareUpdate() {
    activate();
    const auto f = fields(AtualizarSoftwareSAT(nextSession(), kCode.constData()));
    QCOMPARE(f.size(), 5);
    QCOMPARE(f[1], QByteArray("14000"));
    QCOMPARE(status()[18], QByteArray("01.06.00"));
    QCOMPARE(fields(AtualizarSoftwareSAT(nextSession(), kCode.constData()))[1], QByteArray("14003"));
    // The new version is in the CF-e the device issues.
    const auto test = fields(TesteFimAFim(nextSession(), kCode.constData(), testDocument(false).constData()));
    QVERIFY(QByteArray::fromBase64(test[5]).contains("versaoSB=\"010600\""));
}

void TestSatemuDevice::icpBrasilActivation() {
    const auto csr = fields(AtivarSAT(nextSession(), 2, kCode.constData(), kTaxpayer.constData(), kSaoPaulo));
    QCOMPARE(csr.size(), 6);
    QCOMPARE(csr[1], QByteArray("04006"));
    const QByteArray der = QByteArray::fromBase64(csr[5], QByteArray::AbortOnBase64DecodingErrors);
    QVERIFY(der.startsWith('\x30'));
    QVERIFY(der.contains(kTaxpayer));
    QCOMPARE(status()[1], QByteArray("10002")); // waiting for the certificate
    QCOMPARE(fields(ComunicarCertificadoICPBRASIL(nextSession(), kCode.constData(), "bm90IGEgY2VydA=="))[1],
             QByteArray("05002"));
    const auto send = [](const QByteArray& code, const QByteArray& certificate) {
        return fields(ComunicarCertificadoICPBRASIL(nextSession(), code.constData(), certificate.constData()));
    };
#if defined(SATEMU_REAL_CERTIFICATES)
    // The request is one a certificate tool reads and whose signature it checks.
    QTemporaryDir folder;
    const QDir dir(folder.path());
    const autoridadeteste::Autoridade authority(folder.path());
    QVERIFY2(authority.criada(), authority.criacao().saida.constData());
    QVERIFY(autoridadeteste::gravar(dir.filePath(QStringLiteral("pedido.der")), der));
    const auto read = autoridadeteste::openssl({QStringLiteral("req"), QStringLiteral("-inform"), QStringLiteral("DER"),
                                                QStringLiteral("-in"), QStringLiteral("pedido.der"),
                                                QStringLiteral("-verify"), QStringLiteral("-noout"),
                                                QStringLiteral("-subject")},
                                               folder.path());
    QVERIFY2(read.status == 0, read.saida.constData());
    QVERIFY2(read.saida.contains("verify OK") && read.saida.contains(kTaxpayer) &&
                 read.saida.contains("serialNumber = " + kFactorySerial),
             read.saida.constData());

    // The request is not a certificate; the authority's certificate carries another key.
    auto refused = send(kCode, csr[5]);
    QCOMPARE(refused[1], QByteArray("05002"));
    QVERIFY2(refused[2].contains("X.509"), refused[2].constData());
    refused = send(kCode, autoridadeteste::ler(authority.certificado()));
    QCOMPARE(refused[1], QByteArray("05002"));
    QVERIFY2(refused[2].contains("chave pública"), refused[2].constData());
    QCOMPARE(status()[1], QByteArray("10002")); // still waiting

    const QString today = QDateTime::currentDateTimeUtc().date().toString(QStringLiteral("yyyyMMdd"));
    const QString inAYear =
        QDateTime::currentDateTimeUtc().date().addDays(365).toString(QStringLiteral("yyyyMMdd"));
    const auto signedBy = [&](const QString& request, const QString& certificate, bool derOut) {
        const auto r = authority.assinar(request, dir.filePath(certificate), derOut, true);
        if (r.status != 0)
            qWarning("%s", r.saida.constData());
        return autoridadeteste::ler(dir.filePath(certificate));
    };
    const QByteArray pem = signedBy(QStringLiteral("pedido.der"), QStringLiteral("certificado.pem"), false);
    QVERIFY(pem.startsWith("-----BEGIN CERTIFICATE-----"));
    QCOMPARE(send("errado99", pem)[1], QByteArray("05001"));
    QCOMPARE(send(kCode, pem)[1], QByteArray("05000"));
    auto st = status();
    QCOMPARE(st[1], QByteArray("10000"));
    // The status report gives the dates of the certificate installed.
    QCOMPARE(QString::fromLatin1(st[25]), today);
    QCOMPARE(QString::fromLatin1(st[26]), inAYear);
    QVERIFY(DeviceHome::read(home_->stateFile()).contains("Certificado ICP-BRASIL instalado"));
    QCOMPARE(send(kCode, pem)[1], QByteArray("05003"));

    // Renewal: a new key; the certificate of the old one no longer fits.
    const auto renewal = fields(AtivarSAT(nextSession(), 3, kCode.constData(), kTaxpayer.constData(), kSaoPaulo));
    QCOMPARE(renewal[1], QByteArray("04006"));
    QVERIFY(renewal[5] != csr[5]);
    QCOMPARE(send(kCode, pem)[1], QByteArray("05002"));
    QVERIFY(autoridadeteste::gravar(dir.filePath(QStringLiteral("renovacao.der")),
                                    QByteArray::fromBase64(renewal[5])));
    // Sent as the device gave its request: the DER in Base64 with no PEM lines.
    const QByteArray renewed = signedBy(QStringLiteral("renovacao.der"), QStringLiteral("renovado.der"), true);
    QVERIFY(renewed.startsWith('\x30'));
    QCOMPARE(send(kCode, renewed.toBase64())[1], QByteArray("05000"));
#else
    // The stand-in takes any ASN.1 sequence of 64 bytes or more.
    QByteArray cert(300, 'c');
    cert[0] = '\x30';
    const QByteArray pem =
        "-----BEGIN CERTIFICATE-----\n" + cert.toBase64() + "\n-----END CERTIFICATE-----\n";
    QCOMPARE(send("errado99", pem)[1], QByteArray("05001"));
    QCOMPARE(send(kCode, pem)[1], QByteArray("05000"));
    QCOMPARE(status()[1], QByteArray("10000"));
    QCOMPARE(send(kCode, pem)[1], QByteArray("05003"));
    QCOMPARE(fields(AtivarSAT(nextSession(), 3, kCode.constData(), kTaxpayer.constData(), kSaoPaulo))[1],
             QByteArray("04006"));
#endif
    QCOMPARE(fields(AtivarSAT(nextSession(), 1, kCode.constData(), kTaxpayer.constData(), kSaoPaulo))[1],
             QByteArray("04003"));
}

void TestSatemuDevice::setDriver() {
    auto f = fields(SetDriver(nextSession(), "serial"));
    QCOMPARE(f.size(), 5);
    QCOMPARE(f[1], QByteArray("20000"));
    QVERIFY(DeviceHome::read(home_->stateFile()).contains("\ndriver=SERIAL\n"));
    QCOMPARE(fields(SetDriver(nextSession(), "bluetooth"))[1], QByteArray("20001"));
}

void TestSatemuDevice::stateSurvivesInItsFile() {
    activate();
    associate();
    const QByteArray config =
        "<config><tipoInter>ETHE</tipoInter><tipoLan>IPFIX</tipoLan><lanIP>10.0.0.5</lanIP>"
        "<lanMask>255.255.255.0</lanMask><lanGW>10.0.0.1</lanGW><lanDNS1>10.0.0.1</lanDNS1>"
        "<lanDNS2></lanDNS2><proxy>0</proxy></config>";
    QCOMPARE(fields(ConfigurarInterfaceDeRede(nextSession(), kCode.constData(), config.constData()))[1],
             QByteArray("12000"));
    TrocarCodigoDeAtivacao(nextSession(), kCode.constData(), 1, "persistido", "persistido");
    BloquearSAT(nextSession(), "persistido");

    const QByteArray saved = DeviceHome::read(home_->stateFile());
    QVERIFY(saved.startsWith("SATEMU-ESTADO 1\n"));
    QVERIFY(saved.endsWith("[fim]\n"));
    // Written by renaming a complete temporary file: nothing else stays behind.
    QCOMPARE(QDir(home_->path()).entryList(QDir::Files), QStringList{QStringLiteral("satemu-state.txt")});

    // Another folder holding a copy of the file is the same device.
    DeviceHome other;
    QVERIFY(QFile::copy(home_->stateFile(), other.stateFile()));
    const auto f = status("persistido");
    QCOMPARE(f[1], QByteArray("10000"));
    QCOMPARE(f[6], QByteArray("IPFIX"));
    QCOMPARE(f[7], QByteArray("010.000.000.005"));
    QCOMPARE(f[27], QByteArray("2"));
    QCOMPARE(fields(TesteFimAFim(nextSession(), "persistido", testDocument(true).constData()))[1],
             QByteArray("09003")); // still blocked, but associated and activated

    // A factory reset: the state file removed.
    QVERIFY(QFile::remove(other.stateFile()));
    QCOMPARE(status("persistido")[1], QByteArray("10002"));
}

void TestSatemuDevice::concurrentCallsKeepTheirOwnAnswers() {
    activate();
    std::atomic<int> mismatches{0};
    auto worker = [&mismatches](int first) {
        for (int i = 0; i < 40; ++i) {
            const int s = first + i;
            const char* answer = (i % 2 == 0) ? ConsultarSAT(s) : ConsultarStatusOperacional(s, "12345678");
            const QByteArray copy(answer);
            if (!copy.startsWith(sessionText(s) + "|"))
                ++mismatches;
        }
    };
    std::thread a(worker, 200000);
    std::thread b(worker, 300000);
    a.join();
    b.join();
    QCOMPARE(mismatches.load(), 0);
    // Each thread's answer buffer is its own: this thread's last answer is intact.
    const char* mine = ConsultarSAT(777777);
    QVERIFY(QByteArray(mine).startsWith("777777|08000|"));
}

QTEST_GUILESS_MAIN(TestSatemuDevice)
#include "tst_satemu_device.moc"
