// ativacao-sat-cli, run as a script runs it: the real program, beside the emulated device
// (SAT_x64.DLL in its folder) and the library helper, in a fresh device state each time.
// A whole device life, the exit statuses, the code that never shows in a process list, a
// library that stops or never answers.

#include "../support/autoridadeteste.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

const QString codigo = QStringLiteral("c0d1g0-S3cr3t0");

struct Resultado {
    int saida = -1;
    QString saidaPadrao;
    QString erroPadrao;
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void init();

    void vidaDoDispositivo();
    void statusDeSaida_data();
    void statusDeSaida();
    void codigoNuncaNaLinhaDeComando_data();
    void codigoNuncaNaLinhaDeComando();
    void codigoDigitadoSemEco();
    void bibliotecaQueParaDuranteAChamada();
    void tempoLimite_data();
    void tempoLimite();
    void statusJsonSemDatas();
    void metricas();
    void metricasQueFalham_data();
    void metricasQueFalham();
    void metricasUmaPorVez();
    void icpBrasilDoInicioAoFim();
    void renovacaoIcpBrasilNumSatAtivado();

private:
    // The program with `argumentos`, the device's state in this test's folder and the
    // code in the environment unless `ambiente` says otherwise.
    Resultado rodar(const QStringList& argumentos, const QMap<QString, QString>& ambiente = {}) const {
        QProcess processo;
        processo.setProcessEnvironment(ambienteDe(ambiente));
        processo.start(QStringLiteral(CLI_PROGRAMA), argumentos);
        processo.closeWriteChannel(); // no terminal: the code is never asked for
        if (!processo.waitForFinished(60000))
            qFatal("the command line did not end");
        // Lines end as the system's console programs end them: CR LF on Windows.
        const auto texto = [](const QByteArray& bytes) {
            return QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        };
        return {processo.exitStatus() == QProcess::NormalExit ? processo.exitCode() : -1,
                texto(processo.readAllStandardOutput()), texto(processo.readAllStandardError())};
    }
    QProcessEnvironment ambienteDe(const QMap<QString, QString>& ambiente) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SATEMU_HOME"), estado_->path());
        env.insert(QStringLiteral("SAT_CODIGO_ATIVACAO"), codigo);
        for (auto v = ambiente.cbegin(); v != ambiente.cend(); ++v) {
            if (v.value().isNull())
                env.remove(v.key());
            else
                env.insert(v.key(), v.value());
        }
        return env;
    }
    QJsonObject json(const Resultado& r) const {
        QJsonParseError erro;
        const QJsonDocument doc = QJsonDocument::fromJson(r.saidaPadrao.toUtf8(), &erro);
        if (erro.error != QJsonParseError::NoError || !doc.isObject())
            qWarning("not a JSON object (%s): %s", qPrintable(erro.errorString()), qPrintable(r.saidaPadrao));
        return doc.object();
    }
    void ativar() const {
        const Resultado r = rodar({"ativar", "--cnpj", "11.222.333/0001-81", "--uf", "SP"});
        QVERIFY2(r.saida == 0, qPrintable(r.erroPadrao));
    }
    void escreverFalhas(const QByteArray& linhas) const {
        QFile arquivo(QDir(estado_->path()).filePath(QStringLiteral("satemu-faults.conf")));
        QVERIFY(arquivo.open(QIODevice::WriteOnly));
        arquivo.write(linhas);
    }

    // How many calls of `funcao` the device has in its log.
    qsizetype chamadasNoLog(const QString& funcao) const {
        const QByteArray estado =
            autoridadeteste::ler(QDir(estado_->path()).filePath(QStringLiteral("satemu-state.txt")));
        return estado.count((funcao + QStringLiteral(": ")).toUtf8());
    }
    // The device's last SuperLog section says which certificate it runs on.
    void certificadoNoSuperLog(const char* tipo) const {
        const Resultado r = rodar({"logs", "--superlog"});
        QCOMPARE(r.saida, 0);
        QVERIFY2(r.saidaPadrao.contains(QStringLiteral("Certificado ............ %1 valido de").arg(QLatin1String(tipo))),
                 qPrintable(r.saidaPadrao));
    }

    std::unique_ptr<QTemporaryDir> estado_;
};

void TestCli::init() {
    estado_ = std::make_unique<QTemporaryDir>();
    QVERIFY(estado_->isValid());
}

