// A maker's library as the installer's tests need one: a SAT.DLL that is not the
// emulated device (its version resource says so) and writes down every call it
// answers, in sat-gravador.txt beside itself, so that a test knows which library the
// console consulted. Only ConsultarSAT: the console looks up the other names and
// leaves their slots empty.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HMODULE esteModulo() {
    HMODULE modulo = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&esteModulo), &modulo);
    return modulo;
}

void gravar(const char* chamada) {
    wchar_t caminho[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(esteModulo(), caminho, MAX_PATH);
    std::wstring registro(caminho, n);
    registro.erase(registro.find_last_of(L'\\') + 1);
    registro += L"sat-gravador.txt";
    if (FILE* f = _wfopen(registro.c_str(), L"ab")) {
        std::fprintf(f, "%s\r\n", chamada);
        std::fclose(f);
    }
}

char resposta[64];

} // namespace

extern "C" __declspec(dllexport) const char* ConsultarSAT(int sessao) {
    gravar("ConsultarSAT");
    std::snprintf(resposta, sizeof resposta, "%06d|08000|SAT em operação|||", sessao);
    return resposta;
}
