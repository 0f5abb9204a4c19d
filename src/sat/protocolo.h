#pragma once

#include "sat/invocacao.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the console and the library helper say to each other over a pipe. Every
// message is one frame: its length as 4 bytes, little-endian, then that many bytes.
// A frame longer than the limit is refused by whoever reads it, never allocated.
// Standard C++ only: the helper has no Qt.
namespace sat::protocolo {

constexpr std::size_t tamanhoDoCabecalho = 4;
// Device logs run to tens of megabytes; nothing the console or a library says
// legitimately comes near this.
constexpr std::uint32_t limiteDoQuadro = 512u * 1024u * 1024u;

void escreverCabecalho(char* destino, std::uint32_t comprimento);
std::uint32_t lerCabecalho(const char* origem);

// --- From the console to the helper --------------------------------------------------

struct Pedido {
    enum class Tipo { Carregar, Chamar };
    Tipo tipo = Tipo::Chamar;
    std::string caminho; // Carregar: the library file, UTF-8
    Invocacao chamada;   // Chamar
};

std::string pedidoCarregar(const std::string& caminho);
std::string pedidoChamar(const Invocacao& chamada);
// Nothing when the bytes are not a well-formed request.
std::optional<Pedido> lerPedido(std::string_view conteudo);

// --- From the helper to the console --------------------------------------------------

struct RespostaDaCarga {
    bool carregada = false;
    std::uint32_t funcoes = 0; // bit i set: slot i is exported
    std::string erro;          // the loader's reason, when not carregada
};

std::string respostaCarga(const RespostaDaCarga& resposta);
std::optional<RespostaDaCarga> lerRespostaCarga(std::string_view conteudo);

// How a 32-bit x86 entry point left the stack after a call: `Stdcall` when it popped
// its own arguments, `Cdecl` when it left them to the caller. A 64-bit helper has no
// such choice to observe.
enum class Convencao : char { Desconhecida, Stdcall, Cdecl };

enum class Desfecho : char {
    Texto = 'R',             // the answer's bytes follow
    TextoStdcall = 'P',      // as Texto, from an entry point that popped its arguments
    TextoCdecl = 'D',        // as Texto, from one that left them to the caller
    Nula = 'N',              // the entry point answered a null pointer
    SemFuncao = 'S',         // the library has no such entry point
    ArgumentosErrados = 'A', // the arguments do not fit the entry point
    PedidoInvalido = 'E',    // the request could not be read
    GrandeDemais = 'G',      // the answer is longer than a frame may be
};

// The first byte of a call's answer; for Desfecho::Texto the answer's bytes follow
// it, so a large answer is written straight from the library's buffer.
// A text answer comes back as Desfecho::Texto, whichever of the three first bytes
// carried it, with the convention that byte told.
struct RespostaDaChamada {
    Desfecho desfecho = Desfecho::PedidoInvalido;
    std::string_view bytes; // Texto: a view into the frame read
    Convencao convencao = Convencao::Desconhecida;
};
std::optional<RespostaDaChamada> lerRespostaChamada(std::string_view conteudo);

// The first byte of a text answer observed under `convencao`, and the reverse: whether
// `primeiro` starts a text answer, and under which convention.
char primeiroDoTexto(Convencao convencao);
bool comecaTexto(char primeiro, Convencao& convencao);

} // namespace sat::protocolo