void TestCli::vidaDoDispositivo() {
    Resultado r = rodar({"consultar"});
    QCOMPARE(r.saida, 0);
#if defined(Q_OS_WIN)
    // satemu names itself in its version resource: the consult says who answered.
    QCOMPARE(r.saidaPadrao, QStringLiteral("SAT em operação\nAtenção: quem responde é o SAT EMULADO (satemu), não um "
                                           "equipamento SAT.\n"));
    QCOMPARE(json(rodar({"consultar", "--json"})).value("emulado"), QJsonValue(true));
#else
    // ELF files carry no product name: nothing tells satemu from a maker's library.
    QCOMPARE(r.saidaPadrao, QStringLiteral("SAT em operação\n"));
#endif
    // A maker's library (another product name): not a word added.
    const Resultado doFabricante = rodar({"consultar", "--biblioteca", SATTESTE_COMPLETA});
    QCOMPARE(doFabricante.saida, 0);
    QCOMPARE(doFabricante.saidaPadrao, QStringLiteral("SAT em operação\n"));
    QVERIFY(!json(rodar({"consultar", "--json", "--biblioteca", SATTESTE_COMPLETA})).contains("emulado"));

    r = rodar({"ativar", "--cnpj", "11.222.333/0001-81", "--uf", "SP"});
    QCOMPARE(r.saida, 0);
    QCOMPARE(r.saidaPadrao, QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial.\n"));

    // The signature from a file, as the association page reads one.
    r = rodar({"associar", "--cnpj-contribuinte", "11222333000181", "--cnpj-software-house", "11444777000161",
               "--arquivo-assinatura", QStringLiteral(ASSINATURA_TESTE)});
    QCOMPARE(r.saida, 0);
    QCOMPARE(r.saidaPadrao, QStringLiteral("13000: Assinatura do AC Registrada\n"));

    // The network: ConfRede.xml written where asked, the device's refusal with status 1.
    QTemporaryDir saida;
    const QStringList rede{"rede", "--tipo-lan", "IPFIX", "--ip", "192.168.15.20", "--mascara", "255.255.255.0",
                           "--dns1", "192.168.15.1", "--saida", saida.path()};
    r = rodar(rede + QStringList{"--gateway", "10.0.0.1"});
    QCOMPARE(r.saida, 1);
    QVERIFY2(r.saidaPadrao.startsWith(QStringLiteral("12002: Dados fora do padrão")), qPrintable(r.saidaPadrao));
    r = rodar(rede + QStringList{"--gateway", "192.168.15.1"});
    QCOMPARE(r.saida, 0);
    QCOMPARE(r.saidaPadrao, QStringLiteral("12000: Rede Configurada\n"));
    QFile confRede(QDir(saida.path()).filePath(QStringLiteral("ConfRede.xml")));
    QVERIFY(confRede.open(QIODevice::ReadOnly));
    QVERIFY(confRede.readAll().contains("<lanIP>192.168.15.20</lanIP><lanMask>255.255.255.0</lanMask>"));

    // Both end-to-end tests; the CF-e in CFe.xml and in the JSON.
    r = rodar({"teste", "--cnpj-contribuinte", "11222333000181", "--saida", saida.path()});
    QCOMPARE(r.saida, 0);
    QVERIFY(r.saidaPadrao.startsWith(QStringLiteral("09000: Emitido com sucesso\n<?xml")));
    QFile cfe(QDir(saida.path()).filePath(QStringLiteral("CFe.xml")));
    QVERIFY(cfe.open(QIODevice::ReadOnly));
    QVERIFY(cfe.readAll().contains("<infCFe Id=\"CFe"));
    r = rodar({"teste", "--producao", "--json", "--cnpj-contribuinte", "11222333000181", "--ie", "111222333444",
               "--cnpj-software-house", "11444777000161", "--arquivo-assinatura", QStringLiteral(ASSINATURA_TESTE)});
    QCOMPARE(r.saida, 0);
    const QJsonObject teste = json(r);
    QCOMPARE(teste.value("codigo").toString(), QStringLiteral("09000"));
    QVERIFY(teste.value("cfe").toString().contains(QStringLiteral("<CNPJ>11444777000161</CNPJ>")));
    const QString sessaoDoTeste = teste.value("sessao").toString();
    QCOMPARE(sessaoDoTeste.size(), 6);

    // The status as a program reads it.
    r = rodar({"status", "--json"});
    QCOMPARE(r.saida, 0);
    const QJsonObject status = json(r);
    QCOMPARE(status.value("codigo").toString(), QStringLiteral("10000"));
    QCOMPARE(status.value("mensagem").toString(), QStringLiteral("Resposta com Sucesso."));
    QCOMPARE(status.value("saida").toInt(), 0);
    QVERIFY(status.value("sefaz").isNull());
    QCOMPARE(status.value("campos").toArray().size(), 28);
    const QJsonObject campos = status.value("status").toObject();
    QCOMPARE(campos.value("LAN_IP").toString(), QStringLiteral("192.168.015.020"));
    QCOMPARE(campos.value("MT_TOTAL").toDouble(), 4.0 * 1024 * 1024 * 1024);
    QVERIFY(campos.value("MT_USADA").isDouble());
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}$"))
                .match(campos.value("DH_ATUAL").toString())
                .hasMatch());
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"))
                .match(campos.value("CERT_VENCIMENTO").toString())
                .hasMatch());
    QCOMPARE(campos.value("ESTADO_OPERACAO").toString(), QStringLiteral("DESBLOQUEADO"));
    // And as the page shows it.
    r = rodar({"status"});
    QVERIFY(r.saidaPadrao.contains(QStringLiteral(" LAN_IP ........... 192.168.015.020\n")));

    // The session of the production test, and the last fiscal session (none yet).
    r = rodar({"sessao", "--numero", sessaoDoTeste});
    QCOMPARE(r.saida, 0);
    QVERIFY2(r.saidaPadrao.startsWith(sessaoDoTeste + QStringLiteral("|09000|")), qPrintable(r.saidaPadrao));
    r = rodar({"sessao", "--fiscal"});
    QCOMPARE(r.saida, 1);
    QVERIFY(r.saidaPadrao.startsWith(QStringLiteral("19003: ")));

    // The log: the SuperLog section on standard output, the whole log into a file.
    r = rodar({"logs", "--superlog"});
    QCOMPARE(r.saida, 0);
    QVERIFY(r.saidaPadrao.contains(QStringLiteral("SuperLog")));
    QVERIFY(r.saidaPadrao.contains(QStringLiteral("CNPJ Software House 11444777000161")));
    const QString arquivoDoLog = QDir(saida.path()).filePath(QStringLiteral("sat.log"));
    r = rodar({"logs", "--arquivo", arquivoDoLog});
    QCOMPARE(r.saida, 0);
    QVERIFY(r.saidaPadrao.isEmpty());
    QFile log(arquivoDoLog);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray bytesDoLog = log.readAll();
    QVERIFY(bytesDoLog.endsWith(QByteArray(54, '-') + "\r\n"));
    QVERIFY(!bytesDoLog.contains(codigo.toUtf8()));

    // Block, a second block refused, unblock, update.
    r = rodar({"bloquear"});
    QCOMPARE(r.saida, 0);
    QCOMPARE(r.saidaPadrao, QStringLiteral("16000: Equipamento SAT bloqueado com sucesso.\n"));
    r = rodar({"bloquear", "--json"});
    QCOMPARE(r.saida, 1);
    QCOMPARE(json(r).value("codigo").toString(), QStringLiteral("16003"));
    QCOMPARE(rodar({"desbloquear"}).saida, 0);
    r = rodar({"atualizar"});
    QCOMPARE(r.saida, 0);
    QCOMPARE(r.saidaPadrao, QStringLiteral("14000: Software atualizado com sucesso\n"));

    // The code changed; the old one is refused from then on.
    r = rodar({"trocar-codigo"}, {{"SAT_NOVO_CODIGO_ATIVACAO", QStringLiteral("novo-codigo-9")}});
    QCOMPARE(r.saida, 0);
    QVERIFY2(r.saidaPadrao.startsWith(QStringLiteral("18000: ")), qPrintable(r.saidaPadrao));
    QCOMPARE(rodar({"status"}).saida, 1);
    QCOMPARE(rodar({"status"}, {{"SAT_CODIGO_ATIVACAO", QStringLiteral("novo-codigo-9")}}).saida, 0);

    // The deactivation, confirmed: the device is blocked for good.
    r = rodar({"desativar", "--confirmar"}, {{"SAT_CODIGO_ATIVACAO", QStringLiteral("novo-codigo-9")}});
    QCOMPARE(r.saida, 0);
    QVERIFY2(r.saidaPadrao.startsWith(QStringLiteral("16000: ")), qPrintable(r.saidaPadrao));
}

