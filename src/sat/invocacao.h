#pragma once

#include "sat/funcoessat.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

// A library call as data: which entry point, the session number, and the arguments
// that follow it (integers, or 8-bit texts already in the library's code page). The
// console builds one from typed arguments; whoever holds the library table (this
// process, or a helper process that received it over a pipe) makes the typed call.
// Standard C++ only, so that a program without Qt can use it.
namespace sat {

using ArgumentoSat = std::variant<int, std::string>;

struct Invocacao {
    int indice = -1; // the slot, in table order (0 to 16)
    int sessao = 0;
    std::vector<ArgumentoSat> argumentos;
};

constexpr int numeroDeFuncoes = 17;

// The slot's position in table order, e.g. indiceDaFuncao(&FuncoesSAT::ConsultarSAT) == 3.
template <typename Ponteiro> constexpr int indiceDaFuncao(Ponteiro FuncoesSAT::*slot) {
    int indice = -1;
    int atual = 0;
    paraCadaFuncao([&](const char*, auto membro) {
        if constexpr (std::is_same_v<typename decltype(membro)::value_type, Ponteiro FuncoesSAT::*>) {
            if (membro.value == slot)
                indice = atual;
        }
        ++atual;
    });
    return indice;
}

// The exported name of slot `indice`, or "" outside the table.
const char* nomeDaFuncao(int indice);

// Whether the table holds an address in slot `indice`.
bool possuiFuncao(const FuncoesSAT& funcoes, int indice);

enum class ResultadoInvocacao {
    Respondida,        // the entry point was called; `resposta` is its answer (may be null)
    SemFuncao,         // the slot is empty: nothing was called
    ArgumentosErrados, // the arguments do not match the entry point: nothing was called
};

// Calls the entry point of `chamada.indice` with the session number first and the
// arguments in order, after checking that their number and kinds match the entry
// point's list. Texts are passed as NUL-terminated strings valid during the call.
ResultadoInvocacao invocar(const FuncoesSAT& funcoes, const Invocacao& chamada, const char*& resposta);

// The arguments of `chamada` as the 32-bit words a 32-bit x86 call pushes, first
// argument first: the session number, then each integer, or the address of the text
// held in `chamada` (valid while `chamada` lives). Checked against the entry point's
// list as invocar() checks them; `palavras` is left empty when they do not fit.
ResultadoInvocacao palavrasDaChamada(const Invocacao& chamada, std::vector<std::uint32_t>& palavras);

// The names a library may export slot `indice` under, in the order they are tried:
// plain ("ConsultarSAT"), then as 32-bit Windows compilers decorate a stdcall name
// ("_ConsultarSAT@4", 4 bytes per argument; "ConsultarSAT@4" once the underscore is
// stripped by a .def file) and a cdecl one ("_ConsultarSAT"). Empty outside the table.
std::vector<std::string> nomesExportados(int indice);

namespace detalhe {

template <typename T> const T* como(const ArgumentoSat& a) {
    if constexpr (std::is_same_v<T, int>)
        return std::get_if<int>(&a);
    else
        return std::get_if<std::string>(&a);
}

template <typename T> using Armazenado = std::conditional_t<std::is_same_v<T, int>, int, std::string>;

template <typename T> constexpr bool aceito = std::is_same_v<T, int> || std::is_same_v<T, const char*>;

template <typename... Parametros, std::size_t... I>
ResultadoInvocacao invocarCom(const char*(SAT_CALL* funcao)(int, Parametros...), const Invocacao& chamada,
                              const char*& resposta, std::index_sequence<I...>) {
    static_assert((aceito<Parametros> && ...), "SAT entry points take integers and texts only");
    if (chamada.argumentos.size() != sizeof...(Parametros))
        return ResultadoInvocacao::ArgumentosErrados;
    if (((como<Armazenado<Parametros>>(chamada.argumentos[I]) == nullptr) || ...))
        return ResultadoInvocacao::ArgumentosErrados;
    [[maybe_unused]] const auto valor = [](const ArgumentoSat& a, auto tipo) {
        using T = typename decltype(tipo)::type;
        if constexpr (std::is_same_v<T, int>)
            return std::get<int>(a);
        else
            return std::get<std::string>(a).c_str();
    };
    resposta = funcao(chamada.sessao, valor(chamada.argumentos[I], std::type_identity<Parametros>{})...);
    return ResultadoInvocacao::Respondida;
}

} // namespace detalhe

} // namespace sat
