// Refusals and robustness of the emulated device: wrong activation code and
// wrong device state for every function, and null, empty, huge, non-UTF-8 or
// malformed arguments and a damaged state file, which must all give a refusal
// answer and never a crash.
#include "satemu_test_support.h"

#include <functional>
#include <QRandomGenerator>

using namespace satemu_test;

namespace {

struct Entry {
    const char* name;
    const char* notActivated; // answer code on a factory device
    const char* wrongCode;    // answer code with a wrong activation code on an activated device
    std::function<const char*(int session, const char* code)> call;
};

const QList<Entry>& entries() {
    static const QByteArray pair = kSoftwareHouse + kTaxpayer;
    static const QByteArray sign = signature();
    static const QByteArray test = testDocument(false);
    static const QByteArray sale = saleDocument({simpleItem()}, payment("10.00"));
    static const QByteArray config =
        "<config><tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan><proxy>0</proxy></config>";
    static const QList<Entry> list = {
        {"EnviarDadosVenda", "06002", "06001",
         [](int s, const char* c) { return EnviarDadosVenda(s, c, sale.constData()); }},
        {"CancelarUltimaVenda", "07003", "07001",
         [](int s, const char* c) { return CancelarUltimaVenda(s, c, "CFe", "<CFeCanc/>"); }},
        {"TesteFimAFim", "09002", "09001",
         [](int s, const char* c) { return TesteFimAFim(s, c, test.constData()); }},
        {"ConsultarStatusOperacional", "10002", "10001",
         [](int s, const char* c) { return ConsultarStatusOperacional(s, c); }},
        {"ConsultarNumeroSessao", "11002", "11001",
         [](int s, const char* c) { return ConsultarNumeroSessao(s, c, 1); }},
        {"AssociarAssinatura", "13006", "13001",
         [](int s, const char* c) { return AssociarAssinatura(s, c, pair.constData(), sign.constData()); }},
        {"AtualizarSoftwareSAT", "14002", "14001",
         [](int s, const char* c) { return AtualizarSoftwareSAT(s, c); }},
        {"ExtrairLogs", "15002", "15001", [](int s, const char* c) { return ExtrairLogs(s, c); }},
        {"BloquearSAT", "16002", "16001", [](int s, const char* c) { return BloquearSAT(s, c); }},
        {"DesbloquearSAT", "17002", "17001", [](int s, const char* c) { return DesbloquearSAT(s, c); }},
        {"TrocarCodigoDeAtivacao", "18003", "18001",
         [](int s, const char* c) { return TrocarCodigoDeAtivacao(s, c, 1, "novocodigo", "novocodigo"); }},
        {"ConfigurarInterfaceDeRede", "12003", "12001",
         [](int s, const char* c) { return ConfigurarInterfaceDeRede(s, c, config.constData()); }},
        {"ConsultarUltimaSessaoFiscal", "19002", "19001",
         [](int s, const char* c) { return ConsultarUltimaSessaoFiscal(s, c); }},
        // Activation refuses an activated device, and a code that cannot be one on a factory device.
        {"AtivarSAT", "04001", "04003",
         [](int s, const char* c) {
             return AtivarSAT(s, 1, QByteArray(c) == kCode ? "curto" : c, kTaxpayer.constData(), kSaoPaulo);
         }},
        // Without a certificate request pending, the certificate is refused in every state.
        {"ComunicarCertificadoICPBRASIL", "05003", "05003",
         [](int s, const char* c) { return ComunicarCertificadoICPBRASIL(s, c, "MIIB"); }},
    };
    return list;
}

// Calls every entry point with the same text in every text argument.
QList<QByteArray> callAll(const char* text, int number = 1) {
    QList<QByteArray> answers;
    answers << ComunicarCertificadoICPBRASIL(nextSession(), text, text);
    answers << EnviarDadosVenda(nextSession(), text, text);
    answers << CancelarUltimaVenda(nextSession(), text, text, text);
    answers << ConsultarSAT(nextSession());
    answers << TesteFimAFim(nextSession(), text, text);
    answers << ConsultarStatusOperacional(nextSession(), text);
    answers << ConsultarNumeroSessao(nextSession(), text, number);
    answers << AssociarAssinatura(nextSession(), text, text, text);
    answers << AtualizarSoftwareSAT(nextSession(), text);
    answers << ExtrairLogs(nextSession(), text);
    answers << BloquearSAT(nextSession(), text);
    answers << DesbloquearSAT(nextSession(), text);
    answers << TrocarCodigoDeAtivacao(nextSession(), text, number, text, text);
    answers << ConfigurarInterfaceDeRede(nextSession(), text, text);
    answers << AtivarSAT(nextSession(), number, text, text, number);
    answers << SetDriver(nextSession(), text);
    answers << ConsultarUltimaSessaoFiscal(nextSession(), text);
    return answers;
}

void checkWellFormed(const QList<QByteArray>& answers) {
    static const QList<QByteArray> classes = {"05", "06", "07", "08", "09", "10", "11", "13", "14",
                                              "15", "16", "17", "18", "12", "04", "20", "19"};
    QCOMPARE(answers.size(), classes.size());
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const auto f = answers[i].split('|');
        QVERIFY2(f.size() >= 5, answers[i].left(200).constData());
        QVERIFY2(f[1].size() == 5 && f[1].startsWith(classes[i]), answers[i].left(200).constData());
    }
}

} // namespace