void TestCli::statusDeSaida_data() {
    QTest::addColumn<QStringList>("argumentos");
    QTest::addColumn<bool>("semCodigo"); // the code's variable removed from the environment
    QTest::addColumn<int>("saida");
    QTest::addColumn<QString>("erro"); // what standard error starts with; "": nothing there

    const auto linha = [](const char* nome, QStringList args, bool semCodigo, int saida, const char* erro) {
        QTest::newRow(nome) << args << semCodigo << saida << QString::fromUtf8(erro);
    };
    linha("sem subcomando", {}, false, 2, "Uso: ");
    linha("código na linha de comando", {"status", "12345678"}, false, 2, "Argumento inesperado: \"12345678\"");
    linha("sem código e sem terminal", {"status"}, true, 2, "O Código de Ativação do SAT não foi informado");
    linha("biblioteca que não existe", {"consultar", "--biblioteca", "/nao/existe/SAT.DLL"}, false, 3,
          "Erro: DLL não foi encotrada");
    linha("arquivo que não é biblioteca", {"consultar", "--biblioteca", CLI_PROGRAMA_FONTE}, false, 3,
          "Erro ao carregar a DLL: ");
    linha("biblioteca sem a função", {"consultar", "--biblioteca", SATTESTE_PARCIAL}, false, 0, "");
    linha("função que falta", {"status", "--biblioteca", SATTESTE_PARCIAL}, false, 3,
          "A biblioteca SAT carregada não possui a função ConsultarStatusOperacional.");
    linha("resposta nula", {"consultar", "--biblioteca", SATTESTE_NULA}, false, 4,
          "A biblioteca SAT não devolveu resposta à função ConsultarSAT.");
    linha("não ativado", {"status"}, false, 1, "");
}

void TestCli::statusDeSaida() {
    QFETCH(QStringList, argumentos);
    QFETCH(bool, semCodigo);
    QFETCH(int, saida);
    QFETCH(QString, erro);
    QMap<QString, QString> ambiente;
    if (semCodigo)
        ambiente.insert(QStringLiteral("SAT_CODIGO_ATIVACAO"), QString());
    const Resultado r = rodar(argumentos, ambiente);
    QCOMPARE(r.saida, saida);
    QVERIFY2(erro.isEmpty() ? r.erroPadrao.isEmpty() : r.erroPadrao.startsWith(erro), qPrintable(r.erroPadrao));
    if (saida == 2 || saida == 3)
        QVERIFY(r.saidaPadrao.isEmpty() || r.saidaPadrao.startsWith(QStringLiteral("Uso: ")));
    // Nothing was sent after a usage or check error: the device saw no call.
    if (saida == 2)
        QVERIFY(!QFile::exists(QDir(estado_->path()).filePath(QStringLiteral("satemu-state.txt"))));
}

