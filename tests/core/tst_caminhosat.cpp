// The road of a device call, without any window: session number first, texts in the
// 8-bit code page, the answer copied, and the calls that must not be made.
#include "core/caminhosat.h"
#include "bibliotecaroteirizada.h"
#include "interacaoroteirizada.h"

#include <cstring>
#include <QTest>
#include <stdexcept>

namespace {

// What happened, in order: the observer's two moments and the library's call.
QStringList eventos;

class ObservadorRegistra final : public ObservadorDoCaminho {
public:
    void antesDaChamada() override { eventos.append(QStringLiteral("antes")); }
    void depoisDaChamada(const QString& numsessao, const QByteArray& retorno) override {
        eventos.append(QStringLiteral("depois %1 %2").arg(numsessao, QString::fromLatin1(retorno)));
    }
};

// A library that answers from one buffer of its own and reuses it at every call.
char bufferDaBiblioteca[64];
const char* SAT_CALL consultaComBuffer(int sessao) {
    eventos.append(QStringLiteral("chamada %1").arg(sessao));
    std::snprintf(bufferDaBiblioteca, sizeof bufferDaBiblioteca, "%06d|08000|ok|||", sessao);
    return bufferDaBiblioteca;
}

// The clock of every draw stands at midnight: the first number is "000001".
sat::GeradorSessao geradorDaMeiaNoite() {
    return sat::GeradorSessao([] { return QTime(0, 0); });
}

class ExecutorQueFalha final : public sat::Executor {
public:
    bool carregar(const QString&, QString&) override { return true; }
    bool vinculada() const override { return true; }
    bool possui(int) const override { return true; }
    sat::RespostaSat chamar(const sat::Invocacao&) override { throw std::runtime_error("canal perdido"); }
};

// An executor whose every call ends as told.
class ExecutorQueResponde final : public sat::Executor {
public:
    explicit ExecutorQueResponde(sat::RespostaSat resposta) : resposta_(std::move(resposta)) {}
    bool carregar(const QString&, QString&) override { return true; }
    bool vinculada() const override { return true; }
    bool possui(int) const override { return true; }
    sat::RespostaSat chamar(const sat::Invocacao&) override { return resposta_; }

private:
    sat::RespostaSat resposta_;
};

} // namespace

class TestCaminhoSat : public QObject {
    Q_OBJECT
private slots:
    void init();

    void chamadaNaOrdemCerta();
    void numeroDeSessaoPrimeiro();
    void argumentos_data();
    void argumentos();
    void respostaCopiadaNaHora();
    void respostaNulaEAvisada();
    void funcaoAusenteNaoEChamada();
    void semBibliotecaNadaEChamado();
    void falhaDoExecutorDevolveOEstadoNormal();
    void chamadaQueNaoTerminou_data();
    void chamadaQueNaoTerminou();
    void invocacaoConfereOsArgumentos_data();
    void invocacaoConfereOsArgumentos();

private:
    InteracaoRoteirizada ui_;
    ObservadorRegistra observador_;
};

void TestCaminhoSat::init() {
    ui_ = InteracaoRoteirizada();
    eventos.clear();
    roteiro::limpar();
}

void TestCaminhoSat::chamadaNaOrdemCerta() {
    sat::FuncoesSAT funcoes;
    funcoes.ConsultarSAT = &consultaComBuffer;
    CaminhoSat caminho(ui_, std::make_unique<sat::ExecutorLocal>(funcoes), geradorDaMeiaNoite());
    caminho.definirObservador(&observador_);

    QVERIFY(caminho.chamar(&sat::FuncoesSAT::ConsultarSAT));
    QCOMPARE(eventos, (QStringList{QStringLiteral("antes"), QStringLiteral("chamada 1"),
                                   QStringLiteral("depois 000001 000001|08000|ok|||")}));
    QVERIFY(ui_.exibidos.isEmpty());
}

void TestCaminhoSat::numeroDeSessaoPrimeiro() {
    CaminhoSat caminho(ui_, std::make_unique<sat::ExecutorLocal>(roteiro::funcoes()));
    QVERIFY(caminho.numsessao().isEmpty());
    QStringList numeros;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(caminho.chamar(&sat::FuncoesSAT::ConsultarStatusOperacional, QStringLiteral("12345678")));
        QCOMPARE(caminho.numsessao().size(), 6);
        QCOMPARE(roteiro::chamadas().last().sessao, caminho.numsessao().toInt());
        QCOMPARE(caminho.sessoes().sessoesusadas()[static_cast<std::size_t>(i)], caminho.numsessao());
        numeros.append(caminho.numsessao());
    }
    numeros.removeDuplicates();
    QCOMPARE(numeros.size(), 3);
}

