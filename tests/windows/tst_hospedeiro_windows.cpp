// The library helper on Windows: sat-host.exe holds SAT_x64.DLL and serves its entry
// points over its standard input and output, as the console uses it; a DLL that
// crashes ends the helper with the system's exception code, and a fresh helper serves
// the next call. Plain Win32 and C++: no Qt.
#include "hospedeirowin.h"
#include "verificacao.h"

#include <cstdio>

namespace {

namespace protocolo = sat::protocolo;
using hospedeirowin::carregar;
using hospedeirowin::consultar;
using hospedeirowin::Hospedeiro;
using hospedeirowin::pastaDoPrograma;
using hospedeirowin::utf8;
using verificacao::verifica;
} // namespace

int main() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path pasta =
        fs::temp_directory_path() / ("tst_hospedeiro_windows-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(pasta, ec);
    SetEnvironmentVariableW(L"SATEMU_HOME", pasta.wstring().c_str());
    const std::string satemu = utf8(pastaDoPrograma() / "SAT_x64.DLL");
    const std::string quebra = utf8(pastaDoPrograma() / "dll_que_falha.dll");

    {
        Hospedeiro h;
        verifica(h.iniciar(), "sat-host.exe inicia");
        std::uint32_t funcoes = 0;
        if (carregar(h, satemu, funcoes)) {
            verifica(funcoes == 0x1ffffu, "as 17 funções do SAT_x64.DLL", std::to_string(funcoes));
            const auto r = consultar(h, 42);
            verifica(r && r->rfind("000042|08000|", 0) == 0, "consulta pelo helper", r.value_or("(nada)"));
        }
        // A path that is not a library: the loader's words come back, the helper goes on.
        if (h.enviar(protocolo::pedidoCarregar(utf8(pasta / "nada.dll")))) {
            const auto quadro = h.receber();
            const auto resposta = quadro ? protocolo::lerRespostaCarga(*quadro) : std::nullopt;
            verifica(resposta && !resposta->carregada && !resposta->erro.empty(), "erro de carga devolvido");
        }
    }
    {
        Hospedeiro h;
        verifica(h.iniciar(), "sat-host.exe inicia para a DLL que falha");
        std::uint32_t funcoes = 0;
        if (carregar(h, quebra, funcoes)) {
            const auto r = consultar(h, 7);
            verifica(!r, "a falha na DLL encerra o helper sem resposta");
            const DWORD codigo = h.codigoDeSaida();
            verifica(codigo == 0xC0000005u, "o helper termina com a violação de acesso",
                     std::to_string(codigo));
        }
    }
    {
        // The next command's fresh helper serves the device again.
        Hospedeiro h;
        std::uint32_t funcoes = 0;
        verifica(h.iniciar(), "um novo sat-host.exe inicia");
        if (carregar(h, satemu, funcoes)) {
            const auto r = consultar(h, 43);
            verifica(r && r->rfind("000043|08000|", 0) == 0, "consulta pelo novo helper",
                     r.value_or("(nada)"));
        }
    }

    fs::remove_all(pasta, ec);
    return verificacao::resumo();
}
