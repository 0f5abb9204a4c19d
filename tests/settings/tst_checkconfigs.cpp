#include "settings/checkconfigs.h"
#include "settings/parameterstore.h"
#include "storefiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using storetest::backdate;
using storetest::modified;
using storetest::readAll;
using storetest::writeFile;

namespace {

// The default files as the console has always written them, spelled out here
// independently of the code under test.
const QByteArray kExpectedConfRede = "<?xml version=\"1.0\" encoding=\"utf-8\"?><config>"
                                     "<tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan>"
                                     "<proxy>0</proxy></config>\r\n";

QByteArray expectedParametros() {
    QByteArray fields;
    const QList<std::pair<QByteArray, int>> texts{
        {"tipoInter", 4},   {"SSID", 32},        {"seg", 8},
        {"codigo", 64},     {"tipoLan", 8},      {"lanIP", 15},
        {"lanMask", 15},    {"lanGW", 15},       {"lanDNS1", 15},
        {"lanDNS2", 15},    {"usuario", 64},     {"senha", 64},
        {"proxy", 1},       {"proxy_ip", 15},    {"proxy_porta", 5},
        {"proxy_user", 64}, {"proxy_senha", 64}, {"CNPJContribuinte", 14},
        {"uf", 2}};
    for (const auto& [name, width] : texts)
        fields += "<FIELD attrname=\"" + name + "\" fieldtype=\"string\" WIDTH=\"" +
                  QByteArray::number(width) + "\"/>";
    fields += "<FIELD attrname=\"TipoCert\" fieldtype=\"i4\"/>"
              "<FIELD attrname=\"CSR\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\" WIDTH=\"1024\"/>"
              "<FIELD attrname=\"Assinatura\" fieldtype=\"string.uni\" WIDTH=\"688\"/>"
              "<FIELD attrname=\"CNPJSH\" fieldtype=\"string\" WIDTH=\"14\"/>";
    return "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" +
           fields +
           "</FIELDS><PARAMS CHANGE_LOG=\"1 0 4\"/></METADATA><ROWDATA>"
           "<ROW RowState=\"4\" tipoInter=\"ETHE\" SSID=\"\" codigo=\"\" tipoLan=\"DHCP\" "
           "lanIP=\"\" lanMask=\"\" lanGW=\"\" lanDNS1=\"\" lanDNS2=\"\" usuario=\"\" senha=\"\" "
           "proxy=\"0\" proxy_ip=\"\" proxy_porta=\"\" proxy_user=\"\" proxy_senha=\"\" uf=\"35\"/>"
           "</ROWDATA></DATAPACKET>\r\n";
}

QString message(const char* fileName) {
    return QStringLiteral("Não foi possível criar o arquivo de configuração \"%1\"!")
        .arg(QLatin1String(fileName));
}

// Whether this process can create files in a directory it made read-only (it
// can when it runs with the privilege to ignore permissions).
bool permissionsBind(const QString& dir) {
    QFile probe(QDir(dir).filePath(QStringLiteral("probe")));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        return false;
    }
    return true;
}

} // namespace

class TestCheckConfigs : public QObject {
    Q_OBJECT

private slots:
    void writesBothDefaultsByteForByte();
    void existingFilesAreLeftAlone_data();
    void existingFilesAreLeftAlone();
    void failureMessages_data();
    void failureMessages();
    void defaultStartUp();

private:
    QStringList run(const QString& dir) {
        QStringList shown;
        settings::CheckConfigs(dir, [&shown](const QString& text) { shown << text; });
        return shown;
    }
};

void TestCheckConfigs::writesBothDefaultsByteForByte() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(run(dir.path()), QStringList());

    const QByteArray confRede = readAll(dir.filePath(QStringLiteral("ConfRede.xml")));
    const QByteArray parametros = readAll(dir.filePath(QStringLiteral("Parametros.xml")));
    QCOMPARE(confRede, kExpectedConfRede);
    QCOMPARE(parametros, expectedParametros());
    for (const QByteArray& bytes : {confRede, parametros}) {
        QCOMPARE(bytes.count('\n'), 1);
        QVERIFY(bytes.endsWith("\r\n"));
        QVERIFY(std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > 0 && c < 0x7F; }));
    }
    QCOMPARE(settings::defaultConfRedeXml(), kExpectedConfRede);
    QCOMPARE(settings::defaultParametrosXml(), expectedParametros());
    // Nothing else is left in the directory (no temporary files).
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestCheckConfigs::existingFilesAreLeftAlone_data() {
    QTest::addColumn<bool>("confRedeExists");
    QTest::addColumn<bool>("parametrosExists");
    QTest::newRow("both exist") << true << true;
    QTest::newRow("only ConfRede exists") << true << false;
    QTest::newRow("only Parametros exists") << false << true;
}

