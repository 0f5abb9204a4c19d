// What the fuzzers share: a property check that stops the run with a message
// (libFuzzer keeps the input as a crash), and a scratch folder in memory when the
// machine has one, since some readers only read files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace fuzz {

[[noreturn]] inline void falhou(const char* propriedade, const char* arquivo, int linha) {
    std::fprintf(stderr, "\n*** propriedade violada em %s:%d: %s\n", arquivo, linha, propriedade);
    std::abort();
}

// A folder of the process's own for scratch files: in /dev/shm when it is
// writable (files there cost no disk flush), otherwise in the system temporary folder.
inline std::filesystem::path pastaTemporaria() {
    static const std::filesystem::path pasta = [] {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, ec))
            base = std::filesystem::temp_directory_path(ec);
        std::filesystem::path p;
        for (unsigned n = 0;; ++n) {
            p = base /
                ("satconsole-fuzz-" + std::to_string(std::random_device{}()) + "-" + std::to_string(n));
            if (std::filesystem::create_directory(p, ec))
                break;
            if (n > 100)
                falhou("não foi possível criar a pasta temporária", __FILE__, __LINE__);
        }
        std::atexit([] {
            std::error_code e;
            std::filesystem::remove_all(pasta, e);
        });
        return p;
    }();
    return pasta;
}

} // namespace fuzz

// A property of the reader: checked in every build type.
#define EXIGIR(condicao, propriedade)                                                                        \
    do {                                                                                                     \
        if (!(condicao))                                                                                     \
            ::fuzz::falhou(propriedade, __FILE__, __LINE__);                                                 \
    } while (false)
