// ativacao-sat-cli run in this process against buffers: the parsing, every refusal made
// before anything is sent, what the answers give on standard output and in JSON, and the
// code read from a file or typed at a terminal. The library is the scripted table, so
// every call is seen with its arguments.

#include "bibliotecaroteirizada.h"
#include "cli/linhadecomando.h"

#include <deque>
#include <memory>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString codigo = QStringLiteral("c0d1g0-S3cr3t0");
const sat::FuncoesSAT tabela = roteiro::funcoes();

// The command line's streams as buffers, and a terminal that types what the test says.
class ConsoleDeTeste final : public cli::Console {
public:
    void saida(const QString& texto) override { saidaPadrao += texto; }
    void erro(const QString& texto) override { erroPadrao += texto; }
    bool entradaEhTerminal() const override { return terminal; }
    std::optional<std::string> lerSemEco(const std::string& pergunta) override {
        perguntas << QString::fromStdString(pergunta);
        if (digitado.empty())
            return std::nullopt;
        std::string linha = digitado.front().toStdString();
        digitado.pop_front();
        return linha;
    }
    const sat::FuncoesSAT* funcoes() const override { return &tabela; }

    QString saidaPadrao;
    QString erroPadrao;
    bool terminal = false;
    std::deque<QString> digitado;
    QStringList perguntas;
};

// The environment variables of the codes for one run: a null value removes it.
class Codigos {
public:
    Codigos(const QString& atual, const QString& novo = QString()) {
        definir("SAT_CODIGO_ATIVACAO", atual);
        definir("SAT_NOVO_CODIGO_ATIVACAO", novo);
    }
    ~Codigos() {
        qunsetenv("SAT_CODIGO_ATIVACAO");
        qunsetenv("SAT_NOVO_CODIGO_ATIVACAO");
    }

private:
    static void definir(const char* nome, const QString& valor) {
        if (valor.isNull())
            qunsetenv(nome);
        else
            qputenv(nome, valor.toUtf8());
    }
};

const QString assinatura(344, u'M');

} // namespace

class TestLinhaDeComando : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void recusas_data();
    void recusas();
    void respostas_data();
    void respostas();
    void codigoDeArquivoComFimDoWindows_data();
    void codigoDeArquivoComFimDoWindows();
    void codigoDigitadoNoTerminal_data();
    void codigoDigitadoNoTerminal();
    void ajudaDeCadaSubcomando_data();
    void ajudaDeCadaSubcomando();

private:
    // Runs the command line with `argumentos`, "{pasta}" in them replaced by the test's
    // folder (a name with blanks, accents and characters outside Windows-1252).
    int rodar(QStringList argumentos, ConsoleDeTeste& console) const {
        for (QString& a : argumentos)
            a.replace(QStringLiteral("{pasta}"), pasta_->path());
        argumentos.prepend(QStringLiteral("/opt/sat/ativacao-sat-cli"));
        return cli::executar(argumentos, console);
    }
    static QJsonObject json(const QString& texto) {
        QJsonParseError erro;
        const QJsonDocument doc = QJsonDocument::fromJson(texto.toUtf8(), &erro);
        if (erro.error != QJsonParseError::NoError || !doc.isObject())
            qWarning("not a JSON object (%s): %s", qPrintable(erro.errorString()), qPrintable(texto));
        return doc.object();
    }

    std::unique_ptr<QTemporaryDir> pasta_;
};