// Only existence is tested: an existing file, even an empty or broken one, is
// neither read nor rewritten; a missing one is written.
void TestCheckConfigs::existingFilesAreLeftAlone() {
    QFETCH(bool, confRedeExists);
    QFETCH(bool, parametrosExists);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString confRede = dir.filePath(QStringLiteral("ConfRede.xml"));
    const QString parametros = dir.filePath(QStringLiteral("Parametros.xml"));
    const QByteArray userConfRede = "<config><tipoInter>WIFI</tipoInter></config>";
    const QByteArray userParametros; // empty: broken, yet not ours to repair here
    if (confRedeExists) {
        QVERIFY(writeFile(confRede, userConfRede));
        QVERIFY(backdate(confRede));
    }
    if (parametrosExists) {
        QVERIFY(writeFile(parametros, userParametros));
        QVERIFY(backdate(parametros));
    }
    const QDateTime confRedeTime = modified(confRede);
    const QDateTime parametrosTime = modified(parametros);

    QCOMPARE(run(dir.path()), QStringList());

    QCOMPARE(readAll(confRede), confRedeExists ? userConfRede : kExpectedConfRede);
    QCOMPARE(readAll(parametros), parametrosExists ? userParametros : expectedParametros());
    if (confRedeExists)
        QCOMPARE(modified(confRede), confRedeTime);
    if (parametrosExists)
        QCOMPARE(modified(parametros), parametrosTime);
}

void TestCheckConfigs::failureMessages_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("confRedeWritten");

    const QStringList confRedeOnly{message("ConfRede.xml")};
    // In each ConfRede case Parametros.xml could be written if it were tried
    // (except in the read-only and missing directories, where a try would show
    // a second message): one message and no Parametros.xml prove the skip.
    QTest::newRow("read-only directory") << QStringLiteral("readonly") << confRedeOnly << false;
    QTest::newRow("missing directory") << QStringLiteral("missing") << confRedeOnly << false;
    QTest::newRow("ConfRede.xml is a directory") << QStringLiteral("confrede-dir") << confRedeOnly << false;
    QTest::newRow("ConfRede.xml is a dangling link")
        << QStringLiteral("confrede-link") << confRedeOnly << false;
#ifdef Q_OS_UNIX
    // No file of the process may grow past 40 bytes: a half-written default
    // would pass every later existence check, so none may be left behind.
    QTest::newRow("disk full") << QStringLiteral("full") << confRedeOnly << false;
#endif
    QTest::newRow("Parametros.xml is a directory")
        << QStringLiteral("parametros-dir") << QStringList{message("Parametros.xml")} << true;
    QTest::newRow("Parametros.xml is a dangling link")
        << QStringLiteral("parametros-link") << QStringList{message("Parametros.xml")} << true;
}

