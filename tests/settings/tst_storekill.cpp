// Kills a process in the middle of writing the parameter store, again and again,
// and checks that the file is always a whole version: the one before or one the
// writer finished, never a truncated or mixed one.
//
// The writer is this same program started with "--write-loop <file>".

#include "settings/checkconfigs.h"
#include "settings/parameterstore.h"
#include "storefiles.h"

#include <cstdio>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using settings::ParameterStore;

namespace {

constexpr int kKills = 40;
// Small enough that a good share of each loop is spent writing the file, large
// enough for the file to span several pages.
constexpr qsizetype kMemoLength = 6000;
// Each writer numbers its versions from its own base, so a file from an
// earlier writer shows.
constexpr qint64 kVersionsPerWriter = 10000000;

// Every value of version n is derived from n, so a file mixing two versions shows.
QString ssidOf(qint64 n) {
    return QStringLiteral("v%1").arg(n);
}
QString signatureOf(qint64 n) {
    return QString(344, QChar(static_cast<char16_t>(u'A' + n % 26)));
}
QString memoOf(qint64 n) {
    return QString(kMemoLength, QChar(static_cast<char16_t>(u'a' + n % 26)));
}

int writeLoop(const QString& path, qint64 first) {
    ParameterStore store;
    if (!store.open(path).ok())
        return 2;
    for (qint64 n = first;; ++n) {
        store.edit();
        store.setText(u"SSID", ssidOf(n));
        store.setText(u"Assinatura", signatureOf(n));
        store.setText(u"CSR", memoOf(n));
        store.post();
        if (!store.writeBackIfNeeded().ok())
            return 3;
        if (n == first) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        }
    }
}

} // namespace

class TestStoreKill : public QObject {
    Q_OBJECT

private slots:
    void killedWriterLeavesOldOrNewFile();
};

void TestStoreKill::killedWriterLeavesOldOrNewFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Parametros.xml"));
    QVERIFY(storetest::writeFile(path, settings::defaultParametrosXml()));

    static const QRegularExpression kVersion(QStringLiteral("^v(\\d+)$"));
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess writer;
        const qint64 first = (kill + 1) * kVersionsPerWriter;
        writer.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--write-loop"), path, QString::number(first)});
        QVERIFY2(writer.waitForStarted(10000), qPrintable(writer.errorString()));
        QVERIFY2(writer.waitForReadyRead(30000), "the writer never finished its first write");
        QThread::usleep(QRandomGenerator::global()->bounded(20000));
        writer.kill();
        QVERIFY(writer.waitForFinished(10000));
        QVERIFY2(writer.exitStatus() == QProcess::CrashExit, "the writer stopped by itself");

        const QByteArray bytes = storetest::readAll(path);
        QVERIFY2(bytes.endsWith("</ROWDATA></DATAPACKET>\r\n"), "the file is cut short");
        ParameterStore store;
        const settings::StoreResult opened = store.open(path);
        QVERIFY2(opened.ok(), qPrintable(opened.message()));
        QCOMPARE(store.recordCount(), 1);
        const QString ssid = store.text(u"SSID");
        const QRegularExpressionMatch match = kVersion.match(ssid);
        QVERIFY2(match.hasMatch(), qPrintable(ssid));
        const qint64 n = match.captured(1).toLongLong();
        // This writer finished at least its first version before the kill.
        QVERIFY2(n >= first && n < first + kVersionsPerWriter, qPrintable(ssid));
        QCOMPARE(store.text(u"Assinatura"), signatureOf(n));
        QCOMPARE(store.text(u"CSR"), memoOf(n));
        QCOMPARE(store.text(u"tipoInter"), QStringLiteral("ETHE"));
    }
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--write-loop") == 0)
        return writeLoop(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toLongLong());
    TestStoreKill test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_storekill.moc"
