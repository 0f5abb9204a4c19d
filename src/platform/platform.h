#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

// What differs between Windows and POSIX systems, behind plain C++ types so that the
// Windows half needs nothing but Win32. Paths and texts are UTF-8.
namespace platform {

// The path `utf8` names, for the standard library's files and folders. A path made
// from a plain std::string would be taken in the system's code page on Windows, so no
// folder with an accent (C:\Users\Conceição\...) could be opened; made from UTF-8 text
// it opens by its wide-character name there, and as the same bytes elsewhere.
inline std::filesystem::path caminhoNativo(const std::string& utf8) {
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

// A failed system call: the system's error code beside its own text (UTF-8). Not a
// std::system_error, whose text would repeat the system's words in the ANSI code page.
class ErroDoSistema : public std::runtime_error {
public:
    ErroDoSistema(const std::string& mensagem, unsigned long codigo)
        : std::runtime_error(mensagem), codigo_(codigo) {}
    unsigned long codigo() const noexcept { return codigo_; }

private:
    unsigned long codigo_;
};

// A shared library loaded by full path. The handle is kept until close(): the
// console never unloads its SAT library while running, since answers it handed out
// may still be read.
class BibliotecaDinamica {
public:
    BibliotecaDinamica() = default;
    BibliotecaDinamica(const BibliotecaDinamica&) = delete;
    BibliotecaDinamica& operator=(const BibliotecaDinamica&) = delete;
    ~BibliotecaDinamica() = default;

    // Loads the library at `caminho` (a full path: a bare name is not searched for in
    // the program's folder on every system). On failure returns false and puts the
    // loader's own reason into `erro` (on Windows with the system's error code).
    bool abrir(const std::string& caminho, std::string& erro);
    void fechar();
    bool aberta() const { return handle_ != nullptr; }

    // The address exported under `nome`, or nullptr.
    void* simbolo(const char* nome) const;

private:
    void* handle_ = nullptr;
};

// The "FileVersion" text of a program or library file. On Windows it comes from the
// file's version resource; ELF files have none, so there the running executable gives
// the console's own version and a library the numeric suffix of the file its name
// resolves to (a link SAT_x64.DLL -> libsat.so.2.1.0 gives "2.1.0"), else "".
// Throws std::runtime_error, with the system's reason, when the file or its version
// resource cannot be read; on Windows an ErroDoSistema, which also keeps the error code.
std::string versaoDoArquivo(const std::string& caminho);

// The "ProductName" text of a file's version resource, read as versaoDoArquivo reads
// "FileVersion"; "" when there is none or it cannot be read (always on ELF files).
std::string produtoDoArquivo(const std::string& caminho);

// The full path of the running executable and of its folder (with no trailing separator).
std::string caminhoDoExecutavel();
std::string pastaDoExecutavel();

// A message box with no owner window, no icon and one OK button: used when the
// library fails to load, before the console has anything to show.
void caixaDeMensagemSemDono(const std::string& titulo, const std::string& texto);

// Opens a file or an address with the program the desktop associates with it.
// The outcome is not reported.
void abrirComProgramaAssociado(const std::string& alvo);

} // namespace platform
