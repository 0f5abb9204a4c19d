// The cause of a failed library load, read from the file's header and the loader's
// message: each kind of wrong file gets its own plain sentence.
#include "cabecalhope.h"
#include "pastadousuario.h"
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
    void dllX86De32Bits_data();
    void dllX86De32Bits();
    void causaVistaPeloHospedeiroDe32Bits();
    void simboloAusente();
    void emPastasDoUsuario_data();
    void emPastasDoUsuario();
};

namespace {

QByteArray bibliotecaDeVerdade() {
    QFile f(QStringLiteral(SATTESTE_COMPLETA));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("no test library");
    return f.readAll();
}

// Writes `dados` as the file `nome` in `pasta`; its full path, or "" when it could not.
std::string gravar(const QTemporaryDir& pasta, const QString& nome, const QByteArray& dados) {
    QFile f(pasta.filePath(nome));
    if (!f.open(QIODevice::WriteOnly) || f.write(dados) != dados.size())
        return {};
    return f.fileName().toStdString();
}

QByteArray comBytes(QByteArray dados, int posicao, const QByteArray& novos) {
    dados.replace(posicao, novos.size(), novos);
    return dados;
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

void TestDiagnostico::dllX86De32Bits_data() {
    QTest::addColumn<QByteArray>("conteudo");
    QTest::addColumn<bool>("de32Bits");
    const QByteArray so = bibliotecaDeVerdade();
    QTest::newRow("DLL x86") << cabecalhoPe(0x014c) << true;
    QTest::newRow("DLL x86-64") << cabecalhoPe(0x8664) << false;
    QTest::newRow("DLL ARM de 32 bits") << cabecalhoPe(0x01c4) << false;
    QTest::newRow("DLL de máquina sem nome") << cabecalhoPe(0x1234) << false;
    QTest::newRow("ELF x86 de 32 bits")
        << comBytes(comBytes(so, 4, QByteArray(1, '\x01')), 18, QByteArray("\3\0", 2)) << false;
    QTest::newRow("MZ sem cabeçalho PE") << QByteArray("MZ").append(QByteArray(0x40, '\0')) << false;
    QTest::newRow("cabeçalho PE além do fim")
        << comBytes(cabecalhoPe(0x014c), 0x3c, QByteArray("\xff\xff", 2)) << false;
    QTest::newRow("vazio") << QByteArray() << false;
}

void TestDiagnostico::dllX86De32Bits() {
    QFETCH(QByteArray, conteudo);
    QFETCH(bool, de32Bits);
    QTemporaryDir pasta;
    const std::string caminho = gravar(pasta, QStringLiteral("SAT.DLL"), conteudo);
    QVERIFY(!caminho.empty());
    QCOMPARE(platform::dllX86De32Bits(caminho), de32Bits);
    QVERIFY(!platform::dllX86De32Bits(pasta.filePath(QStringLiteral("nada.dll")).toStdString()));
    QVERIFY(!platform::dllX86De32Bits(pasta.path().toStdString()));
}

void TestDiagnostico::causaVistaPeloHospedeiroDe32Bits() {
#if !defined(__x86_64__)
    QSKIP("the expected sentences name an x86-64 program");
#endif
    // A 32-bit x86 library that fails in the 32-bit helper fails for another reason
    // than its word size: the sentence about 64 bits would send the user astray. The
    // library is of this system's own format: a DLL on Windows, an ELF file elsewhere.
#ifdef _WIN32
    const QByteArray de32Bits = cabecalhoPe(0x014c);
#else
    const QByteArray de32Bits =
        comBytes(comBytes(bibliotecaDeVerdade(), 4, QByteArray(1, '\x01')), 18, QByteArray("\3\0", 2));
#endif
    QTemporaryDir pasta;
    const std::string caminho = gravar(pasta, QStringLiteral("SAT.DLL"), de32Bits);
    QVERIFY(!caminho.empty());
    QCOMPARE(QString::fromStdString(platform::causaDaFalhaDeCarga(caminho, "")),
             QStringLiteral(
                 "É uma biblioteca de 32 bits; este programa é de 64 bits e só carrega bibliotecas de 64 "
                 "bits."));
    QCOMPARE(QString::fromStdString(platform::causaDaFalhaDeCarga(caminho, "", 32)), QString());
    QCOMPARE(QString::fromStdString(platform::causaDaFalhaDeCarga(
                 caminho, "libfalta.so: cannot open shared object file: No such file or directory", 32)),
             QStringLiteral("Falta a biblioteca libfalta.so, de que ela precisa."));
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

void TestDiagnostico::emPastasDoUsuario_data() {
    QTest::addColumn<QString>("nome");
    for (const pastadousuario::Tipo& tipo : pastadousuario::tipos())
        QTest::newRow(tipo.etiqueta) << tipo.nome;
}

// The header is read wherever the library sits: a 32-bit DLL is told apart, a wrong
// file is named for what it is, and the right one loads, in a folder whose name has
// accents or letters outside the system's code page as in any other.
void TestDiagnostico::emPastasDoUsuario() {
    QFETCH(QString, nome);
    const pastadousuario::Pasta pasta(nome);
    QVERIFY(pasta.isValid());
    auto gravarNaPasta = [&pasta](const QString& arquivo, const QByteArray& dados) {
        QFile f(pasta.filePath(arquivo));
        return f.open(QIODevice::WriteOnly) && f.write(dados) == dados.size() ? f.fileName().toStdString()
                                                                             : std::string();
    };

    const std::string de32Bits = gravarNaPasta(QStringLiteral("SAT.DLL"), cabecalhoPe(0x014c));
    QVERIFY(!de32Bits.empty());
    QVERIFY(platform::dllX86De32Bits(de32Bits));

    const std::string texto = gravarNaPasta(QStringLiteral("SAT_x64.DLL"), "não sou uma biblioteca\n");
    QVERIFY(!texto.empty());
    QCOMPARE(QString::fromStdString(platform::causaDaFalhaDeCarga(texto, "")),
             QStringLiteral("O arquivo não é uma biblioteca."));

    const std::string ausente = pasta.filePath(QStringLiteral("nada.dll")).toStdString();
    QVERIFY(QString::fromStdString(platform::causaDaFalhaDeCarga(ausente, ""))
                .startsWith(QStringLiteral("O arquivo não pode ser lido (")));

    const std::string deVerdade = gravarNaPasta(QStringLiteral("SAT_x64.DLL"), bibliotecaDeVerdade());
    QVERIFY(!deVerdade.empty());
    QCOMPARE(QString::fromStdString(platform::causaDaFalhaDeCarga(deVerdade, "")), QString());
    platform::BibliotecaDinamica biblioteca;
    std::string motivo;
    QVERIFY2(biblioteca.abrir(deVerdade, motivo), motivo.c_str());
    QVERIFY(biblioteca.simbolo("ConsultarSAT") != nullptr);
#ifdef Q_OS_WIN
    QCOMPARE(QString::fromStdString(platform::versaoDoArquivo(deVerdade)), QStringLiteral("2.1.0"));
#endif
    biblioteca.fechar(); // a loaded DLL keeps its folder from being removed on Windows
}

QTEST_APPLESS_MAIN(TestDiagnostico)
#include "tst_diagnostico.moc"