void TestCheckConfigs::failureMessages() {
    QFETCH(QString, setup);
    QFETCH(QStringList, messages);
    QFETCH(bool, confRedeWritten);

#ifdef Q_OS_WIN
    if (setup.endsWith(u"-link"))
        QSKIP(
            "Linux only: QFile::link makes a .lnk shortcut on Windows, not a link files are opened through");
#endif
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QString dir = temp.path();
    const QString nowhere = temp.filePath(QStringLiteral("no-such-dir/target.xml"));
    if (setup == u"readonly") {
        QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (!permissionsBind(dir)) {
            QFile::setPermissions(dir,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("This process writes into read-only directories; the link and directory rows cover the "
                  "skip.");
        }
    } else if (setup == u"missing") {
        dir = temp.filePath(QStringLiteral("not-created"));
    } else if (setup == u"confrede-dir") {
        QVERIFY(QDir(dir).mkdir(QStringLiteral("ConfRede.xml")));
    } else if (setup == u"confrede-link") {
        QVERIFY(QFile::link(nowhere, temp.filePath(QStringLiteral("ConfRede.xml"))));
    } else if (setup == u"parametros-dir") {
        QVERIFY(QDir(dir).mkdir(QStringLiteral("Parametros.xml")));
    } else if (setup == u"parametros-link") {
        QVERIFY(QFile::link(nowhere, temp.filePath(QStringLiteral("Parametros.xml"))));
    }

    QStringList shown;
#ifdef Q_OS_UNIX
    if (setup == u"full") {
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 40;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        shown = run(dir);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
#endif
    if (setup != u"full")
        shown = run(dir);
    QFile::setPermissions(temp.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(shown, messages);
    const QString confRede = QDir(dir).filePath(QStringLiteral("ConfRede.xml"));
    const QString parametros = QDir(dir).filePath(QStringLiteral("Parametros.xml"));
    QCOMPARE(readAll(confRede) == kExpectedConfRede, confRedeWritten);
    QCOMPARE(QFileInfo(confRede).isFile(), confRedeWritten); // nothing half-written
    QVERIFY(!QFileInfo(parametros).isFile());
}

// First start in an empty directory: both files appear before the store opens;
// the store then holds the default row; ending without an edit leaves the file
// exactly as it was.
void TestCheckConfigs::defaultStartUp() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString parametros = dir.filePath(QStringLiteral("Parametros.xml"));
    QCOMPARE(run(dir.path()), QStringList());
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("ConfRede.xml"))).isFile());
    QVERIFY(QFileInfo(parametros).isFile());
    QVERIFY(backdate(parametros));
    const QDateTime before = modified(parametros);

    settings::ParameterStore cds;
    const settings::StoreResult opened = cds.open(parametros);
    QVERIFY2(opened.ok(), qPrintable(opened.message()));
    QCOMPARE(cds.recordCount(), 1);
    QCOMPARE(cds.fields().size(), 23);

    const QStringList emptyTexts{
        QStringLiteral("SSID"),       QStringLiteral("codigo"),      QStringLiteral("lanIP"),
        QStringLiteral("lanMask"),    QStringLiteral("lanGW"),       QStringLiteral("lanDNS1"),
        QStringLiteral("lanDNS2"),    QStringLiteral("usuario"),     QStringLiteral("senha"),
        QStringLiteral("proxy_ip"),   QStringLiteral("proxy_porta"), QStringLiteral("proxy_user"),
        QStringLiteral("proxy_senha")};
    const QStringList nulls{QStringLiteral("seg"),        QStringLiteral("CNPJContribuinte"),
                            QStringLiteral("TipoCert"),   QStringLiteral("CSR"),
                            QStringLiteral("Assinatura"), QStringLiteral("CNPJSH")};
    QCOMPARE(cds.text(u"tipoInter"), QStringLiteral("ETHE"));
    QCOMPARE(cds.text(u"tipoLan"), QStringLiteral("DHCP"));
    QCOMPARE(cds.text(u"proxy"), QStringLiteral("0"));
    QCOMPARE(cds.integer(u"proxy"), 0);
    QCOMPARE(cds.text(u"uf"), QStringLiteral("35"));
    QCOMPARE(cds.integer(u"UF"), 35);
    for (const QString& name : emptyTexts) {
        QVERIFY2(!cds.isNull(name), qPrintable(name));
        QCOMPARE(cds.text(name), QString());
    }
    for (const QString& name : nulls) {
        QVERIFY2(cds.isNull(name), qPrintable(name));
        QCOMPARE(cds.text(name), QString());
    }
    bool ok = false;
    QCOMPARE(cds.integer(u"TipoCert", &ok), 0);
    QVERIFY(ok);

    // The window's first() and a read-only visit change nothing.
    cds.first();
    QVERIFY(!cds.isModified());
    const settings::StoreResult saved = cds.writeBackIfNeeded();
    QVERIFY2(saved.ok(), qPrintable(saved.message()));
    QCOMPARE(readAll(parametros), expectedParametros());
    QCOMPARE(modified(parametros), before);
    // Had it been written, it would have been these same bytes.
    QCOMPARE(cds.toDataPacket(), expectedParametros());
}

QTEST_GUILESS_MAIN(TestCheckConfigs)
#include "tst_checkconfigs.moc"