void TestCli::codigoNuncaNaLinhaDeComando_data() {
    QTest::addColumn<bool>("porArquivo");
    QTest::newRow("da variável de ambiente") << false;
    QTest::newRow("de um arquivo") << true;
}

void TestCli::codigoNuncaNaLinhaDeComando() {
#ifndef Q_OS_LINUX
    QSKIP("reads the process list from /proc");
#else
    QFETCH(bool, porArquivo);
    ativar();
    // A slow status report, to look at the processes while the call is out (the helper
    // lives on until the program ends; on a busy machine it may take seconds to start).
    escreverFalhas("delay_ms.ConsultarStatusOperacional=5000\n");
    QStringList argumentos{"status"};
    QMap<QString, QString> ambiente;
    if (porArquivo) {
        const QString arquivo = QDir(estado_->path()).filePath(QStringLiteral("codigo.txt"));
        QFile f(arquivo);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(codigo.toUtf8() + "\n");
        f.close();
        argumentos << QStringLiteral("--arquivo-codigo") << arquivo;
        ambiente.insert(QStringLiteral("SAT_CODIGO_ATIVACAO"), QString());
    }
    QProcess processo;
    processo.setProcessEnvironment(ambienteDe(ambiente));
    processo.start(QStringLiteral(CLI_PROGRAMA), argumentos);
    QVERIFY(processo.waitForStarted());
    const auto linhaDeComando = [](qint64 pid) {
        QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    // The program, and every child of it until its helper is up (a child may be seen
    // between its start and the helper's own command line).
    QByteArrayList vistas{linhaDeComando(processo.processId())};
    bool hospedeiro = false;
    for (int i = 0; i < 750 && !hospedeiro; ++i) {
        QThread::msleep(20);
        for (const QString& entrada : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entrada));
            if (!stat.open(QIODevice::ReadOnly) ||
                stat.readAll().split(' ').value(3) != QByteArray::number(processo.processId()))
                continue;
            vistas.append(linhaDeComando(entrada.toLongLong()));
            hospedeiro = hospedeiro || vistas.last().contains("sat-host");
        }
    }
    QVERIFY(hospedeiro);
    QVERIFY(vistas.first().contains("ativacao-sat-cli"));
    for (const QByteArray& vista : vistas)
        QVERIFY2(!vista.contains(codigo.toUtf8()), vista.constData());
    QVERIFY(processo.waitForFinished(30000));
    QCOMPARE(processo.exitCode(), 0);
#endif
}

