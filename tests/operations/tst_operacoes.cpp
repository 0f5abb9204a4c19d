// What the operations check before anything is sent, and how they read the answers, as
// functions with no widget: the pages and the command line both rely on these.

#include "operations/operacoes.h"
#include "operations/status.h"
#include "operations/teste.h"
#include "sat/resposta.h"

#include <QTest>

using comandos::CampoDaAtivacao;

Q_DECLARE_METATYPE(std::optional<qint64>)

class TestOperacoes : public QObject {
    Q_OBJECT
private slots:
    void verificarAtivacao_data();
    void verificarAtivacao();
    void verificarTroca_data();
    void verificarTroca();
    void verificarTeste_data();
    void verificarTeste();
    void numeroDeSessao_data();
    void numeroDeSessao();
    void tamanhoDoStatus_data();
    void tamanhoDoStatus();
    void mensagens_data();
    void mensagens();
    void botoesDesbloqueados_data();
    void botoesDesbloqueados();
    void cfeDoTeste_data();
    void cfeDoTeste();
};

void TestOperacoes::verificarAtivacao_data() {
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("confirmacao");
    QTest::addColumn<QString>("cnpj");
    QTest::addColumn<QString>("uf");
    QTest::addColumn<int>("campo"); // -1: accepted
    QTest::addColumn<QString>("mensagem");

    const QString c = QStringLiteral("12345678");
    const QString cnpj = QStringLiteral("11222333000181");
    QTest::newRow("aceita") << c << c << cnpj << "SP" << -1 << QString();
    QTest::newRow("UF em minúsculas") << c << c << cnpj << "rj" << -1 << QString();
    QTest::newRow("código curto") << "1234567" << c << cnpj << "SP" << int(CampoDaAtivacao::Codigo)
                                  << comandos::codigoCurto;
    QTest::newRow("confirmação curta") << c << "1234567" << cnpj << "SP" << int(CampoDaAtivacao::Confirmacao)
                                       << comandos::codigoCurto;
    QTest::newRow("confirmação diferente") << c << "12345679" << cnpj << "SP" << int(CampoDaAtivacao::Ambos)
                                           << comandos::confirmacaoDiferente;
    QTest::newRow("CNPJ com dígito errado") << c << c << "11222333000182" << "SP" << int(CampoDaAtivacao::Cnpj)
                                            << comandos::cnpjInvalido;
    QTest::newRow("sem UF") << c << c << cnpj << "" << int(CampoDaAtivacao::Uf) << comandos::ufInvalida;
    QTest::newRow("UF que não existe") << c << c << cnpj << "XX" << int(CampoDaAtivacao::Uf) << comandos::ufInvalida;
}

void TestOperacoes::verificarAtivacao() {
    QFETCH(QString, codigo);
    QFETCH(QString, confirmacao);
    QFETCH(QString, cnpj);
    QFETCH(QString, uf);
    QFETCH(int, campo);
    QFETCH(QString, mensagem);
    const auto recusa = comandos::verificar(comandos::Ativacao{0, codigo, confirmacao, cnpj, comandos::linhaDaUF(uf)});
    QCOMPARE(recusa.has_value(), campo >= 0);
    if (recusa) {
        QCOMPARE(int(recusa->campo), campo);
        QCOMPARE(recusa->mensagem, mensagem);
    }
}

void TestOperacoes::verificarTroca_data() {
    QTest::addColumn<QString>("novo");
    QTest::addColumn<QString>("confirmacao");
    QTest::addColumn<QString>("mensagem"); // null: accepted
    QTest::newRow("aceita") << "novo-codigo" << "novo-codigo" << QString();
    QTest::newRow("novo curto") << "1234567" << "1234567" << comandos::novoCodigoCurto;
    QTest::newRow("confirmação diferente") << "novo-codigo" << "novo-codigO" << comandos::novaConfirmacaoDiferente;
}

void TestOperacoes::verificarTroca() {
    QFETCH(QString, novo);
    QFETCH(QString, confirmacao);
    QFETCH(QString, mensagem);
    // The current code is the device's to judge: even a short one is sent.
    const comandos::Recusa recusa = comandos::verificar(comandos::TrocaDeCodigo{QStringLiteral("1"), false, novo,
                                                                                confirmacao});
    QCOMPARE(recusa.value_or(QString()), mensagem);
}