void TestCaminhoSat::argumentos_data() {
    QTest::addColumn<QString>("funcao");
    QTest::addColumn<QVariantList>("recebidos");
    QTest::newRow("AtivarSAT: inteiros e textos acentuados em 8 bits")
        << "AtivarSAT"
        << QVariantList{1,
                        QByteArray("c\xf3"
                                   "digo"),
                        QByteArray("11222333000181"), 35};
    QTest::newRow("TrocarCodigoDeAtivacao: opção no meio dos textos")
        << "TrocarCodigoDeAtivacao"
        << QVariantList{QByteArray("atual123"), 2,
                        QByteArray("n\xe3"
                                   "o \x80"),
                        QByteArray("n\xe3"
                                   "o \x80")};
    QTest::newRow("ConsultarNumeroSessao: número consultado como inteiro")
        << "ConsultarNumeroSessao" << QVariantList{QByteArray("12345678"), 42};
    QTest::newRow("caractere fora do código de página vira ?")
        << "ConsultarStatusOperacional" << QVariantList{QByteArray("?-ok")};
}

void TestCaminhoSat::argumentos() {
    QFETCH(QString, funcao);
    QFETCH(QVariantList, recebidos);
    CaminhoSat caminho(ui_, std::make_unique<sat::ExecutorLocal>(roteiro::funcoes()));
    roteiro::responder(QByteArray("{sessao}|00000|ok|||"));

    bool respondida = false;
    if (funcao == QLatin1String("AtivarSAT"))
        respondida = caminho.chamar(&sat::FuncoesSAT::AtivarSAT, 1, QStringLiteral("código"),
                                    QStringLiteral("11222333000181"), 35);
    else if (funcao == QLatin1String("TrocarCodigoDeAtivacao"))
        respondida = caminho.chamar(&sat::FuncoesSAT::TrocarCodigoDeAtivacao, QStringLiteral("atual123"), 2,
                                    QStringLiteral("não €"), QStringLiteral("não €"));
    else if (funcao == QLatin1String("ConsultarNumeroSessao"))
        respondida = caminho.chamar(&sat::FuncoesSAT::ConsultarNumeroSessao, QStringLiteral("12345678"), 42);
    else
        respondida = caminho.chamar(&sat::FuncoesSAT::ConsultarStatusOperacional, QStringLiteral("✓-ok"));

    QVERIFY(respondida);
    QCOMPARE(roteiro::chamadas().size(), 1);
    const roteiro::Chamada& c = roteiro::chamadas().first();
    QCOMPARE(c.funcao, funcao);
    QCOMPARE(c.sessao, caminho.numsessao().toInt());
    QCOMPARE(c.argumentos, recebidos);
    QCOMPARE(caminho.retorno(), caminho.numsessao().toLatin1() + "|00000|ok|||");
}

void TestCaminhoSat::respostaCopiadaNaHora() {
    sat::FuncoesSAT funcoes;
    funcoes.ConsultarSAT = &consultaComBuffer;
    CaminhoSat caminho(ui_, std::make_unique<sat::ExecutorLocal>(funcoes));
    QVERIFY(caminho.chamar(&sat::FuncoesSAT::ConsultarSAT));
    const QByteArray primeira = caminho.numsessao().toLatin1() + "|08000|ok|||";
    QCOMPARE(caminho.retorno(), primeira);
    // The library writes over its buffer afterwards: the copy does not change.
    std::strcpy(bufferDaBiblioteca, "reutilizado");
    QCOMPARE(caminho.retorno(), primeira);
}

void TestCaminhoSat::respostaNulaEAvisada() {
    CaminhoSat caminho(ui_, std::make_unique<sat::ExecutorLocal>(roteiro::funcoes()));
    caminho.definirObservador(&observador_);
    roteiro::responder(QByteArray("anterior"));
    QVERIFY(caminho.chamar(&sat::FuncoesSAT::ConsultarSAT));
    eventos.clear();

    roteiro::responder(std::nullopt);
    QVERIFY(!caminho.chamar(&sat::FuncoesSAT::ConsultarSAT));
    QCOMPARE(caminho.retorno(), QByteArray());
    QCOMPARE(roteiro::chamadas().size(), 2);
    // The waiting state ends as after any call, before the user is told.
    QCOMPARE(eventos,
             (QStringList{QStringLiteral("antes"), QStringLiteral("depois %1 ").arg(caminho.numsessao())}));
    QCOMPARE(ui_.mensagens(),
             QStringList{QStringLiteral("A biblioteca SAT não devolveu resposta à função ConsultarSAT.")});
}

void TestCaminhoSat::funcaoAusenteNaoEChamada() {
    sat::FuncoesSAT funcoes = roteiro::funcoes();
    funcoes.BloquearSAT = nullptr;
    CaminhoSat caminho(ui_, std::make_unique<sat::ExecutorLocal>(funcoes));
    caminho.definirObservador(&observador_);
    QVERIFY(!caminho.chamar(&sat::FuncoesSAT::BloquearSAT, QStringLiteral("12345678")));
    QVERIFY(roteiro::chamadas().isEmpty());
    QVERIFY(eventos.isEmpty());             // no waiting state
    QVERIFY(caminho.numsessao().isEmpty()); // no session number drawn
    QCOMPARE(ui_.mensagens(),
             QStringList{QStringLiteral("A biblioteca SAT carregada não possui a função BloquearSAT.")});
}