void TestCli::codigoDigitadoSemEco() {
#ifndef Q_OS_LINUX
    QSKIP("drives a pseudo-terminal");
#else
    // A terminal of the test's own: the program reads the code from it, twice for an
    // activation, and the terminal shows the questions but never the code.
    const int mestre = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(mestre >= 0 && grantpt(mestre) == 0 && unlockpt(mestre) == 0);
    // The terminal's mode as the user left it, to compare with what the program leaves.
    const int escravo = ::open(ptsname(mestre), O_RDWR | O_NOCTTY);
    QVERIFY(escravo >= 0);
    termios antes{};
    QCOMPARE(tcgetattr(escravo, &antes), 0);
    QVERIFY(antes.c_lflag & ECHO);
    QProcess processo;
    processo.setProcessEnvironment(ambienteDe({{"SAT_CODIGO_ATIVACAO", QString()}}));
    processo.setStandardInputFile(QString::fromLatin1(ptsname(mestre)));
    processo.start(QStringLiteral(CLI_PROGRAMA), {"ativar", "--cnpj", "11222333000181", "--uf", "SP"});
    QVERIFY(processo.waitForStarted());
    QString perguntas;
    const auto responderA = [&](const QString& pergunta) {
        QTRY_VERIFY_WITH_TIMEOUT((perguntas += QString::fromUtf8(processo.readAllStandardError())).endsWith(pergunta),
                                 20000);
        const QByteArray linha = codigo.toUtf8() + '\n';
        QCOMPARE(::write(mestre, linha.constData(), static_cast<std::size_t>(linha.size())), linha.size());
    };
    responderA(QStringLiteral("Digite o Código de Ativação do SAT: "));
    responderA(QStringLiteral("Digite novamente o Código de Ativação do SAT: "));
    QVERIFY(processo.waitForFinished(30000));
    QCOMPARE(processo.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(processo.readAllStandardOutput()),
             QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial.\n"));
    // What the terminal showed: nothing of the code.
    QByteArray mostrado(4096, '\0');
    fcntl(mestre, F_SETFL, O_NONBLOCK);
    const ssize_t lidos = ::read(mestre, mostrado.data(), static_cast<std::size_t>(mostrado.size()));
    mostrado.truncate(lidos > 0 ? lidos : 0);
    QVERIFY2(!mostrado.contains(codigo.toUtf8()), mostrado.constData());
    // The echo is back on, and the rest of the mode as it was.
    termios depois{};
    QCOMPARE(tcgetattr(escravo, &depois), 0);
    QCOMPARE(depois.c_lflag, antes.c_lflag);
    QCOMPARE(depois.c_iflag, antes.c_iflag);
    QCOMPARE(depois.c_oflag, antes.c_oflag);
    ::close(escravo);
    ::close(mestre);
    // And the device was activated with it.
    QCOMPARE(rodar({"status"}).saida, 0);
#endif
}

void TestCli::bibliotecaQueParaDuranteAChamada() {
    const Resultado r = rodar({"consultar", "--json", "--biblioteca", SATTESTE_FALHA},
                              {{"SATTESTE_FALHA", QStringLiteral("ConsultarSAT=segv")}});
    QCOMPARE(r.saida, 4);
    // (A sanitizer built helper says its own words about the signal first.)
    QVERIFY2(r.erroPadrao.contains(QStringLiteral("A biblioteca SAT parou durante a função ConsultarSAT")),
             qPrintable(r.erroPadrao));
    QCOMPARE(json(r).value("saida").toInt(), 4);
}

void TestCli::tempoLimite_data() {
    QTest::addColumn<QString>("biblioteca"); // "": the emulated device beside the program
    QTest::addColumn<QByteArray>("falha");   // of the test library, or the device's faults file
    QTest::addColumn<QString>("limite");     // --tempo-limite, in seconds
    QTest::addColumn<int>("saida");
    QTest::addColumn<bool>("abandonada");
    QTest::addColumn<QString>("aviso"); // the limit as the message gives it

    QTest::newRow("chamada que nunca volta") << QStringLiteral(SATTESTE_FALHA) << QByteArray("ConsultarSAT=dorme")
                                             << QStringLiteral("1") << 4 << true << QStringLiteral("1 segundo");
    // Seconds, not milliseconds: a slow call that ends within the limit is answered.
    QTest::newRow("chamada lenta dentro do limite") << QString() << QByteArray("delay_ms.ConsultarSAT=1500\n")
                                                    << QStringLiteral("8") << 0 << false << QString();
    QTest::newRow("chamada lenta além do limite") << QString() << QByteArray("delay_ms.ConsultarSAT=6000\n")
                                                  << QStringLiteral("2") << 4 << true << QStringLiteral("2 segundos");
}

void TestCli::tempoLimite() {
    QFETCH(QString, biblioteca);
    QFETCH(QByteArray, falha);
    QFETCH(QString, limite);
    QFETCH(int, saida);
    QFETCH(bool, abandonada);
    QFETCH(QString, aviso);
    QStringList argumentos{"consultar", "--tempo-limite", limite};
    QMap<QString, QString> ambiente;
    if (biblioteca.isEmpty()) {
        escreverFalhas(falha);
    } else {
        argumentos << QStringLiteral("--biblioteca") << biblioteca;
        ambiente.insert(QStringLiteral("SATTESTE_FALHA"), QString::fromLatin1(falha));
    }
    const Resultado r = rodar(argumentos, ambiente);
    QCOMPARE(r.saida, saida);
    QVERIFY2(r.erroPadrao.contains(QStringLiteral("A chamada foi abandonada")) == abandonada,
             qPrintable(r.erroPadrao));
    if (abandonada)
        QVERIFY2(r.erroPadrao.contains(QStringLiteral("A chamada foi abandonada após %1 (--tempo-limite).").arg(aviso)),
                 qPrintable(r.erroPadrao));
    // The consult's first line (on Windows satemu names itself on the next one).
    if (saida == 0)
        QCOMPARE(r.saidaPadrao.section(u'\n', 0, 0), QStringLiteral("SAT em operação"));
}

void TestCli::statusJsonSemDatas() {
    ativar();
    // Before the first CF-e the device sends DH_CFe as zeros: no date, not a text of zeros.
    const Resultado r = rodar({"status", "--json"});
    QCOMPARE(r.saida, 0);
    const QJsonObject status = json(r).value("status").toObject();
    QVERIFY(status.contains("DH_CFe"));
    QVERIFY2(status.value("DH_CFe").isNull(), qPrintable(r.saidaPadrao));
    QCOMPARE(json(r).value("campos").toArray().at(23).toString(), QString(14, u'0'));
    QVERIFY(status.value("DH_ULTIMA").isString());
}

namespace {

// The samples of a Prometheus text file by series, as written.
QMap<QString, QString> amostras(const QString& arquivo) {
    QFile f(arquivo);
    QMap<QString, QString> lidas;
    if (!f.open(QIODevice::ReadOnly))
        return lidas;
    for (const QString& linha : QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts))
        if (!linha.startsWith(u'#'))
            lidas.insert(linha.section(u' ', 0, -2), linha.section(u' ', -1));
    return lidas;
}

} // namespace

