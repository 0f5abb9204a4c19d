// The network configuration document: built from the parameter store's record,
// written over ConfRede.xml whole or not at all, and read back as one line.
#include "settings/checkconfigs.h"
#include "settings/confrede.h"
#include "settings/parameterstore.h"
#include "storefiles.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using storetest::readAll;
using storetest::writeFile;

namespace {

using Campos = QMap<QString, QString>;

const QByteArray declaracao = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

// The elements between <config> and </config>, as the document must carry them.
QByteArray documento(const QByteArray& elementos) {
    return declaracao + "<config>" + elementos + "</config>\r\n";
}

} // namespace

class TestConfRede : public QObject {
    Q_OBJECT
private slots:
    void init();

    void documentoDoRegistro_data();
    void documentoDoRegistro();
    void registroPadraoDaODocumentoPadrao();
    void geraxmlSubstituiOArquivo();
    void geraxmlQueNaoGravaMantemOArquivo();
    void leituraEmUmaLinha_data();
    void leituraEmUmaLinha();
    void leituraDeArquivoAusente();
    void leituraDeArquivoIlegivel();

private:
    // The default record with `campos` assigned and posted.
    void registro(const Campos& campos);

    std::unique_ptr<QTemporaryDir> pasta_;
    std::unique_ptr<settings::ParameterStore> cds_;
};

void TestConfRede::init() {
    pasta_ = std::make_unique<QTemporaryDir>();
    QVERIFY(pasta_->isValid());
    const QString parametros = pasta_->filePath(QStringLiteral("Parametros.xml"));
    QVERIFY(writeFile(parametros, settings::defaultParametrosXml()));
    cds_ = std::make_unique<settings::ParameterStore>();
    QVERIFY(cds_->open(parametros).ok());
}

void TestConfRede::registro(const Campos& campos) {
    cds_->first();
    cds_->edit();
    for (auto c = campos.begin(); c != campos.end(); ++c)
        QVERIFY2(cds_->setText(c.key(), c.value()), qPrintable(c.key()));
    cds_->post();
}

