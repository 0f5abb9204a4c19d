// The library helper's cost and the window's liveliness while it works:
//  - a consult through the helper beside the same consult in this process (the
//    yardstick): the difference is what the pipe adds to every call;
//  - a 50 MB answer crossing the pipe, in MB/s, beside the same answer copied in this
//    process;
//  - how long a paint asked for during a long call waits for the window to paint it.
// Uses the small test libraries the build makes (testlibs/).
#include "app/tfativacao.h"
#include "interacaoroteirizada.h"
#include "sat/executorremoto.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace {

QString hospedeiro() { return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sat-host")); }

const sat::Invocacao consulta{sat::indiceDaFuncao(&sat::FuncoesSAT::ConsultarSAT), 123456, {}};

void carregar(sat::Executor& executor, const char* biblioteca, benchmark::State& state) {
    QString erro;
    if (!executor.carregar(QString::fromUtf8(biblioteca), erro))
        state.SkipWithError(qPrintable(erro));
}

void BM_ConsultaNesteProcesso(benchmark::State& state) {
    sat::ExecutorLocal executor;
    carregar(executor, SATTESTE_COMPLETA, state);
    for (auto _ : state)
        benchmark::DoNotOptimize(executor.chamar(consulta));
}
BENCHMARK(BM_ConsultaNesteProcesso)->Unit(benchmark::kMicrosecond);

void BM_ConsultaNoHospedeiro(benchmark::State& state) {
    sat::ExecutorRemoto executor(hospedeiro());
    carregar(executor, SATTESTE_COMPLETA, state);
    for (auto _ : state)
        benchmark::DoNotOptimize(executor.chamar(consulta));
}
BENCHMARK(BM_ConsultaNoHospedeiro)->Unit(benchmark::kMicrosecond);

constexpr long tamanhoGrande = 50L * 1000 * 1000;

void BM_Resposta50MBNesteProcesso(benchmark::State& state) {
    qputenv("SATTESTE_FALHA", "ConsultarSAT=grande:" + QByteArray::number(tamanhoGrande));
    sat::ExecutorLocal executor;
    carregar(executor, SATTESTE_FALHA, state);
    executor.chamar(consulta); // the library makes its answer once, outside the timing
    for (auto _ : state)
        benchmark::DoNotOptimize(executor.chamar(consulta));
    state.SetBytesProcessed(state.iterations() * tamanhoGrande);
}
BENCHMARK(BM_Resposta50MBNesteProcesso)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Resposta50MBNoHospedeiro(benchmark::State& state) {
    qputenv("SATTESTE_FALHA", "ConsultarSAT=grande:" + QByteArray::number(tamanhoGrande));
    sat::ExecutorRemoto executor(hospedeiro());
    carregar(executor, SATTESTE_FALHA, state);
    executor.chamar(consulta); // the library makes its answer once, outside the timing
    for (auto _ : state) {
        const sat::RespostaSat r = executor.chamar(consulta);
        if (r.bytes.size() != tamanhoGrande)
            state.SkipWithError("the answer did not arrive whole");
    }
    state.SetBytesProcessed(state.iterations() * tamanhoGrande);
}
BENCHMARK(BM_Resposta50MBNoHospedeiro)->Unit(benchmark::kMillisecond)->UseRealTime();

// During one consult that takes state.range(0) ms, a paint of the status bar is asked
// for every 20 ms; each is timed from the request to the paint. Reports the longest
// wait and how many paints there were.
class MedePinturas final : public QObject {
public:
    QElapsedTimer relogio;
    qint64 pedido = -1;
    qint64 maiorEspera = 0;
    int pinturas = 0;
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::Paint && pedido >= 0) {
            maiorEspera = std::max(maiorEspera, relogio.elapsed() - pedido);
            pedido = -1;
            ++pinturas;
        }
        return QObject::eventFilter(objeto, evento);
    }
};

void BM_PinturaDuranteChamadaLonga(benchmark::State& state) {
    qputenv("SATTESTE_FALHA", "ConsultarSAT=dorme:" + QByteArray::number(state.range(0)));
    QTemporaryDir pasta;
    QFile::copy(QStringLiteral(SATTESTE_FALHA), pasta.filePath(QStringLiteral("SAT_x64.DLL")));
    InteracaoRoteirizada ui;
    TFAtivacao janela(ui, {pasta.path(), std::nullopt, pasta.filePath(QStringLiteral("Parametros.xml"))});
    janela.show();
    MedePinturas medida;
    janela.statusBar()->installEventFilter(&medida);
    QTimer pedir;
    pedir.setInterval(20);
    QObject::connect(&pedir, &QTimer::timeout, [&] {
        if (medida.pedido < 0)
            medida.pedido = medida.relogio.elapsed();
        janela.statusBar()->update();
    });
    for (auto _ : state) {
        medida.relogio.start();
        pedir.start();
        janela.findChild<QPushButton*>(QStringLiteral("BtnPrincipal"))->click();
        pedir.stop();
    }
    state.counters["maior_espera_ms"] = static_cast<double>(medida.maiorEspera);
    state.counters["pinturas"] = medida.pinturas;
}
BENCHMARK(BM_PinturaDuranteChamadaLonga)->Arg(60000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