void TestLinhaDeComando::initTestCase() {
    pasta_ = std::make_unique<QTemporaryDir>(
        QDir::temp().filePath(QStringLiteral("linha de comando ção 日本-XXXXXX")));
    QVERIFY(pasta_->isValid());
    // A file where a folder is expected: nothing can be written under it, not even by root.
    QFile ocupado(QDir(pasta_->path()).filePath(QStringLiteral("ocupado")));
    QVERIFY(ocupado.open(QIODevice::WriteOnly));
    QFile arquivoDoCodigo(QDir(pasta_->path()).filePath(QStringLiteral("código.txt")));
    QVERIFY(arquivoDoCodigo.open(QIODevice::WriteOnly));
    arquivoDoCodigo.write(codigo.toUtf8() + "\r\n");
    QFile novoCodigo(QDir(pasta_->path()).filePath(QStringLiteral("novo código.txt")));
    QVERIFY(novoCodigo.open(QIODevice::WriteOnly));
    novoCodigo.write("novo-codigo-9\r\nlinha que não conta\r\n");
}

void TestLinhaDeComando::init() {
    roteiro::limpar();
}

void TestLinhaDeComando::recusas_data() {
    QTest::addColumn<QStringList>("argumentos");
    QTest::addColumn<QString>("codigoNoAmbiente"); // null: no variable
    QTest::addColumn<QString>("erro");             // what standard error starts with

    const auto linha = [](const char* nome, QStringList args, const QString& codigoNoAmbiente,
                          const char* erro) {
        QTest::newRow(nome) << args << codigoNoAmbiente << QString::fromUtf8(erro);
    };
    const QString semCodigo;
    linha("sem subcomando", {}, codigo, "Uso: ativacao-sat-cli SUBCOMANDO [opções]");
    linha("subcomando desconhecido", {"ligar"}, codigo,
          "Subcomando desconhecido: \"ligar\". Use ativacao-sat-cli --help.");
    linha("opção desconhecida", {"status", "--cor"}, codigo,
          "Opção desconhecida: cor. Use ativacao-sat-cli status --help.");
    linha("opção sem o valor", {"status", "--arquivo-codigo"}, codigo,
          "Missing value after '--arquivo-codigo'.");
    linha("código na linha de comando", {"status", "12345678"}, codigo, "Argumento inesperado: \"12345678\"");
    linha("sem código e sem terminal", {"status"}, semCodigo,
          "O Código de Ativação do SAT não foi informado: defina SAT_CODIGO_ATIVACAO, use --arquivo-codigo");
    linha("arquivo de código ilegível", {"status", "--arquivo-codigo", "/nao/existe"}, semCodigo,
          "Não foi possível ler o Código de Ativação do SAT do arquivo \"");
    linha("novo código não informado", {"trocar-codigo"}, codigo,
          "O Novo Código de Ativação não foi informado: defina SAT_NOVO_CODIGO_ATIVACAO, use "
          "--arquivo-novo-codigo");
    linha("código curto no status", {"status"}, QStringLiteral(" 1234567 "),
          "Novo código de ativação deve ter no mínimo 8");
    linha("código curto no bloqueio", {"bloquear"}, QStringLiteral("1234567"),
          "Código de Ativação deve ter no mínimo 8 caracteres.");
    linha("CNPJ inválido", {"ativar", "--cnpj", "11222333000182", "--uf", "SP"}, codigo, "CNPJ inválido.");
    linha("UF desconhecida", {"ativar", "--cnpj", "11222333000181", "--uf", "XX"}, codigo, "UF inválida.");
    linha("certificado desconhecido", {"ativar", "--certificado", "outro"}, codigo,
          "Tipo de Certificado desconhecido: \"outro\" (use ac-sat, icp-brasil, renovacao-icp-brasil).");
    linha("associação sem assinatura",
          {"associar", "--cnpj-contribuinte", "11222333000181", "--cnpj-software-house", "11444777000161"},
          codigo, "O campo \"Assinatura da Aplic. Comercial\" deve ser preenchido!");
    linha("associação com CNPJ da software house inválido",
          {"associar", "--cnpj-contribuinte", "11222333000181", "--cnpj-software-house", "11444777000162"},
          codigo, "CNPJ Software House inválido.");
    linha("sessão sem número", {"sessao"}, codigo, "Informe --numero SESSAO ou --fiscal");
    linha("sessão com número e fiscal", {"sessao", "--fiscal", "--numero", "12"}, codigo,
          "Informe --numero SESSAO ou --fiscal");
    linha("sessão que não é número", {"sessao", "--numero", "12a"}, codigo,
          "Número de sessão consultada inválida: \"12a\"");
    linha("desativar sem confirmar", {"desativar"}, codigo, "Atenção:\nVerifique se após finalizar");
    linha("tempo-limite zero", {"consultar", "--tempo-limite", "0"}, codigo,
          "--tempo-limite: um número de segundos maior que zero.");
    linha("tempo-limite que não é número", {"consultar", "--tempo-limite", "1s"}, codigo,
          "--tempo-limite: um número de segundos maior que zero.");
    // The network document is written before it is sent: a folder that cannot take it
    // ends the command with nothing sent.
    linha("rede com saída impossível", {"rede", "--saida", "{pasta}/ocupado"}, codigo,
          "Não foi possível gravar o arquivo ConfRede.xml: ");
}

