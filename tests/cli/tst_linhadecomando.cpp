// ativacao-sat-cli run in this process against buffers: the parsing, every refusal made
// before anything is sent, what the answers give on standard output and in JSON, and the
// code read from a file or typed at a terminal. The library is the scripted table, so
// every call is seen with its arguments.

#include "../support/autoridadeteste.h"
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

// What a device gives with its ICP-Brasil request, and the request as PEM.
const QByteArray pedidoDer = autoridadeteste::contornoDePedido();
const QByteArray respostaComPedido =
    "{sessao}|04006|CSR ICP-BRASIL criado com sucesso|||" + pedidoDer.toBase64();
const QString pedidoPem = QString::fromLatin1(autoridadeteste::emPem(pedidoDer, "CERTIFICATE REQUEST"));
const QStringList ativarIcp{"ativar", "--certificado", "icp-brasil", "--cnpj", "11222333000181", "--uf", "SP"};

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
    void certificadoEnviadoEmBase64_data();
    void certificadoEnviadoEmBase64();
    void pedidoGravadoComCsr();
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
    const auto gravar = [&](const char* nome, const QByteArray& bytes) {
        QVERIFY(autoridadeteste::gravar(QDir(pasta_->path()).filePath(QString::fromUtf8(nome)), bytes));
    };
    const QByteArray certificado = autoridadeteste::contornoDeCertificado();
    gravar("certificado.pem", "Certificado do SAT\r\n" +
                                  autoridadeteste::emPem(certificado, "CERTIFICATE").replace("\n", "\r\n"));
    gravar("certificado.der", certificado);
    gravar("vazio.cer", {});
    gravar("pedido.pem", pedidoPem.toLatin1());
    gravar("chave.pem", autoridadeteste::emPem(QByteArray(40, 'k'), "PRIVATE KEY"));
    gravar("certificado e chave.pem", autoridadeteste::emPem(certificado, "CERTIFICATE") +
                                          autoridadeteste::emPem(QByteArray(40, 'k'), "RSA PRIVATE KEY"));
    gravar("texto.txt", "não é um certificado\n");
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
    // A certificate file that is not one certificate is refused before the code is read.
    linha("certificado sem arquivo", {"certificado"}, codigo, "Informe o certificado com --arquivo CERTIFICADO");
    linha("certificado que não existe", {"certificado", "--arquivo", "{pasta}/não há.pem"}, semCodigo,
          "Arquivo especificado não foi encontrado! (");
    linha("certificado vazio", {"certificado", "--arquivo", "{pasta}/vazio.cer"}, codigo,
          "O arquivo do certificado está vazio.");
    linha("certificado que é o CSR", {"certificado", "--arquivo", "{pasta}/pedido.pem"}, codigo,
          "O arquivo traz um pedido de certificado (CSR), não um certificado");
    linha("certificado que é uma chave", {"certificado", "--arquivo", "{pasta}/chave.pem"}, codigo,
          "O arquivo traz uma chave privada, que nunca é enviada");
    linha("certificado com a chave", {"certificado", "--arquivo", "{pasta}/certificado e chave.pem"}, codigo,
          "O arquivo traz uma chave privada, que nunca é enviada");
    linha("certificado que é texto", {"certificado", "--arquivo", "{pasta}/texto.txt"}, codigo,
          "O arquivo não traz um certificado: não é PEM, nem DER, nem Base64.");
    linha("certificado com código curto", {"certificado", "--arquivo", "{pasta}/certificado.der"},
          QStringLiteral("1234567"), "Código de Ativação deve ter no mínimo 8 caracteres.");
    // Where the request goes is checked before the device makes one.
    linha("--csr com AC-SAT", {"ativar", "--cnpj", "11222333000181", "--uf", "SP", "--csr", "{pasta}/p.csr"},
          codigo, "--csr vale só com --certificado icp-brasil ou renovacao-icp-brasil");
    linha("--csr numa pasta que não existe", ativarIcp + QStringList{"--csr", "{pasta}/ocupado/p.csr"}, codigo,
          "--csr: \"");
    linha("--csr que é uma pasta", ativarIcp + QStringList{"--csr", "{pasta}"}, codigo, "--csr: \"");
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

    // ICP-Brasil: 04006 is this step's success. The request alone on standard output,
    // so that it can be redirected to a file; the answer and the next step on standard error.
    QTest::newRow("CSR ICP-Brasil") << ativarIcp << respostaComPedido << 0 << pedidoPem
                                    << QStringLiteral("04006: CSR ICP-BRASIL criado com sucesso\nPróximo passo: "
                                                      "envie o CSR à autoridade certificadora")
                                    << QJsonObject();
    QTest::newRow("CSR de renovação em JSON")
        << QStringList{"ativar", "--certificado", "renovacao-icp-brasil", "--cnpj", "11222333000181", "--uf", "SP",
                       "--json"}
        << respostaComPedido << 0 << QString() << QString()
        << QJsonObject{{"codigo", "04006"}, {"csr", pedidoPem}, {"saida", 0}};
    QTest::newRow("CSR com mensagem da SEFAZ")
        << ativarIcp << QByteArray("{sessao}|04006|CSR ICP-BRASIL criado com sucesso|1234|Aguarde|") + pedidoDer.toBase64()
        << 0 << pedidoPem
        << QStringLiteral("04006: CSR ICP-BRASIL criado com sucesso\nMensagem da SEFAZ: Código: 1234 - Aguarde\n"
                          "Próximo passo:")
        << QJsonObject();
    QTest::newRow("04006 sem o CSR")
        << ativarIcp << QByteArray("{sessao}|04006|CSR ICP-BRASIL criado com sucesso|||") << 1
        << QStringLiteral("04006: CSR ICP-BRASIL criado com sucesso\n")
        << QStringLiteral("A resposta do SAT não traz o CSR") << QJsonObject();
    QTest::newRow("04006 com um CSR que não é Base64")
        << ativarIcp << QByteArray("{sessao}|04006|CSR ICP-BRASIL criado com sucesso|||***") << 1
        << QStringLiteral("04006: CSR ICP-BRASIL criado com sucesso\n")
        << QStringLiteral("A resposta do SAT não traz o CSR") << QJsonObject();
    QTest::newRow("CSR recusado") << ativarIcp << QByteArray("{sessao}|04003|SAT já ativado|||") << 1
                                  << QStringLiteral("04003: SAT já ativado\n") << QString() << QJsonObject();
    // On an ICP-Brasil type the activation's own success is not this step's.
    QTest::newRow("04000 a um pedido ICP-Brasil")
        << ativarIcp << QByteArray("{sessao}|04000|Ativado corretamente|||") << 1
        << QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial.\n") << QString()
        << QJsonObject();
    const QStringList certificado{"certificado", "--arquivo", "{pasta}/certificado.pem"};
    QTest::newRow("certificado transmitido")
        << certificado << QByteArray("{sessao}|05000|Certificado transmitido com sucesso|||") << 0
        << QStringLiteral("05000: Certificado transmitido com sucesso\n") << QString() << QJsonObject();
    QTest::newRow("certificado recusado em JSON")
        << certificado + QStringList{"--json"} << QByteArray("{sessao}|05002|Certificado inválido: outra chave|||")
        << 1 << QString() << QString()
        << QJsonObject{{"codigo", "05002"}, {"mensagem", "Certificado inválido: outra chave"}, {"saida", 1}};
    QTest::newRow("nenhum CSR aguardando")
        << certificado << QByteArray("{sessao}|05003|Não há CSR ICP-BRASIL aguardando certificado|||") << 1
        << QStringLiteral("05003: Não há CSR ICP-BRASIL aguardando certificado\n") << QString() << QJsonObject();

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
    linha("certificado", {"--arquivo", "{pasta}/certificado.der"}, "ComunicarCertificadoICPBRASIL");
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