class TestSatemuRobustness : public QObject {
    Q_OBJECT

private slots:
    void init() { home_ = std::make_unique<DeviceHome>(); }
    void cleanup() { home_.reset(); }

    void refusals_data();
    void refusals();
    void nullAndEmptyArguments();
    void hugeArguments_data();
    void hugeArguments();
    void nonUtf8Bytes();
    void malformedXml_data();
    void malformedXml();
    void invalidSessionNumbers();
    void damagedStateFile_data();
    void damagedStateFile();
    void unwritableFolder();

private:
    std::unique_ptr<DeviceHome> home_;
};

void TestSatemuRobustness::refusals_data() {
    QTest::addColumn<int>("index");
    for (qsizetype i = 0; i < entries().size(); ++i)
        QTest::newRow(entries()[i].name) << static_cast<int>(i);
}

void TestSatemuRobustness::refusals() {
    QFETCH(int, index);
    const Entry& e = entries()[index];
    // Wrong state: a factory device.
    int s = nextSession();
    auto f = fields(e.call(s, kCode.constData()));
    QVERIFY(f.size() >= 5);
    QCOMPARE(f[0], sessionText(s));
    QCOMPARE(f[1], QByteArray(e.notActivated));
    QCOMPARE(fields(ConsultarStatusOperacional(nextSession(), kCode.constData()))[1], QByteArray("10002"));

    // Wrong activation code: an activated and associated device, which stays as it was.
    activate();
    associate();
    const QByteArray before = ConsultarStatusOperacional(nextSession(), kCode.constData());
    s = nextSession();
    f = fields(e.call(s, "errado99"));
    QCOMPARE(f[0], sessionText(s));
    QCOMPARE(f[1], QByteArray(e.wrongCode));
    QVERIFY(
        !QString::fromUtf8(f[f[1].startsWith("13") || f[1].startsWith("06") || f[1].startsWith("07") ? 3 : 2])
             .isEmpty());
    const auto after = fields(ConsultarStatusOperacional(nextSession(), kCode.constData()));
    QCOMPARE(after[1], QByteArray("10000"));
    const auto was = fields(before.constData());
    for (int p : {18, 20, 27}) // version, last CF-e, block state
        QCOMPARE(after[p], was[p]);
}

void TestSatemuRobustness::nullAndEmptyArguments() {
    checkWellFormed(callAll(nullptr));
    checkWellFormed(callAll(""));
    activate();
    associate();
    checkWellFormed(callAll(nullptr, 0));
    checkWellFormed(callAll("", -7));
    QCOMPARE(fields(ConsultarStatusOperacional(nextSession(), kCode.constData()))[1], QByteArray("10000"));
}

