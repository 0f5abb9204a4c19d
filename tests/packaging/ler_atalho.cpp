// Reads a Windows shortcut (.lnk) through the system's own shell link object, as
// Explorer reads it, and prints its target and working folder in UTF-8:
//   ler_atalho.exe ATALHO.lnk
//   alvo=C:\...\ativacao-sat.exe
//   pasta=C:\...
// Status 1 when the file is not a shortcut the system can read.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t* texto) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, texto, -1, nullptr, 0, nullptr, nullptr);
    std::string saida(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, texto, -1, saida.data(), n, nullptr, nullptr);
    return saida;
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 2) {
        std::fputs("uso: ler_atalho ATALHO.lnk\n", stderr);
        return 2;
    }
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    IShellLinkW* atalho = nullptr;
    IPersistFile* arquivo = nullptr;
    int status = 1;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&atalho))) &&
        SUCCEEDED(atalho->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&arquivo))) &&
        SUCCEEDED(arquivo->Load(argv[1], STGM_READ))) {
        wchar_t alvo[MAX_PATH] = {};
        wchar_t pasta[MAX_PATH] = {};
        if (SUCCEEDED(atalho->GetPath(alvo, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
            SUCCEEDED(atalho->GetWorkingDirectory(pasta, MAX_PATH))) {
            std::printf("alvo=%s\npasta=%s\n", utf8(alvo).c_str(), utf8(pasta).c_str());
            status = 0;
        }
    }
    if (arquivo != nullptr)
        arquivo->Release();
    if (atalho != nullptr)
        atalho->Release();
    CoUninitialize();
    LocalFree(argv);
    return status;
}