void TestCli::metricas() {
    ativar();
    // The collector's folder, with blanks, accents and characters outside Windows-1252.
    const QString pasta = QDir(estado_->path()).filePath(QStringLiteral("textfile ção 日本"));
    QVERIFY(QDir().mkpath(pasta));
    const QString arquivo = QDir(pasta).filePath(QStringLiteral("sat.prom"));
    const QString trava = QDir(estado_->path()).filePath(QStringLiteral("métricas.lock"));
    Resultado r = rodar({"metricas", "--saida", arquivo, "--trava", trava});
    QVERIFY2(r.saida == 0, qPrintable(r.erroPadrao));
    QVERIFY(r.saidaPadrao.isEmpty());
    QMap<QString, QString> a = amostras(arquivo);
    QCOMPARE(a.value("sat_reading_success"), QStringLiteral("1"));
    QCOMPARE(a.value("sat_device_info{serial=\"900004019\",software_version=\"01.05.00\",layout_version=\"00.08\"}"),
             QStringLiteral("1"));
    const QString boa = a.value("sat_last_success_timestamp_seconds");
    QVERIFY(!boa.isEmpty());
    // Only the file is left in the folder, and the lock is gone.
    QCOMPARE(QDir(pasta).entryList(QDir::Files | QDir::Hidden), QStringList{"sat.prom"});
    QVERIFY(!QFile::exists(trava));

    // A refused code: the file says so, with the device's code, and keeps the time of
    // the good reading before.
    QThread::sleep(1);
    r = rodar({"metricas", "--saida", arquivo, "--trava", trava}, {{"SAT_CODIGO_ATIVACAO", "outro-codigo"}});
    QCOMPARE(r.saida, 1);
    QVERIFY2(r.erroPadrao.contains(QStringLiteral("o SAT recusou o status (10001)")), qPrintable(r.erroPadrao));
    a = amostras(arquivo);
    QCOMPARE(a.value("sat_reading_success{failure=\"refused\",code=\"10001\"}"), QStringLiteral("0"));
    QCOMPARE(a.value("sat_last_success_timestamp_seconds"), boa);
    QVERIFY(a.value("sat_reading_timestamp_seconds").toLongLong() > boa.toLongLong());
    QVERIFY(!a.contains("sat_memory_total_bytes"));

    // Busy twice, then the status: read, the waits counted.
    escreverFalhas("code=098\ncode_count=2\n");
    r = rodar({"metricas", "--saida", arquivo, "--trava", trava, "--intervalo", "0.2"});
    QVERIFY2(r.saida == 0, qPrintable(r.erroPadrao));
    a = amostras(arquivo);
    QCOMPARE(a.value("sat_reading_success"), QStringLiteral("1"));
    QCOMPARE(a.value("sat_reading_busy_answers"), QStringLiteral("2"));
    QVERIFY(a.value("sat_reading_duration_seconds").toDouble() >= 0.4);

    // To standard output without --saida, and in the JSON with --json.
    r = rodar({"metricas", "--trava", trava});
    QCOMPARE(r.saida, 0);
    QVERIFY(r.saidaPadrao.contains(QStringLiteral("\nsat_reading_success 1\n")));
    r = rodar({"metricas", "--trava", trava, "--json"});
    QCOMPARE(json(r).value("sucesso").toBool(), true);
    QVERIFY(json(r).value("metricas").toString().contains(QStringLiteral("sat_memory_total_bytes 4294967296\n")));
}

void TestCli::metricasQueFalham_data() {
    QTest::addColumn<QStringList>("argumentos");
    QTest::addColumn<QString>("ambiente"); // NOME=valor, or ""
    QTest::addColumn<QByteArray>("falhas"); // satemu's fault file
    QTest::addColumn<int>("saida");
    QTest::addColumn<QString>("amostra"); // the success sample expected in the file

    QTest::newRow("ocupado em todas as tentativas")
        << QStringList{"--tentativas", "3", "--intervalo", "0.1"} << "" << QByteArray("code=098\n") << 4
        << "sat_reading_success{failure=\"busy\",code=\"08098\"}";
    QTest::newRow("sem código") << QStringList{} << "SAT_CODIGO_ATIVACAO=" << QByteArray() << 2
                                << "sat_reading_success{failure=\"configuration\"}";
    QTest::newRow("biblioteca que não existe") << QStringList{"--biblioteca", "/nao/existe/SAT.DLL"} << ""
                                               << QByteArray() << 3 << "sat_reading_success{failure=\"no_library\"}";
    QTest::newRow("biblioteca sem o status") << QStringList{"--biblioteca", SATTESTE_PARCIAL} << "" << QByteArray() << 3
                                             << "sat_reading_success{failure=\"no_library\"}";
    QTest::newRow("resposta nula") << QStringList{"--biblioteca", SATTESTE_NULA} << "" << QByteArray() << 4
                                   << "sat_reading_success{failure=\"no_answer\"}";
    QTest::newRow("a biblioteca para no status")
        << QStringList{"--biblioteca", SATTESTE_FALHA} << "SATTESTE_FALHA=ConsultarStatusOperacional=segv"
        << QByteArray() << 4 << "sat_reading_success{failure=\"crashed\"}";
    QTest::newRow("tempo esgotado") << QStringList{"--biblioteca", SATTESTE_FALHA, "--tempo-limite", "1"}
                                    << "SATTESTE_FALHA=ConsultarSAT=dorme" << QByteArray() << 4
                                    << "sat_reading_success{failure=\"timeout\"}";
}