void TestLinhaDeComando::recusas() {
    QFETCH(QStringList, argumentos);
    QFETCH(QString, codigoNoAmbiente);
    QFETCH(QString, erro);
    const Codigos codigos(codigoNoAmbiente);
    ConsoleDeTeste console;
    QCOMPARE(rodar(argumentos, console), int(cli::ErroDeUso));
    QVERIFY2(console.erroPadrao.startsWith(erro), qPrintable(console.erroPadrao));
    QVERIFY2(console.saidaPadrao.isEmpty(), qPrintable(console.saidaPadrao));
    QVERIFY(console.perguntas.isEmpty());
    // Nothing was sent after a usage or check error.
    QCOMPARE(roteiro::chamadas().size(), 0);
}

void TestLinhaDeComando::respostas_data() {
    QTest::addColumn<QStringList>("argumentos");
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<int>("saida");
    QTest::addColumn<QString>("saidaPadrao"); // null: JSON, checked by `membros`
    QTest::addColumn<QString>("erro");        // what standard error starts with
    QTest::addColumn<QJsonObject>("membros"); // of the JSON object printed

    const QStringList associar{
        "associar",       "--cnpj-contribuinte", "11222333000181", "--cnpj-software-house",
        "11444777000161", "--assinatura",        assinatura};
    const QByteArray alerta = "{sessao}|13000|1234|Assinatura do AC Registrada|||";
    QTest::newRow("associação com alerta")
        << associar << alerta << 0 << QStringLiteral("13000: [1234] Assinatura do AC Registrada\n")
        << QString() << QJsonObject();
    // The alert is its own member; the message is the text after it, not the alert code.
    QTest::newRow("associação com alerta em JSON")
        << associar + QStringList{"--json"} << alerta << 0 << QString() << QString()
        << QJsonObject{{"codigo", "13000"},
                       {"alerta", "1234"},
                       {"mensagem", "Assinatura do AC Registrada"},
                       {"sefaz", QJsonValue::Null},
                       {"saida", 0}};
    QTest::newRow("associação com alerta e SEFAZ em JSON")
        << associar + QStringList{"--json"}
        << QByteArray("{sessao}|13000|1234|Assinatura do AC Registrada|555|Aviso|") << 0 << QString()
        << QString()
        << QJsonObject{{"alerta", "1234"},
                       {"mensagem", "Assinatura do AC Registrada"},
                       {"sefaz", QJsonObject{{"codigo", "555"}, {"mensagem", "Aviso"}}}};
    QTest::newRow("associação recusada em JSON")
        << associar + QStringList{"--json"} << QByteArray("{sessao}|13001|0000|Código de ativação inválido||")
        << 1 << QString() << QString()
        << QJsonObject{{"codigo", "13001"},
                       {"alerta", "0000"},
                       {"mensagem", "Código de ativação inválido"},
                       {"saida", 1}};
    QTest::newRow("bloqueio recusado em JSON")
        << QStringList{"bloquear", "--json"} << QByteArray("{sessao}|16003|SAT já bloqueado|||") << 1
        << QString() << QString()
        << QJsonObject{{"codigo", "16003"}, {"mensagem", "SAT já bloqueado"}, {"saida", 1}};
    QTest::newRow("resposta curta") << QStringList{"bloquear"} << QByteArray("{sessao}|16000") << 0
                                    << QStringLiteral("%1|16000\n") << QString() << QJsonObject();

    // A file that cannot be written after the device answered: the usage status, not
    // the device's refusal.
    const QByteArray log =
        "{sessao}|15000|Transferência completa|||" + QByteArray("linha 1\r\nlinha 2\r\n").toBase64();
    QTest::newRow("log em arquivo impossível")
        << QStringList{"logs", "--arquivo", "{pasta}/ocupado/sat.log"} << log << 2 << QString("")
        << QStringLiteral("Erro ao tentar salvar o arquivo: ") << QJsonObject();
    const QByteArray cfe = "<CFe><infCFe Id=\"CFe1\"><ide/></infCFe></CFe>";
    const QByteArray teste =
        "{sessao}|09000|Emitido com sucesso|||" + cfe.toBase64() + "|20240315143005|000001|CFe1";
    QTest::newRow("teste com saída impossível")
        << QStringList{"teste", "--cnpj-contribuinte", "11222333000181", "--saida", "{pasta}/ocupado"}
        << teste << 2 << QString() << QStringLiteral("Não foi possível gravar o arquivo \"") << QJsonObject();
    QTest::newRow("sessão com saída impossível")
        << QStringList{"sessao", "--numero", "42", "--saida", "{pasta}/ocupado"}
        << QByteArray("000042|09000|Emitido com sucesso|||") << 2 << QString()
        << QStringLiteral("Não foi possível gravar o arquivo \"") << QJsonObject();
}

