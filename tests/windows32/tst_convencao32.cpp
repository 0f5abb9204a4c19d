// The thunk of the 32-bit helper: an entry point that pops its own arguments (stdcall)
// and one that leaves them to the caller (cdecl), each called as if declared the other
// way, return the right answer, are told apart, and leave the caller's stack pointer
// and its locals exactly as they were, call after call; so does a stdcall entry point
// that takes fewer arguments than it is given.
#include "chamadax86.h"
#include "verificacao.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using verificacao::verifica;

char resposta[128];

extern "C" __attribute__((noinline)) const char* __stdcall comoStdcall(int sessao, const char* texto, int n) {
    std::snprintf(resposta, sizeof resposta, "%06d|%s|%d", sessao, texto, n);
    return resposta;
}

extern "C" __attribute__((noinline)) const char* __cdecl comoCdecl(int sessao, const char* texto, int n) {
    std::snprintf(resposta, sizeof resposta, "%06d|%s|%d", sessao, texto, n);
    return resposta;
}

// A maker's entry point with one argument less than the caller passes: it pops 8
// bytes of the 12 pushed.
extern "C" __attribute__((noinline)) const char* __stdcall comDoisArgumentos(int sessao, const char* texto) {
    std::snprintf(resposta, sizeof resposta, "%06d|%s", sessao, texto);
    return resposta;
}

// Each function under the other's declaration: the types the caller believes in.
using DeclaradaCdecl = const char*(__cdecl*)(int, const char*, int);
using DeclaradaStdcall = const char*(__stdcall*)(int, const char*, int);

__attribute__((always_inline)) inline std::uintptr_t ponteiroDaPilha() {
    std::uintptr_t esp = 0;
    __asm__ volatile("movl %%esp, %0" : "=r"(esp));
    return esp;
}

struct Caso {
    const char* oque;
    const void* funcao;
    std::uint32_t desempilhados;
    bool leOTerceiro = true; // whether the answer shows the third argument
};

// Calls `caso` many times from one frame: a stack pointer off by a word per call would
// move the locals' view of the stack, or end at a return into nowhere.
__attribute__((noinline)) void repetir(const Caso& caso) {
    volatile std::uint32_t guarda[4] = {0xA5A5A5A5u, 0x5A5A5A5Au, 0x12345678u, 0x9ABCDEF0u};
    const char* texto = "abc";
    const std::uintptr_t antes = ponteiroDaPilha();
    bool respostas = true;
    bool desempilhados = true;
    bool pilha = true;
    for (int i = 0; i < 1000; ++i) {
        const std::uint32_t palavras[3] = {
            static_cast<std::uint32_t>(i),
            static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(texto)),
            static_cast<std::uint32_t>(-i)};
        const sathost::ChamadaX86 feita = sathost::chamarX86(caso.funcao, palavras, 3);
        char esperado[64];
        if (caso.leOTerceiro)
            std::snprintf(esperado, sizeof esperado, "%06d|abc|%d", i, -i);
        else
            std::snprintf(esperado, sizeof esperado, "%06d|abc", i);
        respostas = respostas && feita.resposta != nullptr && std::string(feita.resposta) == esperado;
        desempilhados = desempilhados && feita.desempilhados == caso.desempilhados;
        pilha = pilha && ponteiroDaPilha() == antes;
    }
    verifica(respostas, std::string(caso.oque) + ": mil respostas certas");
    verifica(desempilhados, std::string(caso.oque) + ": a convenção reconhecida em cada chamada");
    verifica(pilha, std::string(caso.oque) + ": a pilha de quem chama fica onde estava");
    verifica(guarda[0] == 0xA5A5A5A5u && guarda[1] == 0x5A5A5A5Au && guarda[2] == 0x12345678u &&
                 guarda[3] == 0x9ABCDEF0u,
             std::string(caso.oque) + ": as variáveis de quem chama intactas");
}

} // namespace

int main() {
    // What a caller with the wrong declaration holds: the same address, another type.
    const auto stdcallComoCdecl = reinterpret_cast<DeclaradaCdecl>(&comoStdcall);
    const auto cdeclComoStdcall = reinterpret_cast<DeclaradaStdcall>(&comoCdecl);
    const Caso casos[] = {
        {"stdcall declarada cdecl", reinterpret_cast<const void*>(stdcallComoCdecl), 12},
        {"cdecl declarada stdcall", reinterpret_cast<const void*>(cdeclComoStdcall), 0},
        {"stdcall com um argumento a menos", reinterpret_cast<const void*>(&comDoisArgumentos), 8, false},
    };
    for (const Caso& caso : casos)
        repetir(caso);
    // No words at all: nothing to pop, whichever the convention.
    const sathost::ChamadaX86 vazia = sathost::chamarX86(
        reinterpret_cast<const void*>(+[]() -> const char* { return "vazia"; }), nullptr, 0);
    verifica(vazia.resposta != nullptr && std::string(vazia.resposta) == "vazia" && vazia.desempilhados == 0,
             "uma função sem argumentos");
    return verificacao::resumo();
}
