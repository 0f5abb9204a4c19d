// Start-up time: from the start of the console's process to its main window on
// screen. Each measured run starts this program again as a child that goes through
// the console's own start-up and ends as soon as the main window has painted.
#include "app/inicio.h"
#include "app/tfativacao.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>

#include <cstring>

namespace {

constexpr const char* modoFilho = "--iniciar-e-sair";

// Ends the run at the main window's first paint.
class FimNaPrimeiraPintura final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::Paint)
            QCoreApplication::quit();
        return QObject::eventFilter(objeto, evento);
    }
};

int filho(int& argc, char** argv) {
    return executarConsole(argc, argv, [](TFAtivacao& janela) {
        janela.installEventFilter(new FimNaPrimeiraPintura(&janela));
    });
}

void BM_InicioAteJanelaVisivel(benchmark::State& state) {
    QTemporaryDir trabalho; // the parameter store is written in the working directory
    for (auto _ : state) {
        QProcess processo;
        processo.setWorkingDirectory(trabalho.path());
        processo.setProgram(QCoreApplication::applicationFilePath());
        processo.setArguments({QString::fromLatin1(modoFilho)});
        processo.start();
        if (!processo.waitForFinished(30000) || processo.exitCode() != 0) {
            state.SkipWithError("the console did not start and end cleanly");
            break;
        }
    }
}
BENCHMARK(BM_InicioAteJanelaVisivel)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], modoFilho) == 0)
        return filho(argc, argv);
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
