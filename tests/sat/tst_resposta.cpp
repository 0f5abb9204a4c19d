#include "sat/resposta.h"

#include <QTest>

#include <stdexcept>

using namespace sat;

class TestResposta : public QObject {
    Q_OBJECT
private slots:
    void separacao_data();
    void separacao();
    void separacaoAcrescentaSemEsvaziar();
    void separacaoDeTextoComBrancos();
    void decodificacao_data();
    void decodificacao();
    void textoStatus_data();
    void textoStatus();
    void mensagemSefaz_data();
    void mensagemSefaz();
    void mensagemResposta();
    void formatXml_data();
    void formatXml();
    void formatXmlDoProprioResultado_data();
    void formatXmlDoProprioResultado();
    void formatXmlInvalido();
    void escapeDeTexto_data();
    void escapeDeTexto();
    void formatXmlCaractereProibido_data();
    void formatXmlCaractereProibido();
    void formatXmlCaracteresPermitidos();
};

void TestResposta::separacao_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QByteArrayList>("esperado");
    QTest::newRow("vazia: nenhum campo") << QByteArray() << QByteArrayList{};
    QTest::newRow("sem separador") << QByteArray("08000") << QByteArrayList{"08000"};
    QTest::newRow("separador sozinho: dois vazios") << QByteArray("|") << QByteArrayList{"", ""};
    QTest::newRow("termina com separador") << QByteArray("1|08000|") << QByteArrayList{"1", "08000", ""};
    QTest::newRow("dois seguidos") << QByteArray("1||x") << QByteArrayList{"1", "", "x"};
    QTest::newRow("brancos, aspas e quebras ficam")
        << QByteArray(" 1 |\"a b\"|l1\r\nl2") << QByteArrayList{" 1 ", "\"a b\"", "l1\r\nl2"};
    QTest::newRow("resposta típica")
        << QByteArray("123456|08000|SAT em operação|||")
        << QByteArrayList{"123456", "08000", "SAT em operação", "", "", ""};
    QTest::newRow("bytes não UTF-8 ficam como vieram")
        << QByteArray("1|\xff\xfe|z") << QByteArrayList{"1", "\xff\xfe", "z"};
}

void TestResposta::separacao() {
    QFETCH(QByteArray, resposta);
    QFETCH(QByteArrayList, esperado);
    QCOMPARE(campos(resposta), esperado);
}

void TestResposta::separacaoAcrescentaSemEsvaziar() {
    QByteArrayList lista{"antes"};
    QCOMPARE(ExtractStrings2(conjunto({'|'}), {}, QByteArray("a|b"), lista), qsizetype(2));
    QCOMPARE(lista, (QByteArrayList{"antes", "a", "b"}));
}

void TestResposta::separacaoDeTextoComBrancos() {
    // A decoded log split at line feeds keeps each line's carriage return; white space
    // is skipped at the start of a field only; characters above 255 never separate.
    QStringList linhas;
    const QString log = QStringLiteral("l1\r\n  l2\r\nĀ\u0100|\n");
    QCOMPARE(ExtractStrings2(conjunto({'\n'}), conjunto({' '}), log, linhas), qsizetype(4));
    QCOMPARE(linhas, (QStringList{QStringLiteral("l1\r"), QStringLiteral("l2\r"), QStringLiteral("Ā\u0100|"),
                                  QString()}));
}

void TestResposta::decodificacao_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("texto");
    QTest::newRow("UTF-8") << QByteArray("Ativação") << QStringLiteral("Ativação");
    QTest::newRow("Latin-1 não é UTF-8") << QByteArray("Ativa\xe7\xe3o") << QStringLiteral("Ativa\uFFFD\uFFFDo");
    QTest::newRow("sequência cortada") << QByteArray("x\xc3") << QStringLiteral("x\uFFFD");
}

void TestResposta::decodificacao() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, texto);
    QCOMPARE(decodificar(bytes), texto);
}

void TestResposta::textoStatus_data() {
    QTest::addColumn<QByteArray>("mensagem");
    QTest::addColumn<QString>("esperado");
    const QByteArray cem10(110, 'a');
    QTest::newRow("vazia") << QByteArray() << QString();
    QTest::newRow("110 caracteres: inteira") << cem10 << QString(110, QLatin1Char('a'));
    QTest::newRow("111 caracteres: 110 e reticências")
        << cem10 + "b" << QString(110, QLatin1Char('a')) + QStringLiteral(" ...");
    // Counted in characters, not bytes: 110 "ç" take 220 bytes and still fit.
    QByteArray cedilhas;
    for (int i = 0; i < 110; ++i)
        cedilhas += "ç";
    QTest::newRow("110 caracteres de dois bytes") << cedilhas << QString(110, QChar(0xE7));
    // A character outside the basic plane counts as one and is never split.
    QByteArray emojis;
    for (int i = 0; i < 111; ++i)
        emojis += "\xF0\x9F\x98\x80";
    QString cortado;
    for (int i = 0; i < 110; ++i)
        cortado += QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("fora do plano básico") << emojis << cortado + QStringLiteral(" ...");
}

