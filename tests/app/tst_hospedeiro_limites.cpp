// The library helper's limits, as the console meets them: a library whose loading
// never ends is given up at the load limit, its helper killed, and the next call gets
// a fresh helper; a request frame over the size limit is read to its end, thrown
// away and answered "invalid request", and the frame after it is served; an answer
// over the limit is said so without ending the helper; and the console's own words
// for answers it cannot read or that refuse the call.
#include "sat/executorremoto.h"
#include "sat/protocolo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <tuple>

namespace protocolo = sat::protocolo;

namespace {

QString hospedeiro() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sat-host"));
}

// Wine's own name for a path of the Linux tree: all of it is drive Z:.
QString caminhoWine(const QString& caminho) {
    return QStringLiteral("Z:") + QString(caminho).replace(u'/', u'\\');
}

bool processoVivo(qint64 pid) {
    return pid > 0 && QDir(QStringLiteral("/proc/%1").arg(pid)).exists();
}

sat::Invocacao consulta(int sessao) {
    return {sat::indiceDaFuncao(&sat::FuncoesSAT::ConsultarSAT), sessao, {}};
}

// The helper driven frame by frame, as no console would: to send what none sends.
class Canal {
public:
    explicit Canal(QProcess& p) : p_(p) {}

    bool escreverCabecalho(std::uint32_t tamanho) {
        char cabecalho[protocolo::tamanhoDoCabecalho];
        protocolo::escreverCabecalho(cabecalho, tamanho);
        return escrever(QByteArray(cabecalho, sizeof cabecalho));
    }
    bool escrever(const QByteArray& bytes) {
        if (p_.write(bytes) != bytes.size())
            return false;
        while (p_.bytesToWrite() > 0)
            if (!p_.waitForBytesWritten(30000))
                return false;
        return true;
    }
    bool enviar(const std::string& conteudo) {
        return escreverCabecalho(static_cast<std::uint32_t>(conteudo.size())) &&
               escrever(QByteArray::fromStdString(conteudo));
    }
    // One whole frame, or nothing when none came in 30 s.
    std::optional<std::string> receber() {
        if (!esperar(protocolo::tamanhoDoCabecalho))
            return std::nullopt;
        const QByteArray cabecalho = p_.read(protocolo::tamanhoDoCabecalho);
        const std::uint32_t tamanho = protocolo::lerCabecalho(cabecalho.constData());
        if (!esperar(tamanho))
            return std::nullopt;
        return p_.read(tamanho).toStdString();
    }

private:
    bool esperar(qint64 n) {
        while (p_.bytesAvailable() < n)
            if (!p_.waitForReadyRead(30000))
                return false;
        return true;
    }
    QProcess& p_;
};

} // namespace

class TestHospedeiroLimites : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void cargaQueNaoTermina_data();
    void cargaQueNaoTermina();
    void pedidoAcimaDoLimite();
    void respostaAcimaDoLimite();
    void respostasQueOConsoleNaoEntende_data();
    void respostasQueOConsoleNaoEntende();
};

void TestHospedeiroLimites::initTestCase() {
    QVERIFY(QFile::exists(hospedeiro()));
}

void TestHospedeiroLimites::cleanup() {
    qunsetenv("SATTESTE_TRAVA");
    qunsetenv("DLL_LIMITES_TRAVA");
    qunsetenv("WINEPREFIX");
    qunsetenv("SATTESTE_FALHA");
    qunsetenv("HOSPEDEIRO_FALSO");
}

void TestHospedeiroLimites::cargaQueNaoTermina_data() {
    QTest::addColumn<QString>("programa");    // the helper as the console starts it
    QTest::addColumn<QString>("biblioteca");  // as the helper names it
    QTest::addColumn<QByteArray>("variavel"); // names the file whose existence holds the load
    QTest::addColumn<bool>("comoWine");       // the file is named as Wine names it
    QTest::addColumn<int>("limiteMs");
    QTest::addColumn<QString>("limiteLido"); // the limit as the message gives it
    QTest::addColumn<QByteArray>("resposta"); // to the status query, once the library loads
    QTest::newRow("sat-host") << hospedeiro() << QStringLiteral(SATTESTE_FALHA)
                              << QByteArray("SATTESTE_TRAVA") << false << 2000 << QStringLiteral("2 segundos")
                              << QByteArray("000007|10000|ConsultarStatusOperacional|||");
    QTest::newRow("sat-host, um segundo") << hospedeiro() << QStringLiteral(SATTESTE_FALHA)
                                          << QByteArray("SATTESTE_TRAVA") << false << 1000
                                          << QStringLiteral("1 segundo")
                                          << QByteArray("000007|10000|ConsultarStatusOperacional|||");
    // The Windows helpers under Wine, as the console would start them there, when the
    // Windows trees are built (scripts/test-windows.sh and test-windows32.sh, which
    // test.sh runs before these tests). Wine takes a second or two to start a program.
    for (const auto& [nome, arvore, carregador] :
         {std::tuple{"sat-host.exe", "build-mingw", "/usr/lib/wine/wine64"},
          std::tuple{"sat-host32.exe", "build-mingw32", "/usr/lib/wine/wine"}}) {
        const QString bin =
            QStringLiteral(SATCONSOLE_FONTES "/") + QLatin1String(arvore) + QStringLiteral("/bin/");
        QTest::newRow(nome) << QStringLiteral("%1|%2|%3")
                                   .arg(QLatin1String(carregador), bin + QLatin1String(nome),
                                        QStringLiteral(SATCONSOLE_FONTES "/") + QLatin1String(arvore) +
                                            QStringLiteral("/wineprefix"))
                            << caminhoWine(bin + QStringLiteral("dll_limites.dll"))
                            << QByteArray("DLL_LIMITES_TRAVA") << true << 5000 << QStringLiteral("5 segundos")
                            << QByteArray("000001|10000|ok|||");
    }
}