void TestConfRede::documentoDoRegistro_data() {
    QTest::addColumn<Campos>("campos"); // assigned over the default record (ETHE, DHCP, proxy 0)
    QTest::addColumn<QByteArray>("esperado");

    const Campos enderecos{{"lanIP", "10.0.0.5"},   {"lanMask", "255.255.255.0"}, {"lanGW", "10.0.0.1"},
                           {"lanDNS1", "10.0.0.2"}, {"lanDNS2", "8.8.8.8"},       {"usuario", "pppuser"},
                           {"senha", "ppppass"}};
    const Campos detalhesProxy{
        {"proxy_ip", "10.1.1.1"}, {"proxy_porta", "3128"}, {"proxy_user", "pu"}, {"proxy_senha", "ps"}};
    const QByteArray padraoDepoisDaRede = "<tipoLan>DHCP</tipoLan><proxy>0</proxy>";
    auto mais = [](Campos a, const Campos& b) {
        a.insert(b);
        return a;
    };

    QTest::newRow("ETHE, DHCP, 0")
        << Campos{} << documento("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>0</proxy>");
    QTest::newRow("ETHE esconde os dados sem fio")
        << Campos{{"SSID", "Loja"}, {"seg", "WEP"}, {"codigo", "chave"}}
        << documento("<tipoInter>ETHE</tipoInter>" + padraoDepoisDaRede);
    QTest::newRow("WIFI/NONE: SSID e seg, sem codigo")
        << Campos{{"tipoInter", "WIFI"}, {"SSID", "Loja"}, {"seg", "NONE"}, {"codigo", "chave"}}
        << documento("<tipoInter>WIFI</tipoInter><SSID>Loja</SSID><seg>NONE</seg>" + padraoDepoisDaRede);
    QTest::newRow("WIFI/WPA PROF: SSID, seg, codigo antes de tipoLan")
        << Campos{{"tipoInter", "WIFI"}, {"SSID", "Loja"}, {"seg", "WPA PROF"}, {"codigo", "chave"}}
        << documento("<tipoInter>WIFI</tipoInter><SSID>Loja</SSID><seg>WPA PROF</seg><codigo>chave</codigo>" +
                     padraoDepoisDaRede);
    QTest::newRow("WIFI/WEP") << Campos{{"tipoInter", "WIFI"},
                                        {"SSID", "Loja"},
                                        {"seg", "WEP"},
                                        {"codigo", "k"}}
                              << documento("<tipoInter>WIFI</tipoInter><SSID>Loja</SSID><seg>WEP</seg>"
                                           "<codigo>k</codigo>" +
                                           padraoDepoisDaRede);
    QTest::newRow("wifi em minúsculas: não é sem fio")
        << Campos{{"tipoInter", "wifi"}, {"SSID", "Loja"}, {"seg", "NONE"}, {"codigo", "chave"}}
        << documento("<tipoInter>wifi</tipoInter>" + padraoDepoisDaRede);
    QTest::newRow("seg none em minúsculas: codigo vai")
        << Campos{{"tipoInter", "WIFI"}, {"SSID", "Loja"}, {"seg", "none"}, {"codigo", "chave"}}
        << documento("<tipoInter>WIFI</tipoInter><SSID>Loja</SSID><seg>none</seg><codigo>chave</codigo>" +
                     padraoDepoisDaRede);
    QTest::newRow("WIFI com SSID e codigo vazios: elementos vazios")
        << Campos{{"tipoInter", "WIFI"}, {"seg", "WEP"}}
        << documento("<tipoInter>WIFI</tipoInter><SSID></SSID><seg>WEP</seg><codigo></codigo>" +
                     padraoDepoisDaRede);
    QTest::newRow("PPPoE: usuario e senha, nenhum endereço")
        << mais(enderecos, {{"tipoLan", "PPPoE"}})
        << documento("<tipoInter>ETHE</tipoInter><tipoLan>PPPoE</tipoLan><usuario>pppuser</usuario>"
                     "<senha>ppppass</senha><proxy>0</proxy>");
    QTest::newRow("IPFIX: os cinco endereços, sem usuario")
        << mais(enderecos, {{"tipoLan", "IPFIX"}})
        << documento("<tipoInter>ETHE</tipoInter><tipoLan>IPFIX</tipoLan><lanIP>10.0.0.5</lanIP>"
                     "<lanMask>255.255.255.0</lanMask><lanGW>10.0.0.1</lanGW><lanDNS1>10.0.0.2</lanDNS1>"
                     "<lanDNS2>8.8.8.8</lanDNS2><proxy>0</proxy>");
    QTest::newRow("IPFIX com DNS2 vazio: elemento vazio")
        << Campos{{"tipoLan", "IPFIX"},
                  {"lanIP", "10.0.0.5"},
                  {"lanMask", "255.0.0.0"},
                  {"lanGW", "10.0.0.1"},
                  {"lanDNS1", "10.0.0.2"}}
        << documento("<tipoInter>ETHE</tipoInter><tipoLan>IPFIX</tipoLan><lanIP>10.0.0.5</lanIP>"
                     "<lanMask>255.0.0.0</lanMask><lanGW>10.0.0.1</lanGW><lanDNS1>10.0.0.2</lanDNS1>"
                     "<lanDNS2></lanDNS2><proxy>0</proxy>");
    QTest::newRow("DHCP esconde endereços e usuario")
        << enderecos << documento("<tipoInter>ETHE</tipoInter>" + padraoDepoisDaRede);
    QTest::newRow("ipfix em minúsculas: nenhum endereço")
        << mais(enderecos, {{"tipoLan", "ipfix"}})
        << documento("<tipoInter>ETHE</tipoInter><tipoLan>ipfix</tipoLan><proxy>0</proxy>");
    QTest::newRow("proxy 1 com detalhes vazios: quatro elementos vazios")
        << Campos{{"proxy", "1"}}
        << documento("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>1</proxy><proxy_ip></proxy_ip>"
                     "<proxy_porta></proxy_porta><proxy_user></proxy_user><proxy_senha></proxy_senha>");
    QTest::newRow("proxy 1 com detalhes")
        << mais(detalhesProxy, {{"proxy", "1"}})
        << documento("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>1</proxy>"
                     "<proxy_ip>10.1.1.1</proxy_ip><proxy_porta>3128</proxy_porta><proxy_user>pu</proxy_user>"
                     "<proxy_senha>ps</proxy_senha>");
    QTest::newRow("proxy 2: nenhum detalhe")
        << mais(detalhesProxy, {{"proxy", "2"}})
        << documento("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>2</proxy>");
    QTest::newRow("proxy vazio: elemento vazio, nenhum detalhe")
        << mais(detalhesProxy, {{"proxy", ""}})
        << documento("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy></proxy>");
    QTest::newRow("proxy que não é número: nenhum detalhe")
        << mais(detalhesProxy, {{"proxy", "x"}})
        << documento("<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>x</proxy>");
    QTest::newRow("& < > escapados")
        << Campos{{"tipoInter", "WIFI"}, {"SSID", "A&B<C>D"}, {"seg", "WPA-PERS"}, {"codigo", "x&amp;y"}}
        << documento("<tipoInter>WIFI</tipoInter><SSID>A&amp;B&lt;C&gt;D</SSID><seg>WPA-PERS</seg>"
                     "<codigo>x&amp;amp;y</codigo>" +
                     padraoDepoisDaRede);
    // Only "&", "<" and ">" are escaped: a quote in a key or a password goes as typed.
    QTest::newRow("aspas como estão")
        << mais(detalhesProxy, {{"tipoInter", "WIFI"},
                                {"SSID", "\"Loja\""},
                                {"seg", "WPA-PERS"},
                                {"codigo", "ch\"a'v\"e"},
                                {"tipoLan", "PPPoE"},
                                {"usuario", "a\"b'c"},
                                {"senha", "'\"'"},
                                {"proxy", "1"},
                                {"proxy_senha", "p\"s"}})
        << documento("<tipoInter>WIFI</tipoInter><SSID>\"Loja\"</SSID><seg>WPA-PERS</seg>"
                     "<codigo>ch\"a'v\"e</codigo><tipoLan>PPPoE</tipoLan><usuario>a\"b'c</usuario>"
                     "<senha>'\"'</senha><proxy>1</proxy><proxy_ip>10.1.1.1</proxy_ip>"
                     "<proxy_porta>3128</proxy_porta><proxy_user>pu</proxy_user><proxy_senha>p\"s</proxy_senha>");
    QTest::newRow("tabulação como está")
        << Campos{{"tipoLan", "PPPoE"}, {"usuario", "a\tb"}, {"senha", "\t"}}
        << documento("<tipoInter>ETHE</tipoInter><tipoLan>PPPoE</tipoLan><usuario>a\tb</usuario>"
                     "<senha>\t</senha><proxy>0</proxy>");
    // Read back for sending with its line breaks dropped: a raw one would leave the value.
    QTest::newRow("quebras de linha num valor: referências de caractere")
        << Campos{{"tipoInter", "WIFI"}, {"SSID", "a\r\nb"}, {"seg", "WEP"}, {"codigo", "\nx\ry\n"}}
        << documento("<tipoInter>WIFI</tipoInter><SSID>a&#13;&#10;b</SSID><seg>WEP</seg>"
                     "<codigo>&#10;x&#13;y&#10;</codigo>" +
                     padraoDepoisDaRede);
    QTest::newRow("acentos em UTF-8")
        << Campos{{"tipoLan", "PPPoE"}, {"usuario", "João"}, {"senha", "ção"}}
        << documento("<tipoInter>ETHE</tipoInter><tipoLan>PPPoE</tipoLan><usuario>Jo\xC3\xA3o</usuario>"
                     "<senha>\xC3\xA7\xC3\xA3o</senha><proxy>0</proxy>");
    QTest::newRow("tudo junto, na ordem")
        << mais(mais(detalhesProxy, enderecos), {{"tipoInter", "WIFI"},
                                                 {"SSID", "Loja"},
                                                 {"seg", "WPA-PERS"},
                                                 {"codigo", "chave"},
                                                 {"tipoLan", "IPFIX"},
                                                 {"proxy", "1"}})
        << documento("<tipoInter>WIFI</tipoInter><SSID>Loja</SSID><seg>WPA-PERS</seg><codigo>chave</codigo>"
                     "<tipoLan>IPFIX</tipoLan><lanIP>10.0.0.5</lanIP><lanMask>255.255.255.0</lanMask>"
                     "<lanGW>10.0.0.1</lanGW><lanDNS1>10.0.0.2</lanDNS1><lanDNS2>8.8.8.8</lanDNS2>"
                     "<proxy>1</proxy><proxy_ip>10.1.1.1</proxy_ip><proxy_porta>3128</proxy_porta>"
                     "<proxy_user>pu</proxy_user><proxy_senha>ps</proxy_senha>");
}