void TestResposta::textoStatus() {
    QFETCH(QByteArray, mensagem);
    QFETCH(QString, esperado);
    QCOMPARE(sat::textoStatus(mensagem), esperado);
}

void TestResposta::mensagemSefaz_data() {
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<bool>("mostra");
    QTest::addColumn<QString>("texto");
    QTest::newRow("menos de dois campos") << QByteArray("123456") << false << QString();
    QTest::newRow("08000 sem código SEFAZ") << QByteArray("1|08000|ok|||") << false << QString();
    QTest::newRow("08000 com código SEFAZ") << QByteArray("1|08000|ok|123|Mensagem da SEFAZ|")
                                            << true << QStringLiteral("Código: 123\n\nMensagem da SEFAZ");
    QTest::newRow("sem campo da mensagem") << QByteArray("1|08000|ok|123") << true
                                           << QStringLiteral("Código: 123\n\n");
    QTest::newRow("130 com cinco campos: campo 4 é o código")
        << QByteArray("1|13001|0000|msg|777") << true << QStringLiteral("Código: 777\n\n");
    QTest::newRow("130 com código e mensagem")
        << QByteArray("1|13000|0001|Assinado|888|Aviso|") << true << QStringLiteral("Código: 888\n\nAviso");
    QTest::newRow("130 sem código SEFAZ") << QByteArray("1|13000|0000|Assinado||") << false << QString();
    QTest::newRow("mensagem decodificada")
        << QByteArray("1|08000|ok|9|Opera\xe7\xe3o") << true << QStringLiteral("Código: 9\n\nOpera\uFFFD\uFFFDo");
}

void TestResposta::mensagemSefaz() {
    QFETCH(QByteArray, resposta);
    QFETCH(bool, mostra);
    QFETCH(QString, texto);
    const std::optional<QString> resultado = textoSefaz(campos(resposta));
    QCOMPARE(resultado.has_value(), mostra);
    if (mostra)
        QCOMPARE(*resultado, texto);
}

void TestResposta::mensagemResposta() {
    QCOMPARE(sat::mensagemResposta(campos("1|08097|SAT bloqueado|||")), QStringLiteral("08097: SAT bloqueado"));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, sat::mensagemResposta(campos("1|08097")));
}

void TestResposta::formatXml_data() {
    QTest::addColumn<QString>("entrada");
    QTest::addColumn<QByteArray>("saida");
    QTest::newRow("declaração, aninhamento, texto e vazio")
        << QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe Id=\"CFe1\" versao=\"0.07\">"
                          "<ide><cUF>35</cUF><obs/></ide><total>10.00</total></infCFe></CFe>")
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                      "<CFe>\r\n"
                      "  <infCFe Id=\"CFe1\" versao=\"0.07\">\r\n"
                      "    <ide>\r\n"
                      "      <cUF>35</cUF>\r\n"
                      "      <obs/>\r\n"
                      "    </ide>\r\n"
                      "    <total>10.00</total>\r\n"
                      "  </infCFe>\r\n"
                      "</CFe>\r\n");
    QTest::newRow("standalone mantido, espaços entre elementos descartados")
        << QStringLiteral("<?xml version='1.0' standalone='yes'?>\n<a>\n  <b>x &amp; y</b>\n</a>\n")
        << QByteArray("<?xml version=\"1.0\" standalone=\"yes\"?>\r\n<a>\r\n  <b>x &amp; y</b>\r\n</a>\r\n");
    QTest::newRow("sem declaração, namespace e escapes")
        << QStringLiteral("<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><v a=\"&quot;&lt;\">1</v>"
                          "</Signature>")
        << QByteArray("<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">\r\n"
                      "  <v a=\"&quot;&lt;\">1</v>\r\n"
                      "</Signature>\r\n");
    QTest::newRow("texto misto fica na ordem")
        << QStringLiteral("<a>x<b/>y</a>") << QByteArray("<a>\r\n  x\r\n  <b/>\r\n  y\r\n</a>\r\n");
}

void TestResposta::formatXml() {
    QFETCH(QString, entrada);
    QFETCH(QByteArray, saida);
    QCOMPARE(FormatXMLString(entrada).toUtf8(), saida);
}