void TestCaminhoSat::semBibliotecaNadaEChamado() {
    CaminhoSat caminho(ui_);
    caminho.definirObservador(&observador_);
    QVERIFY(!caminho.executor().vinculada());
    QVERIFY(!caminho.chamar(&sat::FuncoesSAT::ConsultarSAT));
    QVERIFY(eventos.isEmpty());
    QVERIFY(caminho.numsessao().isEmpty());
    QCOMPARE(ui_.mensagens(),
             QStringList{QStringLiteral(
                 "Nenhuma biblioteca SAT está carregada: a função ConsultarSAT não pode ser chamada.")});
}

void TestCaminhoSat::falhaDoExecutorDevolveOEstadoNormal() {
    CaminhoSat caminho(ui_, std::make_unique<ExecutorQueFalha>(), geradorDaMeiaNoite());
    caminho.definirObservador(&observador_);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, caminho.chamar(&sat::FuncoesSAT::ConsultarSAT));
    QCOMPARE(eventos, (QStringList{QStringLiteral("antes"), QStringLiteral("depois 000001 ")}));
    QCOMPARE(caminho.retorno(), QByteArray());
}

void TestCaminhoSat::chamadaQueNaoTerminou_data() {
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("interrompida")
        << int(sat::RespostaSat::Tipo::Interrompida)
        << "A biblioteca SAT parou durante a função ExtrairLogs (falha de segmentação).\n\n"
           "O estado do SAT é desconhecido: a operação pode ter sido feita ou não. Consulte "
           "o SAT (botão \"Consultar SAT\") antes de repeti-la. A biblioteca será carregada "
           "de novo no próximo comando.";
    QTest::newRow("indisponível") << int(sat::RespostaSat::Tipo::Indisponivel)
                                  << "A função ExtrairLogs não foi chamada: falha de segmentação.";
}

void TestCaminhoSat::chamadaQueNaoTerminou() {
    QFETCH(int, tipo);
    QFETCH(QString, mensagem);
    CaminhoSat caminho(
        ui_,
        std::make_unique<ExecutorQueResponde>(sat::RespostaSat{
            static_cast<sat::RespostaSat::Tipo>(tipo), "ignorada", QStringLiteral("falha de segmentação")}),
        geradorDaMeiaNoite());
    caminho.definirObservador(&observador_);
    QVERIFY(!caminho.chamar(&sat::FuncoesSAT::ExtrairLogs, QStringLiteral("12345678")));
    QCOMPARE(caminho.retorno(), QByteArray());
    QCOMPARE(caminho.chamadaEmCurso(), QString());
    QCOMPARE(eventos, (QStringList{QStringLiteral("antes"), QStringLiteral("depois 000001 ")}));
    QCOMPARE(ui_.mensagens(), QStringList{mensagem});
}

void TestCaminhoSat::invocacaoConfereOsArgumentos_data() {
    QTest::addColumn<int>("indice");
    QTest::addColumn<int>("argumentosDados"); // how many of the ones below are passed
    QTest::addColumn<bool>("textoNoLugarDoInteiro");
    QTest::addColumn<int>("resultado");
    const int ativar = sat::indiceDaFuncao(&sat::FuncoesSAT::AtivarSAT);
    QTest::newRow("certa") << ativar << 4 << false << int(sat::ResultadoInvocacao::Respondida);
    QTest::newRow("um argumento a menos")
        << ativar << 3 << false << int(sat::ResultadoInvocacao::ArgumentosErrados);
    QTest::newRow("texto onde vai inteiro")
        << ativar << 4 << true << int(sat::ResultadoInvocacao::ArgumentosErrados);
    QTest::newRow("fora da tabela") << 17 << 4 << false << int(sat::ResultadoInvocacao::SemFuncao);
    QTest::newRow("SetDriver ausente") << sat::indiceDaFuncao(&sat::FuncoesSAT::SetDriver) << 1 << false
                                       << int(sat::ResultadoInvocacao::SemFuncao);
}

void TestCaminhoSat::invocacaoConfereOsArgumentos() {
    QFETCH(int, indice);
    QFETCH(int, argumentosDados);
    QFETCH(bool, textoNoLugarDoInteiro);
    QFETCH(int, resultado);
    sat::FuncoesSAT funcoes = roteiro::funcoes();
    funcoes.SetDriver = nullptr;
    std::vector<sat::ArgumentoSat> todos{textoNoLugarDoInteiro ? sat::ArgumentoSat(std::string("1")) : 1,
                                         std::string("12345678"), std::string("11222333000181"), 35};
    todos.resize(static_cast<std::size_t>(argumentosDados));
    const char* resposta = "intocada";
    QCOMPARE(int(sat::invocar(funcoes, {indice, 7, todos}, resposta)), resultado);
    QCOMPARE(roteiro::chamadas().size(), resultado == int(sat::ResultadoInvocacao::Respondida) ? 1 : 0);
    if (resultado != int(sat::ResultadoInvocacao::Respondida))
        QCOMPARE(resposta, nullptr);
    else
        QCOMPARE(roteiro::chamadas().first().argumentos,
                 (QVariantList{1, QByteArray("12345678"), QByteArray("11222333000181"), 35}));
}

QTEST_MAIN(TestCaminhoSat)
#include "tst_caminhosat.moc"
