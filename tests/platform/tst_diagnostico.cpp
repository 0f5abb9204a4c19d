// The cause of a failed library load, read from the file's header and the loader's
// message: each kind of wrong file gets its own plain sentence.
#include "platform/diagnostico.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDiagnostico : public QObject {
    Q_OBJECT
private slots:
    void causas_data();
    void causas();
    void dependenciaAusenteDeVerdade();
    void simboloAusente();
};

namespace {

QByteArray bibliotecaDeVerdade() {
    QFile f(QStringLiteral(SATTESTE_COMPLETA));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("no test library");
    return f.readAll();
}

QByteArray comBytes(QByteArray dados, int posicao, const QByteArray& novos) {
    dados.replace(posicao, novos.size(), novos);
    return dados;
}

// A Windows DLL's first bytes: the MZ stub pointing at a PE header for `maquina`.
QByteArray cabecalhoPe(quint16 maquina) {
    QByteArray b(0x100, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    b[0x3c] = char(0x80);
    b.replace(0x80, 4, QByteArray("PE\0\0", 4));
    b[0x84] = char(maquina & 0xff);
    b[0x85] = char(maquina >> 8);
    return b;
}

} // namespace

void TestDiagnostico::causas_data() {
    QTest::addColumn<QByteArray>("conteudo");
    QTest::addColumn<QString>("causa");
    const QByteArray so = bibliotecaDeVerdade();
    QTest::newRow("texto") << QByteArray("não sou uma biblioteca\n") << "O arquivo não é uma biblioteca.";
    QTest::newRow("vazio") << QByteArray() << "O arquivo não é uma biblioteca.";
    QTest::newRow("ELF de 32 bits") << comBytes(so, 4, QByteArray(1, '\x01'))
                                    << "É uma biblioteca de 32 bits; este programa é de 64 bits e só carrega "
                                       "bibliotecas de 64 bits.";
    QTest::newRow("ELF para ARM 64")
        << comBytes(so, 18, QByteArray("\xb7\0", 2))
        << "É uma biblioteca para outro processador (ARM 64 bits); este programa é "
           "para x86-64 (Intel/AMD).";
    QTest::newRow("ELF para máquina sem nome")
        << comBytes(so, 18, QByteArray("\x34\x12", 2))
        << "É uma biblioteca para outro processador (um processador de "
           "código 4660); este programa é para x86-64 (Intel/AMD).";
    QTest::newRow("DLL do Windows") << cabecalhoPe(0x8664)
                                    << "É uma biblioteca do Windows: neste sistema é preciso a biblioteca do "
                                       "fabricante para Linux.";
    QTest::newRow("MZ sem cabeçalho PE")
        << QByteArray("MZ").append(QByteArray(0x40, '\0')) << "O arquivo não é uma biblioteca.";
    QTest::newRow("a própria biblioteca, sem causa conhecida") << so << "";
}

void TestDiagnostico::causas() {
    QFETCH(QByteArray, conteudo);
    QFETCH(QString, causa);
#if !defined(__x86_64__)
    QSKIP("the expected sentences name an x86-64 program");
#endif
#if defined(Q_OS_WIN)
    // Here the test library is a DLL, and a PE header is this system's own format.
    if (QByteArray(QTest::currentDataTag()).startsWith("ELF") ||
        causa.startsWith(QStringLiteral("É uma biblioteca do Windows")))
        QSKIP("Linux only: the row patches an ELF library or names the PE format foreign");
#endif
    QTemporaryDir pasta;
    QFile f(pasta.filePath(QStringLiteral("SAT_x64.DLL")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(conteudo), conteudo.size());
    f.close();
    QCOMPARE(QString::fromStdString(platform::causaDaFalhaDeCarga(f.fileName().toStdString(), "")), causa);

    // The loader refuses each wrong file; the file itself is what names the cause.
    platform::BibliotecaDinamica biblioteca;
    std::string motivo;
    QCOMPARE(biblioteca.abrir(f.fileName().toStdString(), motivo), causa.isEmpty());
}

void TestDiagnostico::dependenciaAusenteDeVerdade() {
    platform::BibliotecaDinamica biblioteca;
    std::string motivo;
    QVERIFY(!biblioteca.abrir(SATTESTE_DEPENDENTE, motivo));
#if defined(Q_OS_WIN)
    // Windows' loader does not say which library is missing.
    QCOMPARE(QString::fromStdString(platform::causaDaFalhaDeCarga(SATTESTE_DEPENDENTE, motivo)),
             QStringLiteral("Falta uma biblioteca de que ela precisa."));
#else
    QCOMPARE(QString::fromStdString(platform::causaDaFalhaDeCarga(SATTESTE_DEPENDENTE, motivo)),
             QStringLiteral("Falta a biblioteca libsatteste_dependencia.so, de que ela precisa."));
#endif

    // Unreadable: a folder where the library should be.
    QTemporaryDir pasta;
    QVERIFY(QDir(pasta.path()).mkdir(QStringLiteral("SAT_x64.DLL")));
    const std::string pastaComNome = pasta.filePath(QStringLiteral("SAT_x64.DLL")).toStdString();
#if defined(Q_OS_WIN)
    // Windows refuses to open a folder as a file at all, with the system's reason.
    QCOMPARE(QString::fromStdString(platform::causaDaFalhaDeCarga(pastaComNome, "")),
             QStringLiteral("O arquivo não pode ser lido (Permission denied)."));
#else
    QCOMPARE(QString::fromStdString(platform::causaDaFalhaDeCarga(pastaComNome, "")),
             QStringLiteral("O arquivo não pode ser lido."));
#endif
    QVERIFY(QString::fromStdString(platform::causaDaFalhaDeCarga("/nao/existe/SAT_x64.DLL", ""))
                .startsWith(QStringLiteral("O arquivo não pode ser lido (")));
}

void TestDiagnostico::simboloAusente() {
    QCOMPARE(QString::fromStdString(platform::causaDaFalhaDeCarga(
                 SATTESTE_COMPLETA, std::string(SATTESTE_COMPLETA) + ": undefined symbol: usb_open")),
             QStringLiteral("Ela precisa da função usb_open, que nenhuma biblioteca carregada oferece."));
}

QTEST_APPLESS_MAIN(TestDiagnostico)
#include "tst_diagnostico.moc"
