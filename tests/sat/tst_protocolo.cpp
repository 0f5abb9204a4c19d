// The frames between the console and the library helper: what one side writes the
// other reads back, and what is malformed is refused rather than trusted.
#include "sat/protocolo.h"

#include <QTest>

namespace protocolo = sat::protocolo;

Q_DECLARE_METATYPE(std::string)

class TestProtocolo : public QObject {
    Q_OBJECT
private slots:
    void cabecalho_data();
    void cabecalho();
    void pedidoDeChamadaIdaEVolta();
    void pedidoDeCarga();
    void pedidosMalformados_data();
    void pedidosMalformados();
    void respostasDeCarga();
    void respostasDeChamada_data();
    void respostasDeChamada();
};

void TestProtocolo::cabecalho_data() {
    QTest::addColumn<quint32>("comprimento");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("zero") << quint32{0} << QByteArray("\0\0\0\0", 4);
    QTest::newRow("little-endian") << quint32{0x01020304} << QByteArray("\x04\x03\x02\x01", 4);
    QTest::newRow("o limite") << protocolo::limiteDoQuadro << QByteArray("\0\0\0\x20", 4);
    QTest::newRow("o maior de todos") << quint32{0xffffffff} << QByteArray("\xff\xff\xff\xff", 4);
}

void TestProtocolo::cabecalho() {
    QFETCH(quint32, comprimento);
    QFETCH(QByteArray, bytes);
    char escrito[4];
    protocolo::escreverCabecalho(escrito, comprimento);
    QCOMPARE(QByteArray(escrito, 4), bytes);
    QCOMPARE(protocolo::lerCabecalho(bytes.constData()), comprimento);
}

void TestProtocolo::pedidoDeChamadaIdaEVolta() {
    const sat::Invocacao chamada{14,
                                 123456,
                                 {1,
                                  std::string("c\xf3"
                                              "digo"),
                                  std::string("a\0b", 3), -35, std::string()}};
    const std::optional<protocolo::Pedido> lido = protocolo::lerPedido(protocolo::pedidoChamar(chamada));
    QVERIFY(lido);
    QVERIFY(lido->tipo == protocolo::Pedido::Tipo::Chamar);
    QCOMPARE(lido->chamada.indice, 14);
    QCOMPARE(lido->chamada.sessao, 123456);
    QVERIFY(lido->chamada.argumentos == chamada.argumentos);
}

void TestProtocolo::pedidoDeCarga() {
    const std::string caminho = "/opt/sat/São Paulo/SAT_x64.DLL";
    const std::optional<protocolo::Pedido> lido = protocolo::lerPedido(protocolo::pedidoCarregar(caminho));
    QVERIFY(lido);
    QVERIFY(lido->tipo == protocolo::Pedido::Tipo::Carregar);
    QCOMPARE(lido->caminho, caminho);
}

void TestProtocolo::pedidosMalformados_data() {
    QTest::addColumn<std::string>("conteudo");
    const std::string bom = protocolo::pedidoChamar({7, 1, {std::string("12345678"), std::string("111"), 2}});
    QTest::newRow("vazio") << std::string();
    QTest::newRow("tipo desconhecido") << std::string("X");
    QTest::newRow("carga sem caminho") << std::string("L");
    QTest::newRow("caminho com NUL") << std::string("L/tmp/a\0b", 9);
    QTest::newRow("chamada sem corpo") << std::string("C");
    QTest::newRow("cortado no meio de um texto") << bom.substr(0, bom.size() - 10);
    QTest::newRow("byte a mais no fim") << bom + 'x';
    QTest::newRow("argumento de espécie desconhecida")
        << std::string("C") + std::string(8, '\0') + std::string("\x01\0\0\0", 4) + "z";
    QTest::newRow("texto mais longo que o quadro") << std::string("C") + std::string(8, '\0') +
                                                          std::string("\x01\0\0\0", 4) + "t" +
                                                          std::string("\xff\xff\xff\x7f", 4) + "abc";
    QTest::newRow("argumentos demais")
        << std::string("C") + std::string(8, '\0') + std::string("\xff\0\0\0", 4);
}

void TestProtocolo::pedidosMalformados() {
    QFETCH(std::string, conteudo);
    QVERIFY(!protocolo::lerPedido(conteudo));
}

void TestProtocolo::respostasDeCarga() {
    const auto ok = protocolo::lerRespostaCarga(protocolo::respostaCarga({true, 0x1fffe, {}}));
    QVERIFY(ok && ok->carregada);
    QCOMPARE(ok->funcoes, quint32{0x1fffe});

    const auto falha =
        protocolo::lerRespostaCarga(protocolo::respostaCarga({false, 0, "invalid ELF header"}));
    QVERIFY(falha && !falha->carregada);
    QCOMPARE(falha->erro, std::string("invalid ELF header"));

    QVERIFY(!protocolo::lerRespostaCarga(""));
    QVERIFY(!protocolo::lerRespostaCarga("C\x01"));  // mask cut short
    QVERIFY(!protocolo::lerRespostaCarga("C12345")); // a byte too many
    QVERIFY(!protocolo::lerRespostaCarga("?"));
}

void TestProtocolo::respostasDeChamada_data() {
    QTest::addColumn<std::string>("conteudo");
    QTest::addColumn<bool>("valida");
    QTest::addColumn<char>("desfecho");
    QTest::addColumn<std::string>("bytes");
    QTest::newRow("texto, bytes intocados") << std::string("R000001|08000|\xe7\xe3o|||\r\n") << true << 'R'
                                            << std::string("000001|08000|\xe7\xe3o|||\r\n");
    QTest::newRow("texto vazio") << std::string("R") << true << 'R' << std::string();
    QTest::newRow("nula") << std::string("N") << true << 'N' << std::string();
    QTest::newRow("sem a função") << std::string("S") << true << 'S' << std::string();
    QTest::newRow("grande demais") << std::string("G") << true << 'G' << std::string();
    QTest::newRow("nula com sobra") << std::string("Nx") << false << '\0' << std::string();
    QTest::newRow("desconhecido") << std::string("Z") << false << '\0' << std::string();
    QTest::newRow("vazio") << std::string() << false << '\0' << std::string();
}

void TestProtocolo::respostasDeChamada() {
    QFETCH(std::string, conteudo);
    QFETCH(bool, valida);
    QFETCH(char, desfecho);
    QFETCH(std::string, bytes);
    const auto lida = protocolo::lerRespostaChamada(conteudo);
    QCOMPARE(lida.has_value(), valida);
    if (!valida)
        return;
    QCOMPARE(static_cast<char>(lida->desfecho), desfecho);
    QCOMPARE(std::string(lida->bytes), bytes);
}

QTEST_APPLESS_MAIN(TestProtocolo)
#include "tst_protocolo.moc"