void TestResposta::formatXmlDoProprioResultado_data() {
    QTest::addColumn<QString>("entrada");
    QTest::addColumn<QByteArray>("saida");
    QTest::newRow("instrução sem dados") << QStringLiteral("<?alvo?><a/>") << QByteArray("<?alvo?>\r\n<a/>\r\n");
    QTest::newRow("instrução com dados") << QStringLiteral("<a><?pi dados?></a>")
                                         << QByteArray("<a>\r\n  <?pi dados?>\r\n</a>\r\n");
    // Found by fuzzing: a carriage return in text came back as a line feed.
    QTest::newRow("retorno de carro no texto")
        << QStringLiteral("<CFe>&#13;</CFe>") << QByteArray("<CFe>&#13;</CFe>\r\n");
    QTest::newRow("retorno de carro entre linhas")
        << QStringLiteral("<a>x&#13;\ny</a>") << QByteArray("<a>x&#13;\ny</a>\r\n");
    // Found by fuzzing: a target the reader takes without data but refuses before a blank.
    QTest::newRow("alvo com U+FFFD, sem dados")
        << QStringLiteral("<?x-\uFFFD\uFFFDver?><a/>") << QByteArray("<?x-\xEF\xBF\xBD\xEF\xBF\xBDver?>\r\n<a/>\r\n");
}

void TestResposta::formatXmlDoProprioResultado() {
    QFETCH(QString, entrada);
    QFETCH(QByteArray, saida);
    const QString formatado = FormatXMLString(entrada);
    QCOMPARE(formatado.toUtf8(), saida);
    QCOMPARE(FormatXMLString(formatado), formatado);
}

void TestResposta::formatXmlInvalido() {
    try {
        FormatXMLString(QStringLiteral("<a><b></a>"));
        QFAIL("a document that is not well-formed must raise");
    } catch (const std::runtime_error& e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("linha 1")), e.what());
    }
}

void TestResposta::escapeDeTexto_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("escapado");
    QTest::newRow("vazio") << QString() << QString();
    QTest::newRow("algarismos e Base64 ficam como estão")
        << QStringLiteral("11222333000181 aB+/09==") << QStringLiteral("11222333000181 aB+/09==");
    QTest::newRow("acentos ficam") << QStringLiteral("Ativação") << QStringLiteral("Ativação");
    QTest::newRow("e comercial") << QStringLiteral("a&b") << QStringLiteral("a&amp;b");
    QTest::newRow("uma etiqueta não abre elemento")
        << QStringLiteral("</signAC><x>") << QStringLiteral("&lt;/signAC&gt;&lt;x&gt;");
    QTest::newRow("referência já escrita é escapada de novo")
        << QStringLiteral("&amp;") << QStringLiteral("&amp;amp;");
    QTest::newRow("aspas e quebras são texto comum")
        << QStringLiteral("\"'\t\n") << QStringLiteral("\"'\t\n");
}

void TestResposta::escapeDeTexto() {
    QFETCH(QString, texto);
    QFETCH(QString, escapado);
    QCOMPARE(escaparTexto(texto), escapado);
}

void TestResposta::formatXmlCaractereProibido_data() {
    QTest::addColumn<QString>("entrada");
    QTest::addColumn<QString>("lugar");
    // Found by fuzzing: the stream reader takes a NUL inside a processing instruction's
    // target, and the text written from it did not read again.
    QTest::newRow("NUL no alvo de uma instrução")
        << QStringLiteral("<?x-l") + QChar(0) + QStringLiteral("ver?><a/>") << QStringLiteral("linha 1, coluna 6");
    QTest::newRow("NUL no texto") << QStringLiteral("<a>x") + QChar(0) + QStringLiteral("</a>")
                                  << QStringLiteral("linha 1, coluna 5");
    QTest::newRow("controle na segunda linha") << QStringLiteral("<a>\n<b>\x01</b></a>")
                                               << QStringLiteral("linha 2, coluna 4");
    QTest::newRow("U+FFFF") << QStringLiteral("<a>\uFFFF</a>") << QStringLiteral("linha 1, coluna 4");
    QTest::newRow("meio par de substitutos") << QStringLiteral("<a>") + QChar(0xD800) + QStringLiteral("</a>")
                                             << QStringLiteral("linha 1, coluna 4");
}

void TestResposta::formatXmlCaractereProibido() {
    QFETCH(QString, entrada);
    QFETCH(QString, lugar);
    try {
        FormatXMLString(entrada);
        QFAIL("a character XML cannot carry must raise");
    } catch (const std::runtime_error& e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(lugar), e.what());
    }
}

void TestResposta::formatXmlCaracteresPermitidos() {
    // Tab, line feed, carriage return and characters beyond the basic plane are XML.
    QCOMPARE(FormatXMLString(QStringLiteral("<a>\t\U0001F600</a>")).toUtf8(),
             QByteArray("<a>\t\xF0\x9F\x98\x80</a>\r\n"));
}

QTEST_APPLESS_MAIN(TestResposta)
#include "tst_resposta.moc"