void TestCli::metricasQueFalham() {
    QFETCH(QStringList, argumentos);
    QFETCH(QString, ambiente);
    QFETCH(QByteArray, falhas);
    QFETCH(int, saida);
    QFETCH(QString, amostra);
    ativar();
    if (!falhas.isEmpty())
        escreverFalhas(falhas);
    QMap<QString, QString> variaveis;
    if (!ambiente.isEmpty())
        variaveis.insert(ambiente.section(u'=', 0, 0), ambiente.section(u'=', 1));
    const QString arquivo = QDir(estado_->path()).filePath(QStringLiteral("sat.prom"));
    const Resultado r =
        rodar(QStringList{"metricas", "--saida", arquivo, "--trava", estado_->filePath("lock")} + argumentos, variaveis);
    QCOMPARE(r.saida, saida);
    // A valid file that says why, with nothing of the device.
    const QMap<QString, QString> a = amostras(arquivo);
    QVERIFY2(a.value(amostra) == u"0", qPrintable(QStringList(a.keys()).join(u'\n') + u'\n' + r.erroPadrao));
    QVERIFY(a.contains("sat_reading_timestamp_seconds"));
    QVERIFY(!a.contains("sat_last_success_timestamp_seconds"));
    QVERIFY(!a.contains("sat_certificate_expiry_timestamp_seconds"));
}

void TestCli::metricasUmaPorVez() {
    ativar();
    // Slow enough that the second run, started and ended meanwhile, meets it on a busy machine.
    escreverFalhas("delay_ms.ConsultarStatusOperacional=8000\n");
    const QString trava = estado_->filePath(QStringLiteral("lock"));
    const QString primeiroArquivo = estado_->filePath(QStringLiteral("primeira.prom"));
    QProcess primeira;
    primeira.setProcessEnvironment(ambienteDe({}));
    primeira.start(QStringLiteral(CLI_PROGRAMA), {"metricas", "--saida", primeiroArquivo, "--trava", trava});
    QVERIFY(primeira.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(trava), 20000);
    // The second gives up at once, says so, and writes nothing.
    QElapsedTimer relogio;
    relogio.start();
    const QString segundoArquivo = estado_->filePath(QStringLiteral("segunda.prom"));
    const Resultado r = rodar({"metricas", "--saida", segundoArquivo, "--trava", trava});
    QCOMPARE(r.saida, 4);
    QVERIFY2(r.erroPadrao.startsWith(QStringLiteral("Leitura não feita: outra leitura está em andamento (processo %1")
                                         .arg(primeira.processId())),
             qPrintable(r.erroPadrao));
    QVERIFY(!QFile::exists(segundoArquivo));
    QVERIFY(primeira.state() == QProcess::Running);
    QVERIFY(relogio.elapsed() < 4000); // the program's own start included
    QVERIFY(primeira.waitForFinished(30000));
    QCOMPARE(primeira.exitCode(), 0);
    QCOMPARE(amostras(primeiroArquivo).value("sat_reading_success"), QStringLiteral("1"));
}

// The files of an ICP-Brasil activation, where users keep them.
QString pastaDosCertificados() {
    return QDir::temp().filePath(QStringLiteral("Certificados ção 日本 XXXXXX"));
}

void TestCli::icpBrasilDoInicioAoFim() {
    QTemporaryDir pasta(pastaDosCertificados());
    QVERIFY(pasta.isValid());
    const QDir dir(pasta.path());
    const QString contorno = dir.filePath(QStringLiteral("contorno.der"));
    QVERIFY(autoridadeteste::gravar(contorno, autoridadeteste::contornoDeCertificado()));

    // A new device waits for no certificate.
    Resultado r = rodar({"certificado", "--arquivo", contorno});
    QCOMPARE(r.saida, 1);
    QCOMPARE(r.saidaPadrao, QStringLiteral("05003: Não há CSR ICP-BRASIL aguardando certificado\n"));

    const QString csr = dir.filePath(QStringLiteral("pedido do SAT.csr"));
    r = rodar({"ativar", "--certificado", "icp-brasil", "--cnpj", "11.222.333/0001-81", "--uf", "SP", "--csr", csr});
    QCOMPARE(r.saida, 0);
    QVERIFY2(r.saidaPadrao.startsWith(QStringLiteral("04006: CSR ICP-BRASIL criado com sucesso\nCSR gravado em \"")),
             qPrintable(r.saidaPadrao));
    QVERIFY(r.saidaPadrao.contains(QStringLiteral("ativacao-sat-cli certificado --arquivo CERTIFICADO")));
    QVERIFY(autoridadeteste::ler(csr).startsWith("-----BEGIN CERTIFICATE REQUEST-----\r\n"));
    // Not activated until its certificate comes.
    QCOMPARE(rodar({"status"}).saida, 1);

#if defined(SATEMU_REAL_CERTIFICATES)
    const autoridadeteste::Execucao lido =
        autoridadeteste::openssl({QStringLiteral("req"), QStringLiteral("-in"), csr, QStringLiteral("-verify"),
                                  QStringLiteral("-noout"), QStringLiteral("-subject")},
                                 pasta.path());
    QVERIFY2(lido.status == 0 && lido.saida.contains("verify OK") && lido.saida.contains("11222333000181"),
             lido.saida.constData());
    const autoridadeteste::Autoridade ac(pasta.path());
    QVERIFY2(ac.criada(), ac.criacao().saida.constData());
    // The device's refusals, printed: a DER that only looks like a certificate, the
    // authority's own certificate (another key), the wrong code.
    r = rodar({"certificado", "--arquivo", contorno});
    QCOMPARE(r.saida, 1);
    QVERIFY2(r.saidaPadrao.startsWith(QStringLiteral("05002: Certificado inválido: não é um certificado X.509")),
             qPrintable(r.saidaPadrao));
    r = rodar({"certificado", "--arquivo", ac.certificado()});
    QCOMPARE(r.saida, 1);
    QVERIFY2(r.saidaPadrao.contains(QStringLiteral("chave pública")), qPrintable(r.saidaPadrao));
    const QString certificado = dir.filePath(QStringLiteral("certificado do SAT.pem"));
    const autoridadeteste::Execucao assinado = ac.assinar(csr, certificado);
    QVERIFY2(assinado.status == 0, assinado.saida.constData());
    r = rodar({"certificado", "--arquivo", certificado}, {{"SAT_CODIGO_ATIVACAO", QStringLiteral("outro-codigo")}});
    QCOMPARE(r.saida, 1);
    QCOMPARE(r.saidaPadrao, QStringLiteral("05001: Código de ativação inválido\n"));
#else
    // The device's stand-in takes the outline of a certificate.
    const QString certificado = contorno;
#endif
    r = rodar({"certificado", "--arquivo", certificado});
    QCOMPARE(r.saida, 0);
    QCOMPARE(r.saidaPadrao, QStringLiteral("05000: Certificado transmitido com sucesso\n"));
    QCOMPARE(rodar({"status"}).saida, 0);
    certificadoNoSuperLog("ICP-BRASIL");
    r = rodar({"certificado", "--arquivo", certificado});
    QCOMPARE(r.saida, 1);
    QVERIFY(r.saidaPadrao.startsWith(QStringLiteral("05003: ")));
}

