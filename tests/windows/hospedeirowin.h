#pragma once

// A library helper (sat-host.exe, sat-host32.exe) driven as the console drives it: its
// standard input and output on pipes of the test program's, one frame at a time. Plain
// Win32 and C++: no Qt.
#include "sat/protocolo.h"
#include "verificacao.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <filesystem>
#include <optional>
#include <string>
#include <windows.h>

namespace hospedeirowin {

namespace protocolo = sat::protocolo;

inline std::filesystem::path pastaDoPrograma() {
    wchar_t caminho[MAX_PATH];
    GetModuleFileNameW(nullptr, caminho, MAX_PATH);
    return std::filesystem::path(caminho).parent_path();
}

// sat-host.exe with its standard input and output on pipes of ours.
class Hospedeiro {
public:
    // `programa`: the helper's file name, beside this test program.
    bool iniciar(const wchar_t* programa = L"sat-host.exe") {
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
        std::wstring linha = L"\"" + (pastaDoPrograma() / programa).wstring() + L"\"";
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

    // Raw bytes on the helper's input: frames no console would send.
    bool escrever(const char* dados, std::size_t n) { return escreverTudo(dados, n); }

    // Whether anything came from the helper within `ms` milliseconds.
    bool chegouAlgoEm(DWORD ms) {
        for (DWORD passado = 0;; passado += 20) {
            DWORD disponiveis = 0;
            if (PeekNamedPipe(ler_, nullptr, 0, nullptr, &disponiveis, nullptr) && disponiveis > 0)
                return true;
            if (passado >= ms)
                return false;
            Sleep(20);
        }
    }

    // Ends the helper as the console ends one it gives up on.
    bool matar() { return TerminateProcess(processo_.hProcess, 1) != FALSE; }

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

// The path as the helper's requests carry it.
inline std::string utf8(const std::filesystem::path& p) {
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

inline bool carregar(Hospedeiro& h, const std::string& dll, std::uint32_t& funcoes) {
    if (!h.enviar(protocolo::pedidoCarregar(dll)))
        return false;
    const auto quadro = h.receber();
    if (!quadro)
        return false;
    const auto resposta = protocolo::lerRespostaCarga(*quadro);
    verificacao::verifica(resposta && resposta->carregada, "o helper carrega " + dll,
                          resposta ? resposta->erro : "");
    funcoes = resposta ? resposta->funcoes : 0;
    return resposta && resposta->carregada;
}

// A text answer and the calling convention the helper saw.
struct Texto {
    std::string bytes;
    protocolo::Convencao convencao = protocolo::Convencao::Desconhecida;
};

// One call; nothing unless it came back as text.
inline std::optional<Texto> chamar(Hospedeiro& h, const sat::Invocacao& chamada) {
    if (!h.enviar(protocolo::pedidoChamar(chamada)))
        return std::nullopt;
    const auto quadro = h.receber();
    if (!quadro)
        return std::nullopt;
    const auto resposta = protocolo::lerRespostaChamada(*quadro);
    if (!resposta || resposta->desfecho != protocolo::Desfecho::Texto)
        return std::nullopt;
    return Texto{std::string(resposta->bytes), resposta->convencao};
}

inline std::optional<std::string> consultar(Hospedeiro& h, int sessao) {
    const auto r = chamar(h, {sat::indiceDaFuncao(&sat::FuncoesSAT::ConsultarSAT), sessao, {}});
    if (!r)
        return std::nullopt;
    return r->bytes;
}

} // namespace hospedeirowin
