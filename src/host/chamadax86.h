#pragma once

// A call into a 32-bit x86 library that works whichever calling convention the entry
// point really uses. Makers ship the same entry points as stdcall (the callee pops its
// arguments) and as cdecl (the caller pops them), and a caller that guesses wrong ends
// up with its stack pointer off by the arguments' size: the next return crashes. Here
// the stack pointer is kept in EBX, which both conventions preserve, and put back after
// the call, so the convention no longer matters; how far the call moved it tells which
// one the library uses. GCC and Clang only (inline assembly).
#if defined(__i386__)

#include <cstdint>

namespace sathost {

struct ChamadaX86 {
    const char* resposta = nullptr;
    // Bytes the entry point took off the stack itself: 4 per argument for stdcall, 0
    // for cdecl.
    std::uint32_t desempilhados = 0;
};

// Calls `funcao` with the `n` words of `palavras` as its arguments, first word first,
// on a stack aligned to 16 bytes at the call as both conventions expect.
__attribute__((noinline)) inline ChamadaX86 chamarX86(const void* funcao, const std::uint32_t* palavras,
                                                      std::uint32_t n) {
    ChamadaX86 chamada;
    const char* resposta = nullptr;
    std::uint32_t contador = n;
    const std::uint32_t* origem = palavras;
    __asm__ volatile("movl %%esp, %%ebx\n\t"
                     // Room for the words, then down to a 16-byte boundary for the call.
                     "leal (,%%ecx,4), %%eax\n\t"
                     "subl %%eax, %%esp\n\t"
                     "andl $-16, %%esp\n\t"
                     "addl %%eax, %%esp\n\t"
                     // The last argument first, as both conventions push them.
                     "1:\n\t"
                     "testl %%ecx, %%ecx\n\t"
                     "jz 2f\n\t"
                     "decl %%ecx\n\t"
                     "pushl (%%edx,%%ecx,4)\n\t"
                     "jmp 1b\n\t"
                     "2:\n\t"
                     "movl %%esp, %%esi\n\t"
                     "call *%%edi\n\t"
                     "movl %%esp, %%ecx\n\t"
                     "subl %%esi, %%ecx\n\t"
                     "movl %%ebx, %%esp\n\t"
                     : "=a"(resposta), "+c"(contador), "+d"(origem)
                     : "D"(funcao)
                     : "ebx", "esi", "memory", "cc");
    chamada.resposta = resposta;
    chamada.desempilhados = contador;
    return chamada;
}

} // namespace sathost

#endif
