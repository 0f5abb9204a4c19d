// The library helper on Windows: sat-host.exe holds SAT_x64.DLL and serves its entry
// points over its standard input and output, as the console uses it; a DLL that
// crashes ends the helper with the system's exception code, and a fresh helper serves
// the next call. Plain Win32 and C++: no Qt.
#include "sat/protocolo.h"
#include "verificacao.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <windows.h>

namespace {

namespace protocolo = sat::protocolo;

using verificacao::verifica;

std::filesystem::path pastaDoPrograma() {
    wchar_t caminho[MAX_PATH];
    GetModuleFileNameW(nullptr, caminho, MAX_PATH);
    return std::filesystem::path(caminho).parent_path();
}

// sat-host.exe with its standard input and output on pipes of ours.
class Hospedeiro {
public:
    bool iniciar() {
        SECURITY_ATTRIBUTES herdavel{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE entradaDele = nullptr;
        HANDLE saidaDele = nullptr;
        if (!CreatePipe(&entradaDele, &escrever_, &herdavel, 0) ||
            !CreatePipe(&ler_, &saidaDele, &herdavel, 0))
            return false;
        SetHandleInformation(escrever_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(ler_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW inicio{};
        inicio.cb = sizeof inicio;
        inicio.dwFlags = STARTF_USESTDHANDLES;
        inicio.hStdInput = entradaDele;
        inicio.hStdOutput = saidaDele;
        inicio.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::wstring linha = L"\"" + (pastaDoPrograma() / L"sat-host.exe").wstring() + L"\"";
        const BOOL criado = CreateProcessW(nullptr, linha.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                           &inicio, &processo_);
        CloseHandle(entradaDele);
        CloseHandle(saidaDele);
        return criado != FALSE;
    }

    ~Hospedeiro() {
        if (escrever_ != nullptr)
            CloseHandle(escrever_); // the helper's cue to end
        if (processo_.hProcess != nullptr) {
            if (WaitForSingleObject(processo_.hProcess, 5000) != WAIT_OBJECT_0)
                TerminateProcess(processo_.hProcess, 1);
            CloseHandle(processo_.hProcess);
            CloseHandle(processo_.hThread);
        }
        if (ler_ != nullptr)
            CloseHandle(ler_);
    }

    bool enviar(const std::string& conteudo) {
        char cabecalho[protocolo::tamanhoDoCabecalho];
        protocolo::escreverCabecalho(cabecalho, static_cast<std::uint32_t>(conteudo.size()));
        return escreverTudo(cabecalho, sizeof cabecalho) && escreverTudo(conteudo.data(), conteudo.size());
    }

    // One frame, or nothing when the pipe ended first (the helper is gone).
    std::optional<std::string> receber() {
        char cabecalho[protocolo::tamanhoDoCabecalho];
        if (!lerTudo(cabecalho, sizeof cabecalho))
            return std::nullopt;
        const std::uint32_t tamanho = protocolo::lerCabecalho(cabecalho);
        if (tamanho > protocolo::limiteDoQuadro)
            return std::nullopt;
        std::string conteudo(tamanho, '\0');
        if (!lerTudo(conteudo.data(), tamanho))
            return std::nullopt;
        return conteudo;
    }

    DWORD codigoDeSaida() {
        WaitForSingleObject(processo_.hProcess, 10000);
        DWORD codigo = 0;
        GetExitCodeProcess(processo_.hProcess, &codigo);
        return codigo;
    }

private:
    bool escreverTudo(const char* dados, std::size_t n) {
        while (n > 0) {
            DWORD escritos = 0;
            if (!WriteFile(escrever_, dados, static_cast<DWORD>(n), &escritos, nullptr))
                return false;
            dados += escritos;
            n -= escritos;
        }
        return true;
    }
    bool lerTudo(char* dados, std::size_t n) {
        while (n > 0) {
            DWORD lidos = 0;
            if (!ReadFile(ler_, dados, static_cast<DWORD>(n), &lidos, nullptr) || lidos == 0)
                return false;
            dados += lidos;
            n -= lidos;
        }
        return true;
    }

    HANDLE escrever_ = nullptr;
    HANDLE ler_ = nullptr;
    PROCESS_INFORMATION processo_{};
};

bool carregar(Hospedeiro& h, const std::string& dll, std::uint32_t& funcoes) {
    if (!h.enviar(protocolo::pedidoCarregar(dll)))
        return false;
    const auto quadro = h.receber();
    if (!quadro)
        return false;
    const auto resposta = protocolo::lerRespostaCarga(*quadro);
    verifica(resposta && resposta->carregada, "o helper carrega " + dll, resposta ? resposta->erro : "");
    funcoes = resposta ? resposta->funcoes : 0;
    return resposta && resposta->carregada;
}

std::optional<std::string> consultar(Hospedeiro& h, int sessao) {
    if (!h.enviar(protocolo::pedidoChamar({sat::indiceDaFuncao(&sat::FuncoesSAT::ConsultarSAT), sessao, {}})))
        return std::nullopt;
    const auto quadro = h.receber();
    if (!quadro)
        return std::nullopt;
    const auto resposta = protocolo::lerRespostaChamada(*quadro);
    if (!resposta || resposta->desfecho != protocolo::Desfecho::Texto)
        return std::nullopt;
    return std::string(resposta->bytes);
}

std::string utf8(const std::filesystem::path& p) {
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

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
