// ativacao-sat-cli, run as a script runs it: the real program, beside the emulated device
// (SAT_x64.DLL in its folder) and the library helper, in a fresh device state each time.
// A whole device life, the exit statuses, the code that never shows in a process list, a
// library that stops or never answers.

#include <QDir>
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
    void tempoLimiteAbandonaAChamada();
    void ajudaDeCadaSubcomando();

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
    linha("subcomando desconhecido", {"ligar"}, false, 2, "Subcomando desconhecido: \"ligar\"");
    linha("opção desconhecida", {"status", "--cor"}, false, 2, "Opção desconhecida: cor.");
    linha("código na linha de comando", {"status", "12345678"}, false, 2, "Argumento inesperado: \"12345678\"");
    linha("sem código e sem terminal", {"status"}, true, 2, "O Código de Ativação do SAT não foi informado");
    linha("arquivo de código ilegível", {"status", "--arquivo-codigo", "/nao/existe"}, true, 2,
          "Não foi possível ler o Código de Ativação do SAT");
    linha("código curto no status", {"status"}, false, 2, "Novo código de ativação deve ter no mínimo 8");
    linha("CNPJ inválido", {"ativar", "--cnpj", "11222333000182", "--uf", "SP"}, false, 2, "CNPJ inválido.");
    linha("UF desconhecida", {"ativar", "--cnpj", "11222333000181", "--uf", "XX"}, false, 2, "UF inválida.");
    linha("certificado desconhecido", {"ativar", "--certificado", "outro"}, false, 2,
          "Tipo de Certificado desconhecido");
    linha("associação sem assinatura",
          {"associar", "--cnpj-contribuinte", "11222333000181", "--cnpj-software-house", "11444777000161"}, false, 2,
          "O campo \"Assinatura da Aplic. Comercial\" deve ser preenchido!");
    linha("sessão sem número", {"sessao"}, false, 2, "Informe --numero SESSAO ou --fiscal");
    linha("sessão que não é número", {"sessao", "--numero", "12a"}, false, 2,
          "Número de sessão consultada inválida: \"12a\"");
    linha("desativar sem confirmar", {"desativar"}, false, 2, "Atenção:\nVerifique se após finalizar");
    linha("tempo-limite zero", {"consultar", "--tempo-limite", "0"}, false, 2, "--tempo-limite");
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
    if (QString::fromUtf8(QTest::currentDataTag()) == u"código curto no status")
        ambiente.insert(QStringLiteral("SAT_CODIGO_ATIVACAO"), QStringLiteral(" 1234567 "));
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

void TestCli::tempoLimiteAbandonaAChamada() {
    const Resultado r = rodar({"consultar", "--tempo-limite", "1", "--biblioteca", SATTESTE_FALHA},
                              {{"SATTESTE_FALHA", QStringLiteral("ConsultarSAT=dorme")}});
    QCOMPARE(r.saida, 4);
    QVERIFY2(r.erroPadrao.contains(QStringLiteral("A chamada foi abandonada após 1 segundos")),
             qPrintable(r.erroPadrao));
}

void TestCli::ajudaDeCadaSubcomando() {
    const Resultado geral = rodar({"--help"});
    QCOMPARE(geral.saida, 0);
    const QStringList subcomandos{"consultar", "status",  "ativar",   "trocar-codigo", "associar",
                                  "rede",      "teste",   "sessao",   "logs",          "bloquear",
                                  "desbloquear", "desativar", "atualizar"};
    for (const QString& s : subcomandos) {
        QVERIFY2(geral.saidaPadrao.contains(QStringLiteral("  ") + s + u' '), qPrintable(s));
        const Resultado r = rodar({s, "--help"});
        QCOMPARE(r.saida, 0);
        QVERIFY2(r.saidaPadrao.startsWith(QStringLiteral("Uso: ")), qPrintable(r.saidaPadrao));
        QVERIFY2(r.saidaPadrao.contains(QStringLiteral("--json")), qPrintable(s));
    }
    // In the words of the window's labels.
    QVERIFY(rodar({"ativar", "--help"}).saidaPadrao.contains(QStringLiteral("CNPJ do Contribuinte")));
    QVERIFY(rodar({"trocar-codigo", "--help"}).saidaPadrao.contains(QStringLiteral("Cód. de emergência")));
    QVERIFY(rodar({"logs", "--help"}).saidaPadrao.contains(QStringLiteral("SuperLog")));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
