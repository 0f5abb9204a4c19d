// What the fuzzers share: a property check that stops the run with a message
// (libFuzzer keeps the input as a crash), and a scratch folder in memory when the
// machine has one, since some readers only read files.
#pragma once

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace fuzz {

[[noreturn]] inline void falhou(const char* propriedade, const char* arquivo, int linha) {
    std::fprintf(stderr, "\n*** propriedade violada em %s:%d: %s\n", arquivo, linha, propriedade);
    std::abort();
}

// A folder of the process's own for scratch files: in /dev/shm when it is
// writable (files there cost no disk flush), otherwise in the system temporary
// folder. libFuzzer ends with _Exit, so no exit handler removes it: each fuzzer
// removes instead the folders left by processes that no longer run.
inline std::filesystem::path pastaTemporaria() {
    static const std::filesystem::path pasta = [] {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, ec) || ::access(base.c_str(), W_OK) != 0)
            base = std::filesystem::temp_directory_path(ec);
        const std::string prefixo = "satconsole-fuzz-";
        for (const auto& entrada : std::filesystem::directory_iterator(base, ec)) {
            const std::string nome = entrada.path().filename().string();
            if (nome.rfind(prefixo, 0) != 0)
                continue;
            const long pid = std::strtol(nome.c_str() + prefixo.size(), nullptr, 10);
            if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
                std::filesystem::remove_all(entrada.path(), ec);
        }
        const std::filesystem::path p = base / (prefixo + std::to_string(::getpid()));
        std::filesystem::remove_all(p, ec);
        if (!std::filesystem::create_directory(p, ec))
            falhou("não foi possível criar a pasta temporária", __FILE__, __LINE__);
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
