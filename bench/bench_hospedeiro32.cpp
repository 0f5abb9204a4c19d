// A consult through the 32-bit helper (sat-host32.exe, the emulated device as a 32-bit
// stdcall DLL and as a cdecl one) beside the same consult through the 64-bit helper
// (sat-host.exe, SAT_x64.DLL), the yardstick, both under Wine in one Wine profile and
// driven by the console's own executor. The Windows trees come from
// scripts/test-windows.sh (build-mingw/) and scripts/test-windows32.sh (build-mingw32/);
// without them the benchmarks say so and skip.
#include "sat/executorremoto.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QString pasta64 = QStringLiteral(SATCONSOLE_FONTES "/build-mingw/bin");
const QString pasta32 = QStringLiteral(SATCONSOLE_FONTES "/build-mingw32/bin");

const sat::Invocacao consulta{sat::indiceDaFuncao(&sat::FuncoesSAT::ConsultarSAT), 123456, {}};

// The helper started through Wine's loader for its word size, as a program the
// executor can start without arguments.
QString programaSobWine(QTemporaryDir& pasta, const QString& carregador, const QString& exe) {
    const QString script = pasta.filePath(QFileInfo(exe).baseName() + QStringLiteral(".sh"));
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write("#!/bin/sh\nexec '" + QFile::encodeName(carregador) + "' '" + QFile::encodeName(exe) + "'\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    return script;
}

// Wine's own name for a path of the Linux tree: all of it is drive Z:.
QString caminhoWine(const QString& caminho) {
    return QStringLiteral("Z:") + QString(caminho).replace(u'/', u'\\');
}

// One helper under Wine holding one DLL, ready for consults.
struct Lado {
    QTemporaryDir pasta;
    std::unique_ptr<sat::ExecutorRemoto> executor;
    double segundos = 0; // spent in the timed consults

    bool preparar(benchmark::State& state, const QString& carregador, const QString& exe,
                  const QString& dll) {
        if (!QFileInfo::exists(exe) || !QFileInfo::exists(dll) || !QFileInfo::exists(carregador)) {
            state.SkipWithError(
                "build the Windows trees first: scripts/test-windows.sh, scripts/test-windows32.sh");
            return false;
        }
        executor = std::make_unique<sat::ExecutorRemoto>(programaSobWine(pasta, carregador, exe));
        QString erro;
        if (!executor->carregar(caminhoWine(dll), erro)) {
            state.SkipWithError(qPrintable(erro));
            return false;
        }
        executor->chamar(consulta); // the device's first answer builds its state, outside the timing
        return true;
    }

    bool consultar() {
        const auto inicio = std::chrono::steady_clock::now();
        const bool respondeu = executor->chamar(consulta).tipo == sat::RespostaSat::Tipo::Texto;
        segundos += std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        return respondeu;
    }
};

// Each iteration makes one consult through each helper, in turn, so that both meet the
// same load of a shared machine. Argument 0: the 32-bit stdcall DLL under decorated
// names; 1: the cdecl one. Reports each side's time per consult and their ratio.
void BM_Consulta32Contra64SobWine(benchmark::State& state) {
    const bool deCdecl = state.range(0) == 1;
    state.SetLabel(deCdecl ? "cdecl" : "stdcall");
    Lado de64;
    Lado de32;
    if (!de64.preparar(state, QStringLiteral("/usr/lib/wine/wine64"),
                       pasta64 + QStringLiteral("/sat-host.exe"), pasta64 + QStringLiteral("/SAT_x64.DLL")) ||
        !de32.preparar(
            state, QStringLiteral("/usr/lib/wine/wine"), pasta32 + QStringLiteral("/sat-host32.exe"),
            pasta32 + (deCdecl ? QStringLiteral("/satemu.dll") : QStringLiteral("/satemu_stdcall.dll"))))
        return;
    for (auto _ : state) {
        if (!de64.consultar() || !de32.consultar())
            state.SkipWithError("a consult did not answer");
    }
    const auto n = static_cast<double>(state.iterations());
    if (n > 0 && de64.segundos > 0) {
        state.counters["us_64_bits"] = 1e6 * de64.segundos / n;
        state.counters["us_32_bits"] = 1e6 * de32.segundos / n;
        state.counters["vezes_64_bits"] = de32.segundos / de64.segundos;
    }
}
BENCHMARK(BM_Consulta32Contra64SobWine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // One Wine profile for both helpers, so that both pay the same Wine server; the
    // 64-bit tree's holds both word sizes.
    if (qEnvironmentVariableIsEmpty("WINEPREFIX"))
        qputenv("WINEPREFIX", QFile::encodeName(QStringLiteral(SATCONSOLE_FONTES "/build-mingw/wineprefix")));
    qputenv("WINEDEBUG", "-all");
    qputenv("WINEDLLOVERRIDES", "mscoree,mshtml=");
    // The device's state in a folder of this run's, named as Wine names it.
    QTemporaryDir casa;
    qputenv("SATEMU_HOME", caminhoWine(casa.path()).toUtf8());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
