// The log page's path for logs of 1, 10 and 50 MB: from the device's answer to the text
// the memo is given (the answer split into fields, the log decoded, its lines found,
// read as UTF-8 and prepared for the widget), and that text put into the memo. The
// yardstick, measured on the same bytes in the same run, is the bare minimum: the
// Base64 decode and the split of the log into a list of lines.
//
// Peak memory is measured apart from the timing, once per size: the growth of the
// process's peak resident size (reset through /proc/self/clear_refs) over one run of
// the path, divided by the log's size. Large blocks are mapped and unmapped on their
// own (a fixed mmap threshold), so freed memory does not hide in the heap.
#include "operations/conteudolog.h"
#include "widgets/memolinhas.h"
#include "sat/resposta.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>

#include <malloc.h>

#include <fstream>
#include <string>

namespace {

// A log as the device writes it: dated lines, a SuperLog section at its end.
QByteArray logDoDispositivo(qsizetype megabytes) {
    const QByteArray linha = "16/05/2024 10:11:12.123|SAT|info|Registro antigo de preenchimento do log\n";
    const QByteArray secao = "16/05/2024 10:11:12.123|SAT|info|==================== SuperLog =====================\n"
                             "16/05/2024 10:11:12.123|SAT|info|Numero de serie ........ 900004019\n"
                             "16/05/2024 10:11:12.123|SAT|info|===================================================\n";
    QByteArray texto;
    texto.reserve(megabytes * 1024 * 1024 + secao.size());
    while (texto.size() + secao.size() < megabytes * 1024 * 1024)
        texto += linha;
    return texto + secao;
}

QByteArray resposta(const QByteArray& log) {
    return "000001|15000|Transferência completa|||" + log.toBase64();
}

long kilobytes(const char* campo) {
    std::ifstream status("/proc/self/status");
    for (std::string linha; std::getline(status, linha);)
        if (linha.rfind(campo, 0) == 0)
            return std::stol(linha.substr(std::char_traits<char>::length(campo)));
    return -1;
}

// Peak growth of the resident size while `passo` runs, over `tamanho` bytes.
template <typename Passo> double picoSobre(qsizetype tamanho, Passo&& passo) {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5"; // peak resident size := current
    const long antes = kilobytes("VmRSS:");
    passo();
    const long pico = kilobytes("VmHWM:");
    return static_cast<double>(pico - antes) * 1024.0 / static_cast<double>(tamanho);
}

// The yardstick: decode and split into lines, nothing else.
void decodificarESeparar(const QByteArray& base64) {
    QByteArrayList linhas;
    sat::ExtractStrings2(sat::conjunto({'\n'}), {}, QByteArray::fromBase64(base64), linhas);
    benchmark::DoNotOptimize(linhas.size());
}

// From the answer to what the memo is given.
MemoDeLinhas::Preparado textoDoMemo(const QByteArray& resposta, int modo) {
    QByteArrayList campos = sat::campos(resposta);
    return MemoDeLinhas::preparar(conteudolog::textoDoLog(campos, modo));
}

void BM_DecodificarESeparar(benchmark::State& state) {
    const QByteArray l = logDoDispositivo(state.range(0));
    const QByteArray base64 = l.toBase64();
    state.counters["pico/log"] = picoSobre(l.size(), [&] { decodificarESeparar(base64); });
    for (auto _ : state)
        decodificarESeparar(base64);
    state.SetBytesProcessed(state.iterations() * l.size());
}

void BM_RespostaAteTextoDoMemo(benchmark::State& state) {
    const QByteArray l = logDoDispositivo(state.range(0));
    const QByteArray r = resposta(l);
    const int modo = static_cast<int>(state.range(1));
    state.counters["pico/log"] = picoSobre(l.size(), [&] { benchmark::DoNotOptimize(textoDoMemo(r, modo)); });
    for (auto _ : state)
        benchmark::DoNotOptimize(textoDoMemo(r, modo));
    state.SetBytesProcessed(state.iterations() * l.size());
}

// The same and the fill of a real memo: what the user waits for.
void BM_RespostaAteMemoPreenchido(benchmark::State& state) {
    const QByteArray l = logDoDispositivo(state.range(0));
    const QByteArray r = resposta(l);
    QPlainTextEdit widget;
    widget.setReadOnly(true);
    widget.setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoDeLinhas memo(&widget);
    const auto preencher = [&] {
        QByteArrayList campos = sat::campos(r);
        memo.definirTexto(conteudolog::textoDoLog(campos, conteudolog::modoLogInteiro));
        memo.rolarAteOFim();
    };
    state.counters["pico/log"] = picoSobre(l.size(), preencher);
    memo.esvaziar();
    for (auto _ : state) {
        preencher();
        state.PauseTiming();
        memo.esvaziar();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * l.size());
}

BENCHMARK(BM_DecodificarESeparar)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RespostaAteTextoDoMemo)
    ->ArgNames({"MB", "modo"})
    ->Args({1, conteudolog::modoLogInteiro})
    ->Args({10, conteudolog::modoLogInteiro})
    ->Args({50, conteudolog::modoLogInteiro})
    ->Args({50, conteudolog::modoSuperLog})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RespostaAteMemoPreenchido)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