void TestCli::renovacaoIcpBrasilNumSatAtivado() {
    QTemporaryDir pasta(pastaDosCertificados());
    QVERIFY(pasta.isValid());
    const QDir dir(pasta.path());
    ativar();
    certificadoNoSuperLog("AC-SAT SEFAZ");

    // Without --csr the request alone on standard output, ready to be redirected.
    Resultado r =
        rodar({"ativar", "--certificado", "renovacao-icp-brasil", "--cnpj", "11222333000181", "--uf", "SP"});
    QCOMPARE(r.saida, 0);
    QVERIFY2(r.saidaPadrao.startsWith(QStringLiteral("-----BEGIN CERTIFICATE REQUEST-----\n")) &&
                 r.saidaPadrao.endsWith(QStringLiteral("\n-----END CERTIFICATE REQUEST-----\n")),
             qPrintable(r.saidaPadrao));
    QVERIFY2(r.erroPadrao.startsWith(QStringLiteral("04006: CSR ICP-BRASIL criado com sucesso\nPróximo passo:")),
             qPrintable(r.erroPadrao));
    const QString csr = dir.filePath(QStringLiteral("renovação.csr"));
    QVERIFY(autoridadeteste::gravar(csr, r.saidaPadrao.toLatin1()));
    // Still activated while the renewal waits.
    QCOMPARE(rodar({"status"}).saida, 0);

    // Refused before anything is sent: no call reaches the device.
    const qsizetype enviados = chamadasNoLog(QStringLiteral("ComunicarCertificadoICPBRASIL"));
    r = rodar({"certificado", "--arquivo", csr});
    QCOMPARE(r.saida, 2);
#if defined(SATEMU_REAL_CERTIFICATES)
    const QString recusa = QStringLiteral("O arquivo traz um pedido de certificado (CSR)");
#else
    // The stand-in's request has no PKCS#10 outline: it is not a certificate either.
    const QString recusa = QStringLiteral("O arquivo não traz um certificado X.509.");
#endif
    QVERIFY2(r.erroPadrao.startsWith(recusa), qPrintable(r.erroPadrao));
#if defined(SATEMU_REAL_CERTIFICATES)
    const autoridadeteste::Autoridade ac(pasta.path());
    QVERIFY2(ac.criada(), ac.criacao().saida.constData());
    r = rodar({"certificado", "--arquivo", ac.chavePrivada()});
    QCOMPARE(r.saida, 2);
    QVERIFY2(r.erroPadrao.startsWith(QStringLiteral("O arquivo traz uma chave privada, que nunca é enviada")),
             qPrintable(r.erroPadrao));
    QCOMPARE(chamadasNoLog(QStringLiteral("ComunicarCertificadoICPBRASIL")), enviados);
    // The authority gives DER this time.
    const QString certificado = dir.filePath(QStringLiteral("renovado.cer"));
    const autoridadeteste::Execucao assinado = ac.assinar(csr, certificado, true);
    QVERIFY2(assinado.status == 0, assinado.saida.constData());
    QVERIFY(autoridadeteste::ler(certificado).startsWith('\x30'));
#else
    QCOMPARE(chamadasNoLog(QStringLiteral("ComunicarCertificadoICPBRASIL")), enviados);
    const QString certificado = dir.filePath(QStringLiteral("contorno.der"));
    QVERIFY(autoridadeteste::gravar(certificado, autoridadeteste::contornoDeCertificado()));
#endif
    r = rodar({"certificado", "--arquivo", certificado, "--json"});
    QCOMPARE(r.saida, 0);
    QCOMPARE(json(r).value(QStringLiteral("codigo")).toString(), QStringLiteral("05000"));
    certificadoNoSuperLog("ICP-BRASIL");
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