void TestConfRede::documentoDoRegistro() {
    QFETCH(Campos, campos);
    QFETCH(QByteArray, esperado);
    registro(campos);
    const bool modificado = cds_->isModified();

    const std::optional<QByteArray> gerado = settings::documentoConfRede(*cds_);

    QVERIFY(gerado.has_value());
    QCOMPARE(*gerado, esperado);
    QCOMPARE(cds_->isModified(), modificado); // the writer changes nothing in the store

    // The same bytes land in ConfRede.xml.
    QString motivo;
    QVERIFY(settings::geraxml(*cds_, pasta_->path(), &motivo));
    QCOMPARE(readAll(pasta_->filePath(QStringLiteral("ConfRede.xml"))), esperado);

    // What is read back for the device is well-formed and carries the values as stored.
    const settings::ConfRedeLida lida = settings::lerConfRede(pasta_->path());
    QVERIFY(lida.documento.has_value());
    QXmlStreamReader leitor(*lida.documento);
    while (!leitor.atEnd()) {
        if (leitor.readNext() == QXmlStreamReader::StartElement && leitor.name() != u"config") {
            const QString nome = leitor.name().toString();
            QCOMPARE(leitor.readElementText(), cds_->text(nome));
        }
    }
    QVERIFY2(!leitor.hasError(), qPrintable(leitor.errorString()));
}