void TestLinhaDeComando::certificadoEnviadoEmBase64_data() {
    QTest::addColumn<QString>("arquivo");
    QTest::newRow("PEM com texto e CR LF") << QStringLiteral("{pasta}/certificado.pem");
    QTest::newRow("DER") << QStringLiteral("{pasta}/certificado.der");
}

// The certificate goes as the device gave its request: the DER in Base64, one line.
void TestLinhaDeComando::certificadoEnviadoEmBase64() {
    QFETCH(QString, arquivo);
    const Codigos codigos(QStringLiteral(" ") + codigo + QStringLiteral(" "));
    roteiro::responder("{sessao}|05000|Certificado transmitido com sucesso|||");
    ConsoleDeTeste console;
    QCOMPARE(rodar({"certificado", "--arquivo", arquivo}, console), 0);
    QCOMPARE(roteiro::chamadas().size(), 1);
    const roteiro::Chamada& chamada = roteiro::chamadas().first();
    QCOMPARE(chamada.funcao, QStringLiteral("ComunicarCertificadoICPBRASIL"));
    QCOMPARE(chamada.argumentos.size(), 2);
    QCOMPARE(chamada.argumentos.at(0).toByteArray(), codigo.toUtf8()); // trimmed
    QCOMPARE(chamada.argumentos.at(1).toByteArray(), autoridadeteste::contornoDeCertificado().toBase64());
}

void TestLinhaDeComando::pedidoGravadoComCsr() {
    const Codigos codigos(codigo);
    roteiro::responder(respostaComPedido);
    ConsoleDeTeste console;
    const QString arquivo = QDir(pasta_->path()).filePath(QStringLiteral("pedido do SAT ção 日本.csr"));
    QCOMPARE(rodar(ativarIcp + QStringList{"--csr", arquivo}, console), 0);
    QCOMPARE(roteiro::chamadas().first().argumentos.at(0).toInt(), 2); // the ICP-Brasil certificate type
    QCOMPARE(console.saidaPadrao, QStringLiteral("04006: CSR ICP-BRASIL criado com sucesso\nCSR gravado em \"%1\".\n"
                                                 "Próximo passo: envie o CSR à autoridade certificadora ICP-Brasil e, "
                                                 "com o certificado que ela emitir (PEM ou DER), rode: "
                                                 "ativacao-sat-cli certificado --arquivo CERTIFICADO\n")
                                      .arg(QDir::toNativeSeparators(arquivo)));
    QVERIFY2(console.erroPadrao.isEmpty(), qPrintable(console.erroPadrao));
    // As the console writes files for the user: CR LF after every line.
    QCOMPARE(autoridadeteste::ler(arquivo), pedidoPem.toLatin1().replace("\n", "\r\n"));
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
    linha("certificado", "Comunicar Certificado ICP-BRASIL");
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
    linha("metricas", "--tentativas");
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
