// sat-host: holds the maker's SAT library on behalf of the console, so that a crash or
// a hang inside the library never takes the console down. It reads requests from its
// standard input and answers on its standard output, one frame each (sat/protocolo.h):
// load a library by full path, then call its entry points. It ends when the console
// closes the pipe. Standard C++ and the platform layer only.
#include "chamadax86.h"
#include "platform/platform.h"
#include "sat/funcoessat.h"
#include "sat/invocacao.h"
#include "sat/protocolo.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#define LER _read
#define ESCREVER _write
#define DUPLICAR _dup
#define DUPLICAR_EM _dup2
#define ABRIR _open
#define FECHAR _close
constexpr const char* dispositivoNulo = "NUL";
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#define LER ::read
#define ESCREVER ::write
#define DUPLICAR ::dup
#define DUPLICAR_EM ::dup2
#define ABRIR ::open
#define FECHAR ::close
constexpr const char* dispositivoNulo = "/dev/null";
#endif

namespace {

namespace protocolo = sat::protocolo;

int entrada = -1;
int saida = -1;

// The pipe to the console gets descriptors of its own, and the standard ones are
// pointed elsewhere: a library that prints to its standard output (many do, to
// trace) would otherwise write into the middle of a frame.
bool separarOCanal() {
#ifdef _WIN32
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
#endif
    entrada = DUPLICAR(0);
    saida = DUPLICAR(1);
    if (entrada < 0 || saida < 0)
        return false;
    std::fflush(stdout);
    if (DUPLICAR_EM(2, 1) < 0)
        return false;
#ifdef F_SETPIPE_SZ
    // A larger pipe carries a log of tens of megabytes in fewer, larger steps.
    fcntl(saida, F_SETPIPE_SZ, 1 << 20);
#endif
    const int nulo = ABRIR(dispositivoNulo, O_RDONLY);
    if (nulo >= 0) {
        DUPLICAR_EM(nulo, 0);
        FECHAR(nulo);
    }
    return true;
}

// Reads exactly n bytes; false at the end of the pipe or on an error.
bool lerTudo(char* destino, std::size_t n) {
    while (n > 0) {
        const unsigned pedaco = static_cast<unsigned>(n > (1u << 30) ? (1u << 30) : n);
        const auto lidos = LER(entrada, destino, pedaco);
        if (lidos < 0) {
#ifndef _WIN32
            if (errno == EINTR)
                continue;
#endif
            return false;
        }
        if (lidos == 0)
            return false;
        destino += lidos;
        n -= static_cast<std::size_t>(lidos);
    }
    return true;
}

bool escreverTudo(const char* origem, std::size_t n) {
    while (n > 0) {
        const unsigned pedaco = static_cast<unsigned>(n > (1u << 30) ? (1u << 30) : n);
        const auto escritos = ESCREVER(saida, origem, pedaco);
        if (escritos < 0) {
#ifndef _WIN32
            if (errno == EINTR)
                continue;
#endif
            return false;
        }
        origem += escritos;
        n -= static_cast<std::size_t>(escritos);
    }
    return true;
}

// One frame made of a first byte and a body, written without joining them: the
// body of a large answer is sent straight from the library's buffer.
bool enviar(char primeiro, const char* corpo, std::size_t tamanho) {
    if (tamanho + 1 > protocolo::limiteDoQuadro)
        return false;
    char cabecalho[protocolo::tamanhoDoCabecalho + 1];
    protocolo::escreverCabecalho(cabecalho, static_cast<std::uint32_t>(tamanho + 1));
    cabecalho[protocolo::tamanhoDoCabecalho] = primeiro;
    return escreverTudo(cabecalho, sizeof cabecalho) && escreverTudo(corpo, tamanho);
}

bool enviar(const std::string& conteudo) {
    return !conteudo.empty() && enviar(conteudo[0], conteudo.data() + 1, conteudo.size() - 1);
}

class Hospedeiro {
public:
    bool atender(const std::string& conteudo) {
        const std::optional<protocolo::Pedido> pedido = protocolo::lerPedido(conteudo);
        if (!pedido)
            return enviarDesfecho(protocolo::Desfecho::PedidoInvalido);
        if (pedido->tipo == protocolo::Pedido::Tipo::Carregar)
            return carregar(pedido->caminho);
        return chamar(pedido->chamada);
    }