void TestConfRede::registroPadraoDaODocumentoPadrao() {
    // The record written at start-up gives the document written at start-up.
    QCOMPARE(settings::documentoConfRede(*cds_).value_or(QByteArray()), settings::defaultConfRedeXml());
}

void TestConfRede::geraxmlSubstituiOArquivo() {
    const QString caminho = pasta_->filePath(QStringLiteral("ConfRede.xml"));
    QVERIFY(writeFile(caminho, QByteArray(4096, 'x') + "\r\nlinha antiga\r\n"));
    registro({{"tipoLan", "PPPoE"}, {"usuario", "u"}, {"senha", "s"}});

    QVERIFY(settings::geraxml(*cds_, pasta_->path()));

    QCOMPARE(readAll(caminho),
             documento("<tipoInter>ETHE</tipoInter><tipoLan>PPPoE</tipoLan><usuario>u</usuario>"
                       "<senha>s</senha><proxy>0</proxy>"));
    QCOMPARE(QDir(pasta_->path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary left
}

void TestConfRede::geraxmlQueNaoGravaMantemOArquivo() {
    // A folder in the file's place cannot be replaced: the writer says so and leaves it.
    QVERIFY(QDir(pasta_->path()).mkdir(QStringLiteral("ConfRede.xml")));
    QString motivo;
    QVERIFY(!settings::geraxml(*cds_, pasta_->path(), &motivo));
    QVERIFY(!motivo.isEmpty());
    QVERIFY(QFileInfo(pasta_->filePath(QStringLiteral("ConfRede.xml"))).isDir());

    // A folder that does not exist.
    motivo.clear();
    QVERIFY(!settings::geraxml(*cds_, pasta_->filePath(QStringLiteral("nao/existe")), &motivo));
    QVERIFY(!motivo.isEmpty());
}

void TestConfRede::leituraEmUmaLinha_data() {
    QTest::addColumn<QByteArray>("arquivo");
    QTest::addColumn<QByteArray>("lido");

    QTest::newRow("documento do escritor: sem o CR LF final")
        << documento("<tipoInter>ETHE</tipoInter>")
        << declaracao + "<config><tipoInter>ETHE</tipoInter></config>";
    QTest::newRow("várias linhas LF")
        << QByteArray("<?xml version=\"1.0\"?>\n<config>\n  <proxy>0</proxy>\n</config>\n")
        << QByteArray("<?xml version=\"1.0\"?><config>  <proxy>0</proxy></config>");
    QTest::newRow("CR LF e CR sozinho") << QByteArray("a\r\nb\rc\n\nd") << QByteArray("abcd");
    QTest::newRow("bytes como estão: UTF-8, &amp;, tabulação")
        << QByteArray("<SSID>Caf\xC3\xA9 &amp;\t\x81</SSID>\r\n")
        << QByteArray("<SSID>Caf\xC3\xA9 &amp;\t\x81</SSID>");
    QTest::newRow("vazio") << QByteArray() << QByteArray();
}

void TestConfRede::leituraEmUmaLinha() {
    QFETCH(QByteArray, arquivo);
    QFETCH(QByteArray, lido);
    QVERIFY(writeFile(pasta_->filePath(QStringLiteral("ConfRede.xml")), arquivo));

    const settings::ConfRedeLida leitura = settings::lerConfRede(pasta_->path());

    QVERIFY2(leitura.documento.has_value(), qPrintable(leitura.falha));
    QCOMPARE(*leitura.documento, lido);
    QVERIFY(leitura.falha.isEmpty());
}

void TestConfRede::leituraDeArquivoAusente() {
    const settings::ConfRedeLida leitura = settings::lerConfRede(pasta_->path());
    QVERIFY(!leitura.documento.has_value());
    QCOMPARE(leitura.falha, QStringLiteral("Arquivo ConfRede.xml não foi encontrado!"));
}

void TestConfRede::leituraDeArquivoIlegivel() {
    // Something by that name that cannot be read as a file.
    QVERIFY(QDir(pasta_->path()).mkdir(QStringLiteral("ConfRede.xml")));
    const settings::ConfRedeLida leitura = settings::lerConfRede(pasta_->path());
    QVERIFY(!leitura.documento.has_value());
    QCOMPARE(leitura.falha, QStringLiteral("Erro ao tentar acessar o arquivo ConfRede.xml!"));
}

QTEST_MAIN(TestConfRede)
#include "tst_documentorede.moc"
