// Windows half of the platform layer, in plain Win32 so that it builds with MinGW
// and MSVC alike without Qt.
#include "platform/platform.h"

// windows.h first: the other Win32 headers need its types.
// clang-format off
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <string>
#include <vector>

namespace platform {

namespace {

std::wstring largo(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring saida(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), saida.data(), n);
    return saida;
}

std::string estreito(const wchar_t* texto, int tamanho) {
    if (tamanho <= 0)
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, texto, tamanho, nullptr, 0, nullptr, nullptr);
    std::string saida(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, texto, tamanho, saida.data(), n, nullptr, nullptr);
    return saida;
}

std::string mensagemDoSistema(DWORD codigo) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, codigo, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string texto = estreito(buffer, static_cast<int>(n));
    LocalFree(buffer);
    while (!texto.empty() && (texto.back() == '\n' || texto.back() == '\r'))
        texto.pop_back();
    return texto;
}

// The system's own words followed by the code, which is what support asks for. Some
// texts name the file as "%1" ("%1 is not a valid Win32 application."): the file
// goes in its place rather than the bare placeholder.
std::string descricaoDoErro(DWORD codigo, const std::string& arquivo) {
    std::string texto = mensagemDoSistema(codigo);
    if (texto.empty())
        texto = "erro do sistema";
    for (std::size_t i = texto.find("%1"); i != std::string::npos; i = texto.find("%1", i + arquivo.size()))
        texto.replace(i, 2, arquivo);
    return texto + " (erro " + std::to_string(codigo) + ")";
}

// The last failure of a system call on `arquivo`. Some calls (VerQueryValueW) may fail
// without setting a last error; `seNenhum` then names what went wrong, instead of
// "success (erro 0)".
[[noreturn]] void erroDoSistema(const std::string& arquivo, DWORD seNenhum = ERROR_GEN_FAILURE) {
    DWORD codigo = GetLastError();
    if (codigo == ERROR_SUCCESS)
        codigo = seNenhum;
    throw ErroDoSistema(arquivo + ": " + descricaoDoErro(codigo, arquivo), codigo);
}

} // namespace

bool BibliotecaDinamica::abrir(const std::string& caminho, std::string& erro) {
    // By full path, and the libraries it needs are looked for in its own folder first
    // (a maker's DLL often brings its USB or serial driver DLLs beside it), not in the
    // console's. That search order takes a full path with backslashes only.
    std::wstring arquivo = largo(caminho);
    for (wchar_t& c : arquivo)
        if (c == L'/')
            c = L'\\';
    HMODULE handle = LoadLibraryExW(arquivo.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (handle == nullptr) {
        // Named as the loader on Linux names it, unless the system's text already does.
        const std::string descricao = descricaoDoErro(GetLastError(), caminho);
        erro = descricao.find(caminho) == std::string::npos ? caminho + ": " + descricao : descricao;
        return false;
    }
    handle_ = handle;
    return true;
}

void BibliotecaDinamica::fechar() {
    if (handle_ != nullptr)
        FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

void* BibliotecaDinamica::simbolo(const char* nome) const {
    if (handle_ == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), nome));
}

std::string caminhoDoExecutavel() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size())
            return estreito(buffer.data(), static_cast<int>(n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string pastaDoExecutavel() {
    const std::string caminho = caminhoDoExecutavel();
    const auto barra = caminho.find_last_of("\\/");
    return barra == std::string::npos ? std::string() : caminho.substr(0, barra);
}

namespace {

// The text `campo` ("FileVersion", "ProductName") of the file's version resource, in the
// block its first translation names; "" when the block has no such text. Throws
// ErroDoSistema when the file or its resource cannot be read.
std::string textoDaVersao(const std::string& caminho, const wchar_t* campo) {
    const std::wstring arquivo = largo(caminho);
    DWORD ignorado = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD tamanho = GetFileVersionInfoSizeW(arquivo.c_str(), &ignorado);
    if (tamanho == 0)
        erroDoSistema(caminho);
    std::vector<unsigned char> buffer(tamanho); // released on every way out
    SetLastError(ERROR_SUCCESS);
    if (!GetFileVersionInfoW(arquivo.c_str(), 0, tamanho, buffer.data()))
        erroDoSistema(caminho);

    struct Traducao {
        WORD idioma;
        WORD paginaDeCodigo;
    };
    Traducao* traducoes = nullptr;
    UINT bytes = 0;
    SetLastError(ERROR_SUCCESS);
    if (!VerQueryValueW(buffer.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&traducoes),
                        &bytes) ||
        bytes < sizeof(Traducao))
        erroDoSistema(caminho, ERROR_RESOURCE_NAME_NOT_FOUND);

    wchar_t chave[96];
    swprintf(chave, 96, L"\\StringFileInfo\\%.4x%.4x\\%ls", traducoes[0].idioma, traducoes[0].paginaDeCodigo,
             campo);
    wchar_t* texto = nullptr;
    UINT caracteres = 0;
    if (!VerQueryValueW(buffer.data(), chave, reinterpret_cast<void**>(&texto), &caracteres) || texto == nullptr)
        return {};
    return estreito(texto, static_cast<int>(wcsnlen(texto, caracteres)));
}

} // namespace

std::string versaoDoArquivo(const std::string& caminho) { return textoDaVersao(caminho, L"FileVersion"); }

std::string produtoDoArquivo(const std::string& caminho) {
    try {
        return textoDaVersao(caminho, L"ProductName");
    } catch (const ErroDoSistema&) {
        return {};
    }
}

void caixaDeMensagemSemDono(const std::string& titulo, const std::string& texto) {
    MessageBoxW(nullptr, largo(texto).c_str(), largo(titulo).c_str(), MB_OK);
}

void abrirComProgramaAssociado(const std::string& alvo) {
    ShellExecuteW(GetActiveWindow(), L"open", largo(alvo).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace platform
