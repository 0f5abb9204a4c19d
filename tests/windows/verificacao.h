#pragma once

// The checks of the Win32 test programs (no Qt, no test framework): each check is
// counted, a failed one is printed with what was seen, and the program ends with the
// line "N passed, N failed" and a non-zero exit when anything failed.

#include <cstdio>
#include <string>

namespace verificacao {

inline int aprovados = 0;
inline int reprovados = 0;

inline void verifica(bool ok, const std::string& oque, const std::string& detalhe = {}) {
    if (ok) {
        ++aprovados;
        return;
    }
    ++reprovados;
    std::printf("FALHOU: %s\n", oque.c_str());
    if (!detalhe.empty())
        std::printf("    %.400s\n", detalhe.c_str());
}

// Prints the closing line; the program's exit code.
inline int resumo() {
    std::printf("%d passed, %d failed\n", aprovados, reprovados);
    return reprovados == 0 ? 0 : 1;
}

} // namespace verificacao
