// POSIX half of the platform layer, the part without Qt: dlopen/dlsym, the
// executable's path, and the version read from a library's file name. The library
// helper (which has no Qt) uses it as the console does.
#include "platform/platform.h"

#include <dlfcn.h>
#include <filesystem>
#include <regex>
#include <system_error>

#ifndef SATCONSOLE_VERSION
#define SATCONSOLE_VERSION ""
#endif

namespace platform {

bool BibliotecaDinamica::abrir(const std::string& caminho, std::string& erro) {
    dlerror(); // forget any earlier failure
    void* handle = dlopen(caminho.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* motivo = dlerror();
        erro = motivo != nullptr ? motivo : "motivo desconhecido";
        return false;
    }
    handle_ = handle;
    return true;
}

void BibliotecaDinamica::fechar() {
    if (handle_ != nullptr)
        dlclose(handle_);
    handle_ = nullptr;
}

void* BibliotecaDinamica::simbolo(const char* nome) const {
    return handle_ != nullptr ? dlsym(handle_, nome) : nullptr;
}

std::string caminhoDoExecutavel() {
    std::error_code erro;
    const auto caminho = std::filesystem::read_symlink("/proc/self/exe", erro);
    return erro ? std::string() : caminho.string();
}

std::string pastaDoExecutavel() {
    return std::filesystem::path(caminhoDoExecutavel()).parent_path().string();
}

std::string versaoDoArquivo(const std::string& caminho) {
    std::error_code erro;
    const auto real = std::filesystem::canonical(caminho, erro);
    if (erro)
        throw std::system_error(erro, caminho);
    if (real == std::filesystem::canonical(caminhoDoExecutavel(), erro))
        return SATCONSOLE_VERSION;

    // "libsat.so.2.1.0" -> "2.1.0": the trailing run of dot-separated numbers.
    static const std::regex sufixo(R"(((?:\.[0-9]+)+)$)");
    const std::string nome = real.filename().string();
    std::smatch m;
    if (!std::regex_search(nome, m, sufixo))
        return {};
    const std::string numeros = m[1].str();
    // A name that is nothing but numbers has no version suffix.
    if (numeros.size() == nome.size())
        return {};
    return numeros.substr(1);
}

// ELF files carry no product name.
std::string produtoDoArquivo(const std::string&) { return {}; }

} // namespace platform