void TestOperacoes::verificarTeste_data() {
    QTest::addColumn<bool>("producao");
    QTest::addColumn<QStringList>("dados"); // CNPJ, IE, software house, signature
    QTest::addColumn<QString>("mensagem");  // null: accepted

    const QStringList completos{"11222333000181", "111222333444", "11444777000161", "assinatura"};
    QTest::newRow("ativação aceita") << false << QStringList{"11222333000181", "", "", ""} << QString();
    QTest::newRow("ativação com CNPJ errado")
        << false << QStringList{"11222333000182", "", "", ""} << comandos::testeCnpjContribuinteInvalido;
    QTest::newRow("ativação sem CNPJ") << false << QStringList{"", "", "", ""}
                                       << comandos::testeCnpjContribuinteInvalido;
    QTest::newRow("produção aceita") << true << completos << QString();
    // Production sends the CNPJs as typed: only what is missing is refused.
    QTest::newRow("produção com CNPJ errado")
        << true << QStringList{"11222333000182", "1", "2", "3"} << QString();
    QTest::newRow("produção sem IE") << true << QStringList{"11222333000181", "", "1", "2"}
                                     << comandos::testeIeInvalida;
    QTest::newRow("produção sem software house")
        << true << QStringList{"11222333000181", "1", "", "2"} << comandos::testeCnpjSoftwareHouseInvalido;
    QTest::newRow("produção sem assinatura") << true << QStringList{"11222333000181", "1", "2", ""}
                                             << comandos::testeAssinaturaVazia;
}

void TestOperacoes::verificarTeste() {
    QFETCH(bool, producao);
    QFETCH(QStringList, dados);
    QFETCH(QString, mensagem);
    const comandos::Recusa recusa =
        comandos::verificar(producao ? VarianteTeste::Producao : VarianteTeste::Ativacao,
                            DadosTeste{dados[0], dados[1], dados[2], dados[3]});
    QCOMPARE(recusa.value_or(QString()), mensagem);
}

void TestOperacoes::numeroDeSessao_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("numero");
    QTest::addColumn<QString>("mensagem"); // null: accepted
    QTest::newRow("número") << "42" << 42 << QString();
    QTest::newRow("com brancos") << " 000042\t" << 42 << QString();
    QTest::newRow("vazio") << "" << 0 << comandos::sessaoInvalida;
    QTest::newRow("só brancos") << "   " << 0 << comandos::sessaoInvalida;
    QTest::newRow("letras") << "12a" << 0
                            << QStringLiteral("Número de sessão consultada inválida: \"12a\" não é um número inteiro "
                                              "de até 6 algarismos.");
    QTest::newRow("sinal") << "-5" << 0
                           << QStringLiteral("Número de sessão consultada inválida: \"-5\" não é um número inteiro de "
                                             "até 6 algarismos.");
}

void TestOperacoes::numeroDeSessao() {
    QFETCH(QString, texto);
    QFETCH(int, numero);
    QFETCH(QString, mensagem);
    const comandos::NumeroDeSessao lido = comandos::lerNumeroDeSessao(texto);
    QCOMPARE(lido.numero, numero);
    QCOMPARE(lido.recusa.value_or(QString()), mensagem);
}

void TestOperacoes::tamanhoDoStatus_data() {
    QTest::addColumn<QString>("tamanho");
    QTest::addColumn<std::optional<qint64>>("bytes");
    const auto linha = [](const char* texto, std::optional<qint64> bytes) {
        QTest::newRow(texto) << QString::fromUtf8(texto) << bytes;
    };
    // The sizes devices send, with 1024 to the kilobyte.
    linha("4 GB", 4LL * 1024 * 1024 * 1024);
    linha("260 MB", 260LL * 1024 * 1024);
    linha("11 KB", 11LL * 1024);
    linha("1 KB", 1024);
    linha("1,5 GB", 3LL * 512 * 1024 * 1024);
    linha("2.5 MB", 5LL * 512 * 1024);
    linha("1870127104", 1870127104LL);
    linha("512 Kbytes", 512LL * 1024);
    linha("2 Gbytes", 2LL * 1024 * 1024 * 1024);
    linha("4GB", 4LL * 1024 * 1024 * 1024);
    linha(" 11 kb ", 11LL * 1024);
    linha("1 TB", 1024LL * 1024 * 1024 * 1024);
    // Not a size: kept as the text it was.
    linha("Kbytes", std::nullopt);
    linha("", std::nullopt);
    linha("-1 KB", std::nullopt);
    linha("4 GB livres", std::nullopt);
    linha("quatro", std::nullopt);
}

void TestOperacoes::tamanhoDoStatus() {
    QFETCH(QString, tamanho);
    QFETCH(std::optional<qint64>, bytes);
    QCOMPARE(bytesDoTamanho(tamanho), bytes);
}