void TestSatemuRobustness::hugeArguments_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("1 MB of letters") << QByteArray(1024 * 1024, 'A');
    QByteArray noise(1024 * 1024, '\0');
    auto* rng = QRandomGenerator::global();
    for (char& c : noise)
        c = static_cast<char>(1 + rng->bounded(255)); // every byte but NUL, '|' and line ends included
    QTest::newRow("1 MB of random bytes") << noise;
    QTest::newRow("1 MB document") << "<CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CNPJ>" +
                                          QByteArray(1024 * 1024, '1') + "</CNPJ></ide></infCFe></CFe>";
}

void TestSatemuRobustness::hugeArguments() {
    QFETCH(QByteArray, text);
    checkWellFormed(callAll(text.constData()));
    activate();
    associate();
    checkWellFormed(callAll(text.constData(), 2));
    // Nothing huge was kept: the state file stays small.
    QVERIFY(QFileInfo(home_->stateFile()).size() < 512 * 1024);
    QCOMPARE(fields(ConsultarStatusOperacional(nextSession(), kCode.constData()))[1], QByteArray("10000"));
}

void TestSatemuRobustness::nonUtf8Bytes() {
    // An activation code in an 8-bit code page is kept and compared byte for byte.
    const QByteArray code = "c\xF3"
                            "digo\xE7\xE3o\xFF";
    QCOMPARE(fields(activate(code))[1], QByteArray("04000"));
    QCOMPARE(fields(ConsultarStatusOperacional(nextSession(), code.constData()))[1], QByteArray("10000"));
    QCOMPARE(fields(ConsultarStatusOperacional(nextSession(), "codigocaoy"))[1], QByteArray("10001"));
    // A document in Windows-1252 is read as such: the CF-e is UTF-8.
    QByteArray doc = testDocument(false);
    doc.replace("MiniPc Brisel", "Ma\xE7\xE3 \x80 10");
    const auto f = fields(TesteFimAFim(nextSession(), code.constData(), doc.constData()));
    QCOMPARE(f[1], QByteArray("09000"));
    const QByteArray cfe = QByteArray::fromBase64(f[5]);
    QCOMPARE(QString::fromUtf8(textOf(cfe, "xProd")), QStringLiteral("Maçã € 10"));
    // Bytes that are not UTF-8 never reach the log.
    const auto log = QByteArray::fromBase64(fields(ExtrairLogs(nextSession(), code.constData()))[5]);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(log);
    QVERIFY(!decoder.hasError());
    QVERIFY(!text.isEmpty());
}

void TestSatemuRobustness::malformedXml_data() {
    QTest::addColumn<QByteArray>("document");
    QTest::newRow("not closed") << QByteArray("<CFe><infCFe>");
    QTest::newRow("end tag differs") << QByteArray("<CFe></cfe>");
    QTest::newRow("DOCTYPE with entities")
        << QByteArray("<!DOCTYPE CFe [<!ENTITY a \"aaaaaaaa\">]><CFe>&a;&a;</CFe>");
    QTest::newRow("attribute without quotes") << QByteArray("<CFe versao=1/>");
    QTest::newRow("repeated attribute") << QByteArray("<CFe a=\"1\" a=\"2\"/>");
    QTest::newRow("unknown entity") << QByteArray("<CFe>&bogus;</CFe>");
    QTest::newRow("character reference to NUL") << QByteArray("<CFe>&#0;</CFe>");
    QTest::newRow("character reference past Unicode") << QByteArray("<CFe>&#x110000;</CFe>");
    QTest::newRow("control character") << QByteArray("<CFe>\x01</CFe>");
    QTest::newRow("CDATA not closed") << QByteArray("<CFe><![CDATA[x</CFe>");
    QTest::newRow("two roots") << QByteArray("<CFe/><CFe/>");
    QTest::newRow("declaration only") << QByteArray("<?xml version=\"1.0\"?>");
    QTest::newRow("mixed content") << QByteArray("<CFe>texto<infCFe/></CFe>");
    QByteArray deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    QTest::newRow("100000 nested elements") << deep;
    QTest::newRow("1 MB text") << "<CFe>" + QByteArray(1024 * 1024, 'x') + "</CFe>";
    QTest::newRow("comment not closed") << QByteArray("<CFe><!-- ...</CFe>");
}

