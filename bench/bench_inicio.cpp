// Start-up time: from the start of a process to its main window's first paint. The
// console (with the emulated device beside it) is measured against a bare Qt main
// window of the same size that also ends at its first paint; the two start in turn,
// in the same run, so that the machine's noise falls on both alike. The figure that
// counts is the ratio of their medians.
#include "app/inicio.h"
#include "app/tfativacao.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr const char* modoConsole = "--iniciar-e-sair";
constexpr const char* modoJanelaNua = "--janela-nua-e-sair";

// Ends the run at a window's first paint.
class FimNaPrimeiraPintura final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::Paint)
            QCoreApplication::quit();
        return QObject::eventFilter(objeto, evento);
    }
};

int console(int& argc, char** argv) {
    return executarConsole(argc, argv, [](TFAtivacao& janela) {
        janela.installEventFilter(new FimNaPrimeiraPintura(&janela));
    });
}

int janelaNua(int& argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow janela;
    janela.resize(668, 426);
    janela.installEventFilter(new FimNaPrimeiraPintura(&janela));
    janela.show();
    return QApplication::exec();
}

// Milliseconds from starting the program in `modo` to its end, or a negative number
// when it did not end cleanly.
double milissegundos(const char* modo, const QString& pasta) {
    QProcess processo;
    processo.setWorkingDirectory(pasta);
    processo.setProgram(QCoreApplication::applicationFilePath());
    processo.setArguments({QString::fromLatin1(modo)});
    QElapsedTimer relogio;
    relogio.start();
    processo.start();
    if (!processo.waitForFinished(30000) || processo.exitStatus() != QProcess::NormalExit || processo.exitCode() != 0)
        return -1;
    return static_cast<double>(relogio.nsecsElapsed()) / 1e6;
}

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One iteration is one pair: the bare window and the console, their order alternating.
void BM_InicioContraJanelaNua(benchmark::State& state) {
    QTemporaryDir trabalho; // the parameter store is written in the working directory
    std::vector<double> consoles;
    std::vector<double> nuas;
    bool consolePrimeiro = false;
    for (auto _ : state) {
        double c = 0;
        double n = 0;
        if (consolePrimeiro) {
            c = milissegundos(modoConsole, trabalho.path());
            n = milissegundos(modoJanelaNua, trabalho.path());
        } else {
            n = milissegundos(modoJanelaNua, trabalho.path());
            c = milissegundos(modoConsole, trabalho.path());
        }
        consolePrimeiro = !consolePrimeiro;
        if (c < 0 || n < 0) {
            state.SkipWithError("a program did not start and end cleanly");
            return;
        }
        state.SetIterationTime(c / 1000);
        consoles.push_back(c);
        nuas.push_back(n);
    }
    state.counters["console_ms"] = mediana(consoles);
    state.counters["janela_nua_ms"] = mediana(nuas);
    state.counters["razao"] = mediana(consoles) / mediana(nuas);
}
BENCHMARK(BM_InicioContraJanelaNua)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], modoConsole) == 0)
        return console(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], modoJanelaNua) == 0)
        return janelaNua(argc, argv);
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