void TestOperacoes::mensagens_data() {
    QTest::addColumn<bool>("associacao"); // read as the association's answer, else the network's
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("associação sem alerta") << true << QByteArray("000001|13000|0000|Assinatura do AC Registrada|||")
                                           << QStringLiteral("13000: Assinatura do AC Registrada");
    QTest::newRow("associação com alerta") << true << QByteArray("000001|13000|1234|Assinatura do AC Registrada|||")
                                           << QStringLiteral("13000: [1234] Assinatura do AC Registrada");
    QTest::newRow("associação recusada") << true << QByteArray("000001|13001|0000|Código de ativação inválido||")
                                         << QStringLiteral("13001: Código de ativação inválido");
    QTest::newRow("rede") << false << QByteArray("000001|12000|Rede Configurada|||")
                          << QStringLiteral("12000: Rede Configurada");
    // A four-character second field is an alert code: the message is the next one.
    QTest::newRow("rede com alerta") << false << QByteArray("000001|12000|1234|Rede Configurada|||")
                                     << QStringLiteral("12000: Rede Configurada");
}

void TestOperacoes::mensagens() {
    QFETCH(bool, associacao);
    QFETCH(QByteArray, resposta);
    QFETCH(QString, mensagem);
    const QByteArrayList campos = sat::campos(resposta);
    QCOMPARE(associacao ? comandos::mensagemDaAssociacao(campos) : comandos::mensagemDaRede(campos), mensagem);
}

void TestOperacoes::botoesDesbloqueados_data() {
    QTest::addColumn<int>("operacao");
    QTest::addColumn<QByteArray>("codigo");
    QTest::addColumn<QStringList>("botoes");
    using comandos::Desbloqueio;
    const auto linha = [](const char* nome, Desbloqueio operacao, const char* codigo, QStringList botoes) {
        QTest::newRow(nome) << int(operacao) << QByteArray(codigo) << botoes;
    };
    linha("ativado", Desbloqueio::Ativacao, "04000",
          {"BtnAssocAssin", "BtnBloquearSAT", "BtnCodAtivacao", "BtnTestefimafim", "BitAtualizaSW", "BitBtnStatus",
           "BitLogs"});
    linha("ativação recusada", Desbloqueio::Ativacao, "04003", {"BtnCodAtivacao"});
    linha("ativação em 04098", Desbloqueio::Ativacao, "04098", {});
    linha("ativação sem código", Desbloqueio::Ativacao, "", {"BtnCodAtivacao"});
    linha("código trocado", Desbloqueio::TrocaDeCodigo, "18000",
          {"BtnTestefimafim", "BitBtnStatus", "BitLogs", "BtnAtivacao", "BtnAssocAssin"});
    linha("troca recusada", Desbloqueio::TrocaDeCodigo, "18001", {});
    linha("associado", Desbloqueio::Associacao, "13000", {"BtnTestefimafim", "BitAtualizaSW"});
    linha("associação recusada", Desbloqueio::Associacao, "13001", {});
    // The success of another operation unlocks nothing here.
    linha("04000 na associação", Desbloqueio::Associacao, "04000", {});
}

void TestOperacoes::botoesDesbloqueados() {
    QFETCH(int, operacao);
    QFETCH(QByteArray, codigo);
    QFETCH(QStringList, botoes);
    QCOMPARE(comandos::botoesDesbloqueados(comandos::Desbloqueio(operacao), codigo), botoes);
}

void TestOperacoes::cfeDoTeste_data() {
    QTest::addColumn<QByteArray>("cfe");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("formatado"); // null: not XML, formatting throws
    QTest::newRow("uma linha") << QByteArray("<CFe><a>1</a></CFe>") << QStringLiteral("<CFe><a>1</a></CFe>\r\n")
                               << QStringLiteral("<CFe>\r\n  <a>1</a>\r\n</CFe>\r\n");
    QTest::newRow("linhas com CR LF") << QByteArray("<CFe>\r\n<a>ç</a>\n</CFe>")
                                      << QStringLiteral("<CFe>\r\n<a>ç</a>\r\n</CFe>\r\n")
                                      << QStringLiteral("<CFe>\r\n  <a>ç</a>\r\n</CFe>\r\n");
    QTest::newRow("não é XML") << QByteArray("<CFe><a></CFe>") << QStringLiteral("<CFe><a></CFe>\r\n")
                               << QString();
}

void TestOperacoes::cfeDoTeste() {
    QFETCH(QByteArray, cfe);
    QFETCH(QString, texto);
    QFETCH(QString, formatado);
    QCOMPARE(textoDoCfe(cfe), texto);
    if (formatado.isNull())
        QVERIFY_THROWS_EXCEPTION(std::exception, cfeIndentado(cfe));
    else
        QCOMPARE(cfeIndentado(cfe), formatado);
}

QTEST_GUILESS_MAIN(TestOperacoes)
#include "tst_operacoes.moc"