void TestSatemuRobustness::malformedXml() {
    QFETCH(QByteArray, document);
    activate();
    associate();
    const auto test = fields(TesteFimAFim(nextSession(), kCode.constData(), document.constData()));
    QCOMPARE(test[1], QByteArray("09004"));
    QVERIFY(test[2].startsWith("Erro de validação do conteúdo: "));
    const auto network =
        fields(ConfigurarInterfaceDeRede(nextSession(), kCode.constData(), document.constData()));
    QCOMPARE(network[1], QByteArray("12002"));
    const auto sale = fields(EnviarDadosVenda(nextSession(), kCode.constData(), document.constData()));
    QCOMPARE(sale[1], QByteArray("06010"));
}

void TestSatemuRobustness::invalidSessionNumbers() {
    for (int s : {0, -1, 1000000, std::numeric_limits<int>::min()}) {
        const auto f = fields(ConsultarSAT(s));
        QCOMPARE(f.size(), 5);
        QCOMPARE(f[0], s == 0 ? QByteArray("000000") : QByteArray::number(s));
        QCOMPARE(f[1], QByteArray("08099"));
        QVERIFY(f[2].contains("sessão"));
    }
    QVERIFY(!QFile::exists(home_->stateFile())); // nothing was recorded
    QCOMPARE(fields(ConsultarSAT(999999))[1], QByteArray("08000"));
    QCOMPARE(fields(ConsultarSAT(1))[1], QByteArray("08000"));
}

void TestSatemuRobustness::damagedStateFile_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("other text") << QByteArray("hello world\n");
    QTest::newRow("no end marker") << QByteArray("SATEMU-ESTADO 1\nserie=900004019\n[log]\n[sessoes]\n");
    QTest::newRow("unknown key") << QByteArray("SATEMU-ESTADO 1\ncor=azul\n[log]\n[sessoes]\n[fim]\n");
    QTest::newRow("serial not 9 digits")
        << QByteArray("SATEMU-ESTADO 1\nserie=12\n[log]\n[sessoes]\n[fim]\n");
    QTest::newRow("block state 7") << QByteArray(
        "SATEMU-ESTADO 1\nestado_operacao=7\n[log]\n[sessoes]\n[fim]\n");
    QTest::newRow("activated without code")
        << QByteArray("SATEMU-ESTADO 1\nativado=1\n[log]\n[sessoes]\n[fim]\n");
    QTest::newRow("bad escape") << QByteArray(
        "SATEMU-ESTADO 1\ncodigo_ativacao=ab\\q\n[log]\n[sessoes]\n[fim]\n");
    QTest::newRow("session number 0") << QByteArray("SATEMU-ESTADO 1\n[log]\n[sessoes]\n0=x\n[fim]\n");
    QByteArray binary(4096, '\0');
    for (qsizetype i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>((i * 131) & 0xFF);
    QTest::newRow("binary") << binary;
}

void TestSatemuRobustness::damagedStateFile() {
    QFETCH(QByteArray, content);
    DeviceHome::write(home_->stateFile(), content);
    for (const QByteArray& answer : callAll(kCode.constData())) {
        const auto f = answer.split('|');
        QVERIFY2(f.value(1).endsWith("099"), answer.constData());
        QVERIFY2(answer.contains("arquivo de estado"), answer.constData());
    }
    // The damaged file is left for the user to look at, never overwritten.
    QCOMPARE(DeviceHome::read(home_->stateFile()), content);
}

void TestSatemuRobustness::unwritableFolder() {
    // SATEMU_HOME names a file: there is no folder to keep the state in.
    const QString notAFolder = home_->file(QStringLiteral("plain-file"));
    DeviceHome::write(notAFolder, "x");
    qputenv("SATEMU_HOME", QFile::encodeName(notAFolder));
    const auto f = fields(activate());
    QCOMPARE(f.size(), 5);
    QCOMPARE(f[1], QByteArray("04099"));
    checkWellFormed(callAll(kCode.constData()));
}

QTEST_GUILESS_MAIN(TestSatemuRobustness)
#include "tst_satemu_robustness.moc"