void TestHospedeiroLimites::cargaQueNaoTermina() {
    QFETCH(QString, programa);
    QFETCH(QString, biblioteca);
    QFETCH(QByteArray, variavel);
    QFETCH(bool, comoWine);
    QFETCH(int, limiteMs);
    QFETCH(QString, limiteLido);
    QFETCH(QByteArray, resposta);
    QTemporaryDir pasta;
    if (comoWine) {
        // "loader|program|profile": started through a script, as a program without arguments.
        const QStringList partes = programa.split(u'|');
        if (!QFile::exists(partes[0]) || !QFile::exists(partes[1]) || !QFile::exists(partes[2]))
            QSKIP("the Windows tree or Wine is not there: run scripts/test-windows.sh and test-windows32.sh");
        qputenv("WINEPREFIX", QFile::encodeName(partes[2]));
        qputenv("WINEDEBUG", "-all");
        programa = pasta.filePath(QStringLiteral("hospedeiro.sh"));
        QFile script(programa);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nexec '" + QFile::encodeName(partes[0]) + "' '" +
                     QFile::encodeName(partes[1]) + "'\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
    }
    const QString trava = pasta.filePath(QStringLiteral("trava"));
    QFile arquivo(trava);
    QVERIFY(arquivo.open(QIODevice::WriteOnly));
    arquivo.close();
    qputenv(variavel.constData(), comoWine ? caminhoWine(trava).toUtf8() : QFile::encodeName(trava));

    sat::ExecutorRemoto executor(programa, limiteMs);
    qint64 travado = 0;
    // Read while the console waits for the load.
    QTimer::singleShot(limiteMs / 2, [&] { travado = executor.processoDoHospedeiro(); });
    QString erro;
    QVERIFY(!executor.carregar(biblioteca, erro));
    QCOMPARE(erro, QStringLiteral("a biblioteca não terminou de carregar em ") + limiteLido);
    QVERIFY(!executor.vinculada());
    QVERIFY(travado > 0);
    QTRY_VERIFY(!processoVivo(travado));
    QCOMPARE(executor.processoDoHospedeiro(), 0);

    // The library loads now: the next call starts a fresh helper that loads it again.
    QVERIFY(QFile::remove(trava));
    const sat::RespostaSat r = executor.chamar(
        {sat::indiceDaFuncao(&sat::FuncoesSAT::ConsultarStatusOperacional), 7, {std::string("123")}});
    QCOMPARE(r.tipo, sat::RespostaSat::Tipo::Texto);
    QCOMPARE(r.bytes, resposta);
    QVERIFY(executor.vinculada());
    const qint64 novo = executor.processoDoHospedeiro();
    QVERIFY(processoVivo(novo));
    QVERIFY(novo != travado);
}

void TestHospedeiroLimites::pedidoAcimaDoLimite() {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(hospedeiro(), {});
    QVERIFY(p.waitForStarted());
    Canal canal(p);
    QVERIFY(canal.enviar(protocolo::pedidoCarregar(SATTESTE_FALHA)));
    const auto carga = canal.receber();
    QVERIFY(carga);
    QVERIFY(protocolo::lerRespostaCarga(*carga).value_or(protocolo::RespostaDaCarga{}).carregada);

    // One byte over the limit, sent whole: the helper must read past all of it.
    constexpr std::uint32_t tamanho = protocolo::limiteDoQuadro + 1;
    QVERIFY(canal.escreverCabecalho(tamanho));
    const QByteArray pedaco(4 << 20, 'C');
    std::uint32_t faltam = tamanho;
    while (faltam > 0) {
        const auto agora = std::min<std::uint32_t>(faltam, static_cast<std::uint32_t>(pedaco.size()));
        QVERIFY(canal.escrever(agora == pedaco.size() ? pedaco : pedaco.first(agora)));
        faltam -= agora;
    }
    const auto recusa = canal.receber();
    QVERIFY(recusa);
    QCOMPARE(*recusa, std::string(1, static_cast<char>(protocolo::Desfecho::PedidoInvalido)));

    // The next frame is read from its own header, not from the middle of the last.
    QVERIFY(canal.enviar(protocolo::pedidoChamar(consulta(9))));
    const auto resposta = canal.receber();
    QVERIFY(resposta);
    QCOMPARE(*resposta, std::string("R000009|08000|ConsultarSAT|||"));
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
}