void TestLinhaDeComando::respostas() {
    QFETCH(QStringList, argumentos);
    QFETCH(QByteArray, resposta);
    QFETCH(int, saida);
    QFETCH(QString, saidaPadrao);
    QFETCH(QString, erro);
    QFETCH(QJsonObject, membros);
    const Codigos codigos(codigo);
    roteiro::responder(resposta);
    ConsoleDeTeste console;
    QCOMPARE(rodar(argumentos, console), saida);
    QCOMPARE(roteiro::chamadas().size(), 1);
    QCOMPARE(roteiro::respostasPendentes(), std::size_t(0));
    QVERIFY2(erro.isEmpty() ? console.erroPadrao.isEmpty() : console.erroPadrao.startsWith(erro),
             qPrintable(console.erroPadrao));
    const QString sessao = QString::number(roteiro::chamadas().first().sessao).rightJustified(6, u'0');
    if (argumentos.contains(QStringLiteral("--json"))) {
        const QJsonObject objeto = json(console.saidaPadrao);
        QCOMPARE(objeto.value(QStringLiteral("sessao")).toString(), sessao);
        for (auto m = membros.begin(); m != membros.end(); ++m)
            QVERIFY2(objeto.value(m.key()) == m.value(),
                     qPrintable(m.key() + u' ' + QString::fromUtf8(QJsonDocument(objeto).toJson())));
    } else if (!saidaPadrao.isNull()) {
        QCOMPARE(console.saidaPadrao, saidaPadrao.contains(u'%') ? saidaPadrao.arg(sessao) : saidaPadrao);
    }
}

