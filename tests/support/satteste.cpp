// Small SAT libraries for the loading tests, built in several flavours:
//  - complete: all 17 entry points, each answering "<session>|<code>|<its name>|||";
//  - SATTESTE_PARCIAL: only ConsultarSAT, to show missing entry points;
//  - SATTESTE_NULA: ConsultarSAT answers a null pointer;
//  - SATTESTE_DEPENDENTE: complete, and calls SatTesteMarca from the SATTESTE_DEPENDENCIA
//    build, so that it needs that library to load;
//  - SATTESTE_FALHA: complete, and the entry point named in the environment variable
//    SATTESTE_FALHA ("ConsultarSAT=segv") misbehaves: segv, abort, exit, dorme (sleeps
//    for 60 s), dorme:MS, imprime (writes to its standard output before answering),
//    grande:BYTES (answers that many bytes), alemdolimite (answers a text longer than
//    a frame may carry); while the file named by SATTESTE_TRAVA exists, its loading
//    does not end.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <string>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#define EXPORTA extern "C" __declspec(dllexport)
#else
#define EXPORTA extern "C" __attribute__((visibility("default")))
#if defined(SATTESTE_FALHA)
#include <sys/mman.h>
#include <unistd.h>
#endif
#endif

namespace {
char resposta[128];

#if defined(SATTESTE_FALHA)
std::string respostaGrande;

#if !defined(_WIN32)
// A text of `tamanho` letters and its NUL that costs a megabyte of memory, not
// `tamanho` bytes: the same shared megabyte of letters is mapped over and over, and
// the last megabyte, private, ends in the NUL. Nullptr when the system refuses.
const char* textoSemMemoria(std::size_t tamanho) {
    constexpr std::size_t pedaco = std::size_t{1} << 20;
    const std::size_t pedacos = (tamanho + 1 + pedaco - 1) / pedaco;
    auto* inicio =
        static_cast<char*>(mmap(nullptr, pedacos * pedaco, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (inicio == MAP_FAILED)
        return nullptr;
    const int arquivo = memfd_create("satteste-letras", 0);
    if (arquivo < 0 || ftruncate(arquivo, static_cast<off_t>(pedaco)) != 0)
        return nullptr;
    void* letras = mmap(nullptr, pedaco, PROT_READ | PROT_WRITE, MAP_SHARED, arquivo, 0);
    if (letras == MAP_FAILED)
        return nullptr;
    std::memset(letras, 'x', pedaco);
    for (std::size_t i = 0; i + 1 < pedacos; ++i)
        if (mmap(inicio + i * pedaco, pedaco, PROT_READ, MAP_SHARED | MAP_FIXED, arquivo, 0) == MAP_FAILED)
            return nullptr;
    char* ultimo = inicio + (pedacos - 1) * pedaco;
    if (mmap(ultimo, pedaco, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) ==
        MAP_FAILED)
        return nullptr;
    const std::size_t resto = tamanho - (pedacos - 1) * pedaco;
    std::memset(ultimo, 'x', resto);
    ultimo[resto] = '\0';
    return inicio;
}

// While the file SATTESTE_TRAVA names exists, the library's loading goes on (a minute
// at most): the console must give it up.
__attribute__((constructor)) void travarACarga() {
    const char* trava = std::getenv("SATTESTE_TRAVA");
    for (int i = 0; trava != nullptr && i < 600 && access(trava, F_OK) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}
#endif

// Misbehaves as SATTESTE_FALHA says, when it names this entry point; returns an
// answer to give instead of the usual one, or nullptr.
const char* falhar(const char* nome) {
    const char* pedido = std::getenv("SATTESTE_FALHA");
    if (pedido == nullptr)
        return nullptr;
    const std::size_t n = std::strlen(nome);
    if (std::strncmp(pedido, nome, n) != 0 || pedido[n] != '=')
        return nullptr;
    const std::string modo = pedido + n + 1;
    if (modo == "segv")
#if defined(_WIN32)
        RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr); // what a bad pointer gives there
#else
        std::raise(SIGSEGV);
#endif
    else if (modo == "abort")
        std::abort();
    else if (modo == "exit")
        std::exit(3);
    else if (modo == "dorme")
        std::this_thread::sleep_for(std::chrono::seconds(60));
    else if (modo.rfind("dorme:", 0) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(modo.c_str() + 6)));
    else if (modo == "imprime")
        std::printf("uma biblioteca que escreve na saida padrao\n"), std::fflush(stdout);
    else if (modo.rfind("grande:", 0) == 0) {
        // Made once: a benchmark times the answer's way to the console, not its making.
        const auto tamanho = static_cast<std::size_t>(std::atol(modo.c_str() + 7));
        if (respostaGrande.size() != tamanho) {
            respostaGrande.assign(tamanho, 'x');
            for (std::size_t i = 0; i < respostaGrande.size(); ++i)
                respostaGrande[i] = static_cast<char>('a' + i % 26);
        }
        return respostaGrande.c_str();
    }
#if !defined(_WIN32)
    else if (modo == "alemdolimite") {
        static const char* const alem = textoSemMemoria(std::size_t{512} * 1024 * 1024 + 16);
        return alem;
    }
#endif
    return nullptr;
}
#endif

#if defined(SATTESTE_DEPENDENTE)
// From the library it depends on: a use, so that the linker keeps the import (a DLL
// links only the libraries it calls).
extern "C" const char* SatTesteMarca();
#endif

const char* responder(int sessao, const char* codigo, const char* nome) {
#if defined(SATTESTE_DEPENDENTE)
    if (SatTesteMarca() == nullptr)
        return nullptr;
#endif
#if defined(SATTESTE_FALHA)
    if (const char* outra = falhar(nome))
        return outra;
#endif
    std::snprintf(resposta, sizeof resposta, "%06d|%s|%s|||", sessao, codigo, nome);
    return resposta;
}
} // namespace

#if defined(SATTESTE_DEPENDENCIA)
EXPORTA const char* SatTesteMarca() {
    return "satteste";
}
#endif

#if defined(SATTESTE_NULA)
EXPORTA const char* ConsultarSAT(int) { return nullptr; }
#else
EXPORTA const char* ConsultarSAT(int sessao) { return responder(sessao, "08000", "ConsultarSAT"); }
#endif

#if !defined(SATTESTE_PARCIAL) && !defined(SATTESTE_NULA)
#define SOMENTE_CODIGO(nome, codigo)                                                                             \
    EXPORTA const char* nome(int sessao, const char*) { return responder(sessao, codigo, #nome); }

EXPORTA const char* ComunicarCertificadoICPBRASIL(int s, const char*, const char*) {
    return responder(s, "05000", "ComunicarCertificadoICPBRASIL");
}
EXPORTA const char* EnviarDadosVenda(int s, const char*, const char*) { return responder(s, "06000", "EnviarDadosVenda"); }
EXPORTA const char* CancelarUltimaVenda(int s, const char*, const char*, const char*) {
    return responder(s, "07000", "CancelarUltimaVenda");
}
EXPORTA const char* TesteFimAFim(int s, const char*, const char*) { return responder(s, "09000", "TesteFimAFim"); }
SOMENTE_CODIGO(ConsultarStatusOperacional, "10000")
EXPORTA const char* ConsultarNumeroSessao(int s, const char*, int) {
    return responder(s, "11000", "ConsultarNumeroSessao");
}
EXPORTA const char* AssociarAssinatura(int s, const char*, const char*, const char*) {
    return responder(s, "13000", "AssociarAssinatura");
}
SOMENTE_CODIGO(AtualizarSoftwareSAT, "14000")
SOMENTE_CODIGO(ExtrairLogs, "15000")
SOMENTE_CODIGO(BloquearSAT, "16000")
SOMENTE_CODIGO(DesbloquearSAT, "17000")
EXPORTA const char* TrocarCodigoDeAtivacao(int s, const char*, int, const char*, const char*) {
    return responder(s, "18000", "TrocarCodigoDeAtivacao");
}
EXPORTA const char* ConfigurarInterfaceDeRede(int s, const char*, const char*) {
    return responder(s, "12000", "ConfigurarInterfaceDeRede");
}
EXPORTA const char* AtivarSAT(int s, int, const char*, const char*, int) { return responder(s, "04000", "AtivarSAT"); }
SOMENTE_CODIGO(SetDriver, "00000")
SOMENTE_CODIGO(ConsultarUltimaSessaoFiscal, "19000")
#endif
