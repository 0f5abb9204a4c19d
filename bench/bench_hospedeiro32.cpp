// A consult through the 32-bit helper (sat-host32.exe, the emulated device as a 32-bit
// stdcall DLL and as a cdecl one) beside the same consult through the 64-bit helper
// (sat-host.exe, SAT_x64.DLL), the yardstick, both under Wine in one Wine profile and
// driven by the console's own executor. The Windows trees come from
// scripts/test-windows.sh (build-mingw/) and scripts/test-windows32.sh (build-mingw32/);
// without them the benchmarks say so and skip.
#include "sat/executorremoto.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QString pasta64 = QStringLiteral(SATCONSOLE_FONTES "/build-mingw/bin");
const QString pasta32 = QStringLiteral(SATCONSOLE_FONTES "/build-mingw32/bin");

const sat::Invocacao consulta{sat::indiceDaFuncao(&sat::FuncoesSAT::ConsultarSAT), 123456, {}};

// The yardstick's time per consult, measured first in the same run.
double segundosPorConsulta64 = 0;

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

// Times the consults of `state` through `exe` holding `dll`; the seconds per consult,
// or 0 when they could not run.
double consultas(benchmark::State& state, const QString& carregador, const QString& exe, const QString& dll) {
    if (!QFileInfo::exists(exe) || !QFileInfo::exists(dll) || !QFileInfo::exists(carregador)) {
        state.SkipWithError(
            "build the Windows trees first: scripts/test-windows.sh, scripts/test-windows32.sh");
        return 0;
    }
    QTemporaryDir pasta;
    sat::ExecutorRemoto executor(programaSobWine(pasta, carregador, exe));
    QString erro;
    if (!executor.carregar(caminhoWine(dll), erro)) {
        state.SkipWithError(qPrintable(erro));
        return 0;
    }
    executor.chamar(consulta); // the device's first answer builds its state, outside the timing
    const auto inicio = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const sat::RespostaSat r = executor.chamar(consulta);
        if (r.tipo != sat::RespostaSat::Tipo::Texto)
            state.SkipWithError("the consult did not answer");
    }
    const std::chrono::duration<double> passados = std::chrono::steady_clock::now() - inicio;
    return state.iterations() > 0 ? passados.count() / static_cast<double>(state.iterations()) : 0;
}

void BM_ConsultaSatHost64SobWine(benchmark::State& state) {
    segundosPorConsulta64 =
        consultas(state, QStringLiteral("/usr/lib/wine/wine64"), pasta64 + QStringLiteral("/sat-host.exe"),
                  pasta64 + QStringLiteral("/SAT_x64.DLL"));
}
BENCHMARK(BM_ConsultaSatHost64SobWine)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Argument 0: the stdcall DLL under decorated names; 1: the cdecl one.
void BM_ConsultaSatHost32SobWine(benchmark::State& state) {
    const bool deCdecl = state.range(0) == 1;
    state.SetLabel(deCdecl ? "cdecl" : "stdcall");
    const double segundos = consultas(
        state, QStringLiteral("/usr/lib/wine/wine"), pasta32 + QStringLiteral("/sat-host32.exe"),
        pasta32 + (deCdecl ? QStringLiteral("/satemu.dll") : QStringLiteral("/satemu_stdcall.dll")));
    if (segundos > 0 && segundosPorConsulta64 > 0)
        state.counters["vezes_64_bits"] = segundos / segundosPorConsulta64;
}
BENCHMARK(BM_ConsultaSatHost32SobWine)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

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