void TestLinhaDeComando::codigoDeArquivoComFimDoWindows_data() {
    QTest::addColumn<QStringList>("argumentos");
    QTest::addColumn<QString>("funcao");
    QTest::addColumn<QByteArrayList>("codigos"); // the codes the call must carry, as sent

    const QStringList arquivo{"--arquivo-codigo", "{pasta}/código.txt"};
    const QByteArrayList um{codigo.toUtf8()};
    const auto linha = [&](const char* subcomando, QStringList outros, const char* funcao) {
        QTest::newRow(subcomando) << QStringList{QString::fromLatin1(subcomando)} + arquivo + outros
                                  << QString::fromLatin1(funcao) << um;
    };
    linha("status", {}, "ConsultarStatusOperacional");
    linha("ativar", {"--cnpj", "11222333000181", "--uf", "SP"}, "AtivarSAT");
    linha("associar",
          {"--cnpj-contribuinte", "11222333000181", "--cnpj-software-house", "11444777000161", "--assinatura",
           assinatura},
          "AssociarAssinatura");
    linha("rede", {}, "ConfigurarInterfaceDeRede");
    linha("teste", {"--cnpj-contribuinte", "11222333000181"}, "TesteFimAFim");
    linha("sessao", {"--numero", "42"}, "ConsultarNumeroSessao");
    linha("logs", {}, "ExtrairLogs");
    linha("bloquear", {}, "BloquearSAT");
    linha("desbloquear", {}, "DesbloquearSAT");
    linha("desativar", {"--confirmar"}, "BloquearSAT");
    linha("atualizar", {}, "AtualizarSoftwareSAT");
    QTest::newRow("trocar-codigo") << QStringList{"trocar-codigo"} + arquivo +
                                          QStringList{"--arquivo-novo-codigo", "{pasta}/novo código.txt"}
                                   << QStringLiteral("TrocarCodigoDeAtivacao")
                                   << QByteArrayList{codigo.toUtf8(), "novo-codigo-9", "novo-codigo-9"};
}

void TestLinhaDeComando::codigoDeArquivoComFimDoWindows() {
    QFETCH(QStringList, argumentos);
    QFETCH(QString, funcao);
    QFETCH(QByteArrayList, codigos);
    const Codigos semVariaveis{QString()};
    ConsoleDeTeste console;
    rodar(argumentos, console);
    QCOMPARE(roteiro::chamadas().size(), 1);
    const roteiro::Chamada& chamada = roteiro::chamadas().first();
    QCOMPARE(chamada.funcao, funcao);
    // The codes as the file's first line holds them, without the CR of its line end.
    QByteArrayList enviados;
    for (const QVariant& argumento : chamada.argumentos)
        if (codigos.contains(argumento.toByteArray().trimmed()))
            enviados << argumento.toByteArray();
    QCOMPARE(enviados, codigos);
}

void TestLinhaDeComando::codigoDigitadoNoTerminal_data() {
    QTest::addColumn<QStringList>("argumentos");
    QTest::addColumn<QStringList>("digitado");
    QTest::addColumn<QStringList>("perguntas");
    QTest::addColumn<int>("saida");
    QTest::addColumn<QString>("erro");

    const QStringList ativar{"ativar", "--cnpj", "11.222.333/0001-81", "--uf", "SP"};
    const QString primeira = QStringLiteral("Digite o Código de Ativação do SAT: ");
    const QString segunda = QStringLiteral("Digite novamente o Código de Ativação do SAT: ");
    QTest::newRow("ativação digitada duas vezes")
        << ativar << QStringList{codigo, codigo} << QStringList{primeira, segunda} << 0 << QString();
    QTest::newRow("confirmação diferente")
        << ativar << QStringList{codigo, codigo + u'x'} << QStringList{primeira, segunda} << 2
        << QStringLiteral("Erro na confirmação do Código de Ativação.");
    QTest::newRow("nada digitado") << QStringList{"status"} << QStringList{} << QStringList{primeira} << 2
                                   << QStringLiteral("O Código de Ativação do SAT não foi digitado.");
    QTest::newRow("status digitado uma vez")
        << QStringList{"status"} << QStringList{codigo} << QStringList{primeira} << 1 << QString();
    QTest::newRow("troca: o atual uma vez, o novo duas")
        << QStringList{"trocar-codigo"}
        << QStringList{codigo, QStringLiteral("novo-codigo-9"), QStringLiteral("novo-codigo-9")}
        << QStringList{QStringLiteral("Digite o Código de Ativação atual: "),
                       QStringLiteral("Digite o Novo Código de Ativação: "),
                       QStringLiteral("Digite novamente o Novo Código de Ativação: ")}
        << 1 << QString();
}