    bool enviarDesfecho(protocolo::Desfecho desfecho) { return enviar(static_cast<char>(desfecho), "", 0); }

private:
    bool carregar(const std::string& caminho) {
        protocolo::RespostaDaCarga resposta;
        funcoes_ = {};
        enderecos_ = {};
        biblioteca_.fechar();
        if (!biblioteca_.abrir(caminho, resposta.erro))
            return enviar(protocolo::respostaCarga(resposta));
        resposta.carregada = true;
        int indice = 0;
        sat::paraCadaFuncao([&](const char*, auto membro) {
            // Plain or decorated, whichever the library's compiler wrote.
            for (const std::string& nome : sat::nomesExportados(indice)) {
                enderecos_[indice] = biblioteca_.simbolo(nome.c_str());
                if (enderecos_[indice] != nullptr)
                    break;
            }
            using Tipo = std::remove_reference_t<decltype(funcoes_.*membro.value)>;
            funcoes_.*membro.value = reinterpret_cast<Tipo>(enderecos_[indice]);
            if (enderecos_[indice] != nullptr)
                resposta.funcoes |= 1u << indice;
            ++indice;
        });
        return enviar(protocolo::respostaCarga(resposta));
    }

    bool chamar(const sat::Invocacao& chamada) {
        const char* resposta = nullptr;
        protocolo::Convencao convencao = protocolo::Convencao::Desconhecida;
        switch (invocar(chamada, resposta, convencao)) {
        case sat::ResultadoInvocacao::SemFuncao:
            return enviarDesfecho(protocolo::Desfecho::SemFuncao);
        case sat::ResultadoInvocacao::ArgumentosErrados:
            return enviarDesfecho(protocolo::Desfecho::ArgumentosErrados);
        case sat::ResultadoInvocacao::Respondida:
            break;
        }
        if (resposta == nullptr)
            return enviarDesfecho(protocolo::Desfecho::Nula);
        const std::size_t tamanho = std::strlen(resposta);
        if (tamanho + 1 > protocolo::limiteDoQuadro)
            return enviarDesfecho(protocolo::Desfecho::GrandeDemais);
        return enviar(protocolo::primeiroDoTexto(convencao), resposta, tamanho);
    }

#if defined(__i386__)
    // Whatever the declarations say, the entry point is called through the thunk that
    // survives either convention, and the convention it showed is passed on.
    sat::ResultadoInvocacao invocar(const sat::Invocacao& chamada, const char*& resposta,
                                    protocolo::Convencao& convencao) {
        if (!sat::possuiFuncao(funcoes_, chamada.indice))
            return sat::ResultadoInvocacao::SemFuncao;
        const sat::ResultadoInvocacao resultado = sat::palavrasDaChamada(chamada, palavras_);
        if (resultado != sat::ResultadoInvocacao::Respondida)
            return resultado;
        const auto n = static_cast<std::uint32_t>(palavras_.size());
        const sathost::ChamadaX86 feita = sathost::chamarX86(enderecos_[chamada.indice], palavras_.data(), n);
        resposta = feita.resposta;
        // An entry point that took any words off the stack is stdcall, even one declared
        // by its maker with another number of arguments than the standard list.
        convencao = feita.desempilhados == 0 ? protocolo::Convencao::Cdecl : protocolo::Convencao::Stdcall;
        return resultado;
    }
#else
    sat::ResultadoInvocacao invocar(const sat::Invocacao& chamada, const char*& resposta,
                                    protocolo::Convencao&) {
        return sat::invocar(funcoes_, chamada, resposta);
    }
#endif

    platform::BibliotecaDinamica biblioteca_;
    sat::FuncoesSAT funcoes_;
    std::array<void*, sat::numeroDeFuncoes> enderecos_{};
    std::vector<std::uint32_t> palavras_;
};

// Skips a frame too long to hold, reading it in pieces.
bool descartar(std::uint32_t n) {
    char pedaco[65536];
    while (n > 0) {
        const std::uint32_t agora = n < sizeof pedaco ? n : static_cast<std::uint32_t>(sizeof pedaco);
        if (!lerTudo(pedaco, agora))
            return false;
        n -= agora;
    }
    return true;
}

} // namespace

int main() {
#ifdef _WIN32
    // A crash in the library ends this process at once, as the console expects: no
    // "stopped working" box keeps it alive until someone clicks it.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
#endif
    if (!separarOCanal()) {
        std::fprintf(stderr, "sat-host: could not set up the pipe to the console\n");
        return 2;
    }
    Hospedeiro hospedeiro;
    std::string conteudo;
    for (;;) {
        char cabecalho[protocolo::tamanhoDoCabecalho];
        if (!lerTudo(cabecalho, sizeof cabecalho))
            return 0; // the console closed the pipe: the run is over
        const std::uint32_t tamanho = protocolo::lerCabecalho(cabecalho);
        if (tamanho > protocolo::limiteDoQuadro) {
            if (!descartar(tamanho) || !hospedeiro.enviarDesfecho(protocolo::Desfecho::PedidoInvalido))
                return 0;
            continue;
        }
        conteudo.resize(tamanho);
        if (!lerTudo(conteudo.data(), tamanho))
            return 0;
        if (!hospedeiro.atender(conteudo))
            return 0;
    }
}
