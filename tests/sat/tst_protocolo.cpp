// The frames between the console and the library helper: what one side writes the
// other reads back, and what is malformed is refused rather than trusted.
#include "sat/protocolo.h"

#include <QTest>

namespace protocolo = sat::protocolo;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(protocolo::Convencao)

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
    void nomesExportados_data();
    void nomesExportados();
    void palavrasDaChamada();
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
    QTest::addColumn<protocolo::Convencao>("convencao");
    QTest::newRow("texto, bytes intocados")
        << std::string("R000001|08000|\xe7\xe3o|||\r\n") << true << 'R'
        << std::string("000001|08000|\xe7\xe3o|||\r\n") << protocolo::Convencao::Desconhecida;
    QTest::newRow("texto vazio") << std::string("R") << true << 'R' << std::string()
                                 << protocolo::Convencao::Desconhecida;
    QTest::newRow("texto de uma função stdcall")
        << std::string("P000002|08000|ok||") << true << 'R' << std::string("000002|08000|ok||")
        << protocolo::Convencao::Stdcall;
    QTest::newRow("texto de uma função cdecl")
        << std::string("D000003|08000|ok||") << true << 'R' << std::string("000003|08000|ok||")
        << protocolo::Convencao::Cdecl;
    QTest::newRow("nula") << std::string("N") << true << 'N' << std::string()
                          << protocolo::Convencao::Desconhecida;
    QTest::newRow("sem a função") << std::string("S") << true << 'S' << std::string()
                                  << protocolo::Convencao::Desconhecida;
    QTest::newRow("grande demais") << std::string("G") << true << 'G' << std::string()
                                   << protocolo::Convencao::Desconhecida;
    QTest::newRow("nula com sobra") << std::string("Nx") << false << '\0' << std::string()
                                    << protocolo::Convencao::Desconhecida;
    QTest::newRow("desconhecido") << std::string("Z") << false << '\0' << std::string()
                                  << protocolo::Convencao::Desconhecida;
    QTest::newRow("vazio") << std::string() << false << '\0' << std::string()
                           << protocolo::Convencao::Desconhecida;
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
    QFETCH(protocolo::Convencao, convencao);
    QCOMPARE(lida->convencao, convencao);
    // The helper's side: the first byte it writes for a text seen under that convention.
    if (lida->desfecho == protocolo::Desfecho::Texto)
        QCOMPARE(protocolo::primeiroDoTexto(convencao), conteudo[0]);
}

void TestProtocolo::nomesExportados_data() {
    QTest::addColumn<int>("indice");
    QTest::addColumn<std::string>("nomes"); // in the order tried, one blank apart
    QTest::newRow("um argumento") << sat::indiceDaFuncao(&sat::FuncoesSAT::ConsultarSAT)
                                  << std::string("ConsultarSAT _ConsultarSAT@4 ConsultarSAT@4 _ConsultarSAT");
    QTest::newRow("cinco argumentos") << sat::indiceDaFuncao(&sat::FuncoesSAT::AtivarSAT)
                                      << std::string("AtivarSAT _AtivarSAT@20 AtivarSAT@20 _AtivarSAT");
    QTest::newRow("a primeira") << 0
                                << std::string(
                                       "ComunicarCertificadoICPBRASIL _ComunicarCertificadoICPBRASIL@12 "
                                       "ComunicarCertificadoICPBRASIL@12 _ComunicarCertificadoICPBRASIL");
    QTest::newRow("fora da tabela") << sat::numeroDeFuncoes << std::string();
    QTest::newRow("negativo") << -1 << std::string();
}

void TestProtocolo::nomesExportados() {
    QFETCH(int, indice);
    QFETCH(std::string, nomes);
    std::string vistos;
    for (const std::string& nome : sat::nomesExportados(indice))
        vistos += (vistos.empty() ? "" : " ") + nome;
    QCOMPARE(vistos, nomes);
}

void TestProtocolo::palavrasDaChamada() {
    const int ativar = sat::indiceDaFuncao(&sat::FuncoesSAT::AtivarSAT);
    const sat::Invocacao chamada{ativar, 9, {1, std::string("codigo"), std::string("cnpj"), -35}};
    std::vector<std::uint32_t> palavras{7};
    QCOMPARE(sat::palavrasDaChamada(chamada, palavras), sat::ResultadoInvocacao::Respondida);
    QCOMPARE(palavras.size(), std::size_t{5});
    QCOMPARE(palavras[0], 9u);
    QCOMPARE(palavras[1], 1u);
    QCOMPARE(palavras[4], static_cast<std::uint32_t>(-35));
    // The texts go as the addresses of the request's own copies.
    const auto endereco = [&](int i) {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(
            std::get<std::string>(chamada.argumentos[std::size_t(i)]).c_str()));
    };
    QCOMPARE(palavras[2], endereco(1));
    QCOMPARE(palavras[3], endereco(2));

    // Nothing is pushed for arguments that do not fit, nor for a slot outside the table.
    QCOMPARE(sat::palavrasDaChamada({ativar, 9, {1, 2, std::string("cnpj"), 35}}, palavras),
             sat::ResultadoInvocacao::ArgumentosErrados);
    QVERIFY(palavras.empty());
    QCOMPARE(sat::palavrasDaChamada({ativar, 9, {1}}, palavras), sat::ResultadoInvocacao::ArgumentosErrados);
    QVERIFY(palavras.empty());
    QCOMPARE(sat::palavrasDaChamada({sat::numeroDeFuncoes, 9, {}}, palavras),
             sat::ResultadoInvocacao::SemFuncao);
    QVERIFY(palavras.empty());
}

QTEST_APPLESS_MAIN(TestProtocolo)
#include "tst_protocolo.moc"