void TestHospedeiroLimites::respostaAcimaDoLimite() {
    qputenv("SATTESTE_FALHA", "ConsultarSAT=alemdolimite");
    sat::ExecutorRemoto executor(hospedeiro());
    QString erro;
    QVERIFY2(executor.carregar(QStringLiteral(SATTESTE_FALHA), erro), qPrintable(erro));
    const qint64 pid = executor.processoDoHospedeiro();
    const sat::RespostaSat r = executor.chamar(consulta(5));
    QCOMPARE(r.tipo, sat::RespostaSat::Tipo::Indisponivel);
    QCOMPARE(r.motivo, QStringLiteral("a resposta da biblioteca passa do tamanho máximo"));
    // Said, not died of: the same helper serves the next call.
    QCOMPARE(executor.processoDoHospedeiro(), pid);
    const sat::RespostaSat depois = executor.chamar(
        {sat::indiceDaFuncao(&sat::FuncoesSAT::ConsultarStatusOperacional), 6, {std::string("123")}});
    QCOMPARE(depois.tipo, sat::RespostaSat::Tipo::Texto);
    QCOMPARE(depois.bytes, QByteArray("000006|10000|ConsultarStatusOperacional|||"));
    QCOMPARE(executor.processoDoHospedeiro(), pid);
}

void TestHospedeiroLimites::respostasQueOConsoleNaoEntende_data() {
    QTest::addColumn<QByteArray>("modo");
    QTest::addColumn<QString>("erroDeCarga"); // empty: the load succeeds
    QTest::addColumn<int>("tipo");            // the call's RespostaSat::Tipo
    QTest::addColumn<QString>("motivo");
    QTest::addColumn<bool>("segue"); // whether the helper is kept

    const QString ilegivelNaCarga = QStringLiteral("o programa auxiliar respondeu algo que não se pode ler");
    const QString ilegivel = QStringLiteral("resposta ilegível do programa auxiliar");
    const QString recusada = QStringLiteral("o programa auxiliar recusou a chamada");
    const int interrompida = int(sat::RespostaSat::Tipo::Interrompida);
    const int indisponivel = int(sat::RespostaSat::Tipo::Indisponivel);
    QTest::newRow("carga de tipo desconhecido")
        << QByteArray("carga=ilegivel") << ilegivelNaCarga << 0 << QString() << false;
    QTest::newRow("carga sem nada") << QByteArray("carga=vazio") << ilegivelNaCarga << 0 << QString()
                                    << false;
    QTest::newRow("chamada de tipo desconhecido")
        << QByteArray("chamada=ilegivel") << QString() << interrompida << ilegivel << false;
    QTest::newRow("chamada sem nada")
        << QByteArray("chamada=vazio") << QString() << interrompida << ilegivel << false;
    QTest::newRow("recusa com sobra")
        << QByteArray("chamada=E+") << QString() << interrompida << ilegivel << false;
    QTest::newRow("pedido inválido") << QByteArray("chamada=E") << QString() << indisponivel << recusada
                                     << true;
    QTest::newRow("sem a função") << QByteArray("chamada=S") << QString() << indisponivel << recusada << true;
    QTest::newRow("argumentos errados")
        << QByteArray("chamada=A") << QString() << indisponivel << recusada << true;
}

void TestHospedeiroLimites::respostasQueOConsoleNaoEntende() {
    QFETCH(QByteArray, modo);
    QFETCH(QString, erroDeCarga);
    QFETCH(int, tipo);
    QFETCH(QString, motivo);
    QFETCH(bool, segue);
    qputenv("HOSPEDEIRO_FALSO", modo);
    sat::ExecutorRemoto executor(QStringLiteral(HOSPEDEIRO_FALSO));
    QString erro;
    const bool carregada = executor.carregar(QStringLiteral(SATTESTE_FALHA), erro);
    if (!erroDeCarga.isEmpty()) {
        QVERIFY(!carregada);
        QCOMPARE(erro, erroDeCarga);
        QVERIFY(!executor.vinculada());
        QTRY_COMPARE(executor.processoDoHospedeiro(), 0);
        return;
    }
    QVERIFY2(carregada, qPrintable(erro));
    const qint64 pid = executor.processoDoHospedeiro();
    const sat::RespostaSat r = executor.chamar(consulta(3));
    QCOMPARE(int(r.tipo), tipo);
    QCOMPARE(r.motivo, motivo);
    QVERIFY(r.bytes.isEmpty());
    if (segue)
        QCOMPARE(executor.processoDoHospedeiro(), pid);
    else
        QTRY_COMPARE(executor.processoDoHospedeiro(), 0);
}

QTEST_GUILESS_MAIN(TestHospedeiroLimites)
#include "tst_hospedeiro_limites.moc"
