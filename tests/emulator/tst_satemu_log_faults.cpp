// The emulated device's log with its SuperLog sections, and the faults that
// its configuration file can order.
#include "satemu_test_support.h"

#include <QElapsedTimer>
#include <QRegularExpression>

using namespace satemu_test;

namespace {

const QByteArray kStart = "SAT|info|==================== SuperLog =====================";
const QByteArray kEnd = "SAT|info|===================================================";

QList<QByteArray> extractLog(const QList<QByteArray>& answer) {
    const auto decoded =
        QByteArray::fromBase64Encoding(answer.value(5), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? decoded.decoded.split('\n') : QList<QByteArray>();
}

bool validUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

class TestSatemuLogFaults : public QObject {
    Q_OBJECT

private slots:
    void init() { home_ = std::make_unique<DeviceHome>(); }
    void cleanup() { home_.reset(); }

    void logLinesAndSuperLog();
    void endToEndTestAddsASuperLogSection();
    void delayPerEntryPoint();
    void forcedCode_data();
    void forcedCode();
    void forcedCodeForTheNextCallsOnly();
    void forcedRefusalChangesNothing();
    void sefazMessageAndAlert();
    void malformedAnswers_data();
    void malformedAnswers();
    void malformedCountAndEntryPoint();
    void logPaddedToMegabytes();
    void unknownFaultKeysAreIgnored();

private:
    std::unique_ptr<DeviceHome> home_;
};

void TestSatemuLogFaults::logLinesAndSuperLog() {
    ConsultarSAT(nextSession());
    activate();
    ConsultarStatusOperacional(nextSession(), "errado99");
    const int s = nextSession();
    const auto f = fields(ExtrairLogs(s, kCode.constData()));
    QCOMPARE(f.size(), 6);
    QCOMPARE(f[0], sessionText(s));
    QCOMPARE(f[1], QByteArray("15000"));
    const auto lines = extractLog(f);
    QVERIFY(lines.size() > 10);
    QCOMPARE(lines.last(), QByteArray()); // the text ends with a line feed
    const QRegularExpression format(
        QStringLiteral("^\\d{2}/\\d{2}/\\d{4} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}\\|SAT\\|info\\|"));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        QVERIFY2(format.match(QString::fromUtf8(lines[i])).hasMatch(), lines[i].constData());
        QVERIFY(validUtf8(lines[i]));
        QVERIFY(!lines[i].contains('\r'));
    }
    QVERIFY(lines[0].contains("ConsultarSAT: 08000"));
    QVERIFY(std::any_of(lines.begin(), lines.end(), [](const QByteArray& l) { return l.contains("10001"); }));
    // The SuperLog section is the last thing of the log, between the markers
    // at column 25, as a log viewer searches for them.
    qsizetype start = -1;
    for (qsizetype i = lines.size() - 1; i >= 0 && start < 0; --i)
        if (lines[i].contains(kStart))
            start = i;
    QVERIFY(start > 0);
    QCOMPARE(lines[start].mid(24), kStart);
    QCOMPARE(lines[lines.size() - 2].mid(24), kEnd);
    const QByteArray section = lines.mid(start).join('\n');
    QVERIFY(section.contains(kFactorySerial));
    QVERIFY(section.contains("01.05.00"));
    QVERIFY(section.contains("ATIVADO - DESBLOQUEADO"));
    QVERIFY(section.contains("CF-e emitidos"));
    QVERIFY(section.contains("192.168.0.119"));
    // A refused extraction carries no log.
    const auto refused = fields(ExtrairLogs(nextSession(), "errado99"));
    QCOMPARE(refused.size(), 5);
    QCOMPARE(refused[1], QByteArray("15001"));
}

void TestSatemuLogFaults::endToEndTestAddsASuperLogSection() {
    activate();
    TesteFimAFim(nextSession(), kCode.constData(), testDocument(false).constData());
    TesteFimAFim(nextSession(), kCode.constData(), testDocument(false).constData());
    const auto lines = extractLog(fields(ExtrairLogs(nextSession(), kCode.constData())));
    const auto starts =
        std::count_if(lines.begin(), lines.end(), [](const QByteArray& l) { return l.contains(kStart); });
    const auto ends =
        std::count_if(lines.begin(), lines.end(), [](const QByteArray& l) { return l.endsWith(kEnd); });
    QCOMPARE(starts, 3); // two tests and the extraction
    QCOMPARE(ends, 3);
}

void TestSatemuLogFaults::delayPerEntryPoint() {
    home_->writeFaults("delay_ms.ConsultarSAT=300\n");
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(fields(ConsultarSAT(nextSession()))[1], QByteArray("08000"));
    QVERIFY(timer.elapsed() >= 300);
    // Another entry point is not slowed down by it: it answers all the same.
    QCOMPARE(fields(ConsultarStatusOperacional(nextSession(), kCode.constData()))[1], QByteArray("10002"));
}

void TestSatemuLogFaults::forcedCode_data() {
    QTest::addColumn<QByteArray>("faults");
    QTest::addColumn<QByteArray>("consult");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QString>("consultMessage");
    QTest::newRow("full code of this function")
        << QByteArray("code=08097\n") << QByteArray("08097") << QByteArray("10000")
        << QStringLiteral("SAT bloqueado para desativação. Pressione o botão reset por 5 segundos.");
    QTest::newRow("three digits: every function")
        << QByteArray("code=098\n") << QByteArray("08098") << QByteArray("10098")
        << QStringLiteral("SAT em processamento. Tente novamente.");
    QTest::newRow("for one entry point")
        << QByteArray("code.ConsultarStatusOperacional=10099\n") << QByteArray("08000") << QByteArray("10099")
        << QStringLiteral("SAT em operação.");
    QTest::newRow("with its own message")
        << QByteArray("code=08123\nmessage=Dispositivo ocupado\n") << QByteArray("08123")
        << QByteArray("10000") << QStringLiteral("Dispositivo ocupado");
    QTest::newRow("unknown code, no message")
        << QByteArray("code=08555\n") << QByteArray("08555") << QByteArray("10000")
        << QStringLiteral("Código forçado pelo arquivo de falhas do emulador");
}

void TestSatemuLogFaults::forcedCode() {
    QFETCH(QByteArray, faults);
    QFETCH(QByteArray, consult);
    QFETCH(QByteArray, status);
    QFETCH(QString, consultMessage);
    activate();
    home_->writeFaults(faults);
    const int s = nextSession();
    const auto f = fields(ConsultarSAT(s));
    QCOMPARE(f.size(), 5);
    QCOMPARE(f[0], sessionText(s));
    QCOMPARE(f[1], consult);
    QCOMPARE(QString::fromUtf8(f[2]), consultMessage);
    const auto st = fields(ConsultarStatusOperacional(nextSession(), kCode.constData()));
    QCOMPARE(st[1], status);
    QCOMPARE(st.size(), status == "10000" ? 28 : 5);
}

void TestSatemuLogFaults::forcedCodeForTheNextCallsOnly() {
    home_->writeFaults("# two busy answers, then normal ones\ncode=098\ncode_count=2\n");
    QCOMPARE(fields(ConsultarSAT(nextSession()))[1], QByteArray("08098"));
    QVERIFY(DeviceHome::read(home_->faultFile()).contains("\ncode_count=1\n"));
    QCOMPARE(fields(AtivarSAT(nextSession(), 1, kCode.constData(), kTaxpayer.constData(), kSaoPaulo))[1],
             QByteArray("04098"));
    QCOMPARE(fields(ConsultarSAT(nextSession()))[1], QByteArray("08000"));
    QCOMPARE(DeviceHome::read(home_->faultFile()),
             QByteArray("# two busy answers, then normal ones\ncode=098\ncode_count=0\n"));
    QCOMPARE(fields(activate())[1], QByteArray("04000"));
}

void TestSatemuLogFaults::forcedRefusalChangesNothing() {
    home_->writeFaults("code.AtivarSAT=04005\n");
    const auto f = fields(activate());
    QCOMPARE(f[1], QByteArray("04005"));
    QCOMPARE(QString::fromUtf8(f[2]), QStringLiteral("Erro de comunicação com a SEFAZ"));
    QFile::remove(home_->faultFile());
    QCOMPARE(fields(ConsultarStatusOperacional(nextSession(), kCode.constData()))[1], QByteArray("10002"));
    QCOMPARE(fields(activate())[1], QByteArray("04000"));
}

void TestSatemuLogFaults::sefazMessageAndAlert() {
    home_->writeFaults("sefaz_code=1234\nsefaz_message=Mensagem da SEFAZ | com barra\nalert=0017\n");
    auto f = fields(ConsultarSAT(nextSession()));
    QCOMPARE(f.size(), 5);
    QCOMPARE(f[1], QByteArray("08000"));
    QCOMPARE(f[3], QByteArray("1234"));
    QCOMPARE(QString::fromUtf8(f[4]), QStringLiteral("Mensagem da SEFAZ   com barra"));
    activate();
    f = fields(associate());
    // The association's layout: code, alert, message, then the SEFAZ code and message.
    QCOMPARE(f.size(), 6);
    QCOMPARE(f[1], QByteArray("13000"));
    QCOMPARE(f[2], QByteArray("0017"));
    QCOMPARE(f[4], QByteArray("1234"));
    QVERIFY(!f[5].isEmpty());
}

void TestSatemuLogFaults::malformedAnswers_data() {
    QTest::addColumn<QByteArray>("kind");
    QTest::newRow("empty") << QByteArray("empty");
    QTest::newRow("no separator") << QByteArray("no_separator");
    QTest::newRow("too few fields") << QByteArray("few_fields");
    QTest::newRow("invalid UTF-8") << QByteArray("bad_utf8");
    QTest::newRow("invalid Base64") << QByteArray("bad_base64");
}

void TestSatemuLogFaults::malformedAnswers() {
    QFETCH(QByteArray, kind);
    activate();
    home_->writeFaults("malformed=" + kind + "\n");
    const int s = nextSession();
    const QByteArray answer = ExtrairLogs(s, kCode.constData());
    const auto f = fields(answer.constData());
    if (kind == "empty") {
        QCOMPARE(answer, QByteArray());
    } else if (kind == "no_separator") {
        QVERIFY(!answer.contains('|'));
        QVERIFY(answer.startsWith(sessionText(s) + " 15000 Transfer"));
    } else if (kind == "few_fields") {
        QCOMPARE(answer, sessionText(s) + "|15000");
    } else if (kind == "bad_utf8") {
        QCOMPARE(f.size(), 6);
        QCOMPARE(f[1], QByteArray("15000"));
        QVERIFY(!validUtf8(f[2]));
        QVERIFY(f[2].startsWith("Transfer\xEAncia"));
        QVERIFY(!extractLog(f).isEmpty()); // the data are intact
    } else {
        QCOMPARE(f.size(), 6);
        QCOMPARE(f[2], QByteArray("Transferência completa"));
        QVERIFY(extractLog(f).isEmpty()); // not decodable as strict Base64
        QVERIFY(!QByteArray::fromBase64(f[5]).isEmpty());
    }
    // The device itself did its work: the session is stored well-formed.
    QFile::remove(home_->faultFile());
    const auto stored = fields(ConsultarNumeroSessao(nextSession(), kCode.constData(), s));
    QCOMPARE(stored.size(), 6);
    QCOMPARE(stored[0], sessionText(s));
    QVERIFY(!extractLog(stored).isEmpty());
}

void TestSatemuLogFaults::malformedCountAndEntryPoint() {
    activate();
    home_->writeFaults("malformed.ConsultarSAT=few_fields\nmalformed_count=1\n");
    QCOMPARE(fields(ConsultarStatusOperacional(nextSession(), kCode.constData())).size(), 28);
    QCOMPARE(fields(ConsultarSAT(nextSession())).size(), 2);
    QCOMPARE(fields(ConsultarSAT(nextSession())).size(), 5);
    QVERIFY(DeviceHome::read(home_->faultFile()).contains("malformed_count=0"));
}

void TestSatemuLogFaults::logPaddedToMegabytes() {
    activate();
    home_->writeFaults("log_padding_mb=2\n");
    const auto f = fields(ExtrairLogs(nextSession(), kCode.constData()));
    QCOMPARE(f[1], QByteArray("15000"));
    const auto lines = extractLog(f);
    const qsizetype bytes =
        std::accumulate(lines.begin(), lines.end(), qsizetype(0),
                        [](qsizetype n, const QByteArray& l) { return n + l.size() + 1; });
    QVERIFY(bytes >= 2 * 1024 * 1024);
    QVERIFY(bytes < 3 * 1024 * 1024);
    QCOMPARE(lines[lines.size() - 2].mid(24), kEnd); // the SuperLog is still last
    // The padding is only in the answer; the stored log keeps its size.
    QVERIFY(QFileInfo(home_->stateFile()).size() < 1024 * 1024);
}

void TestSatemuLogFaults::unknownFaultKeysAreIgnored() {
    home_->writeFaults("velocidade=3\nsem sinal de igual\ncode=abc\n\n");
    QCOMPARE(fields(ConsultarSAT(nextSession()))[1], QByteArray("08000"));
}

QTEST_GUILESS_MAIN(TestSatemuLogFaults)
#include "tst_satemu_log_faults.moc"