void TestLinhaDeComando::codigoDigitadoNoTerminal() {
    QFETCH(QStringList, argumentos);
    QFETCH(QStringList, digitado);
    QFETCH(QStringList, perguntas);
    QFETCH(int, saida);
    QFETCH(QString, erro);
    const Codigos semVariaveis{QString()};
    ConsoleDeTeste console;
    console.terminal = true;
    console.digitado.assign(digitado.begin(), digitado.end());
    roteiro::responder("{sessao}|04000|Ativado corretamente|||");
    QCOMPARE(rodar(argumentos, console), saida);
    QCOMPARE(console.perguntas, perguntas);
    QVERIFY2(erro.isEmpty() ? console.erroPadrao.isEmpty() : console.erroPadrao.startsWith(erro),
             qPrintable(console.erroPadrao));
    QCOMPARE(roteiro::chamadas().size(), saida == 2 ? 0 : 1);
    if (saida != 2)
        QVERIFY(roteiro::chamadas().first().argumentos.contains(QVariant(codigo.toUtf8())));
}

void TestLinhaDeComando::ajudaDeCadaSubcomando_data() {
    QTest::addColumn<QString>("subcomando");
    QTest::addColumn<QString>("rotulo"); // the words of a window's label the help uses
    const auto linha = [](const char* nome, const char* rotulo) {
        QTest::newRow(nome) << QString::fromLatin1(nome) << QString::fromUtf8(rotulo);
    };
    linha("consultar", "Consultar SAT");
    linha("status", "--arquivo-codigo");
    linha("ativar", "CNPJ do Contribuinte");
    linha("trocar-codigo", "Cód. de emergência");
    linha("associar", "CNPJ da Software House");
    linha("rede", "Tipo de LAN");
    linha("teste", "FimAFim Produção");
    linha("sessao", "Consulta Sessão Fiscal");
    linha("logs", "SuperLog");
    linha("bloquear", "Bloquear");
    linha("desbloquear", "Desbloquear");
    linha("desativar", "--confirmar");
    linha("atualizar", "Atualizar SW Básico");
}

void TestLinhaDeComando::ajudaDeCadaSubcomando() {
    QFETCH(QString, subcomando);
    QFETCH(QString, rotulo);
    ConsoleDeTeste geral;
    QCOMPARE(rodar({"--help"}, geral), 0);
    QVERIFY2(geral.saidaPadrao.contains(QStringLiteral("\n  ") + subcomando + u' '),
             qPrintable(geral.saidaPadrao));
    ConsoleDeTeste console;
    QCOMPARE(rodar({subcomando, "--help"}, console), 0);
    QVERIFY2(
        console.saidaPadrao.startsWith(QStringLiteral("Uso: ativacao-sat-cli %1 [opções]\n").arg(subcomando)),
        qPrintable(console.saidaPadrao));
    QVERIFY(console.saidaPadrao.contains(QStringLiteral("Opções:")));
    QVERIFY(console.saidaPadrao.contains(QStringLiteral("--json")));
    QVERIFY(console.saidaPadrao.contains(QStringLiteral("--tempo-limite")));
    QVERIFY2(console.saidaPadrao.contains(rotulo), qPrintable(console.saidaPadrao));
    QVERIFY(console.erroPadrao.isEmpty());
    QCOMPARE(roteiro::chamadas().size(), 0);
}

QTEST_GUILESS_MAIN(TestLinhaDeComando)
#include "tst_linhadecomando.moc"
