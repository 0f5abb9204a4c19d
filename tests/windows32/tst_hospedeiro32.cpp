// The 32-bit library helper: sat-host32.exe serves the emulated device in each form a
// maker may ship it (cdecl; stdcall under decorated names; stdcall under plain names),
// through a short device life, sees which convention each one uses, survives a library
// that crashes, and a fresh helper finds the device as it was left. Plain Win32 and
// C++: no Qt.
#include "hospedeirowin.h"
#include "verificacao.h"

#include <cstdio>
#include <vector>

namespace {

namespace protocolo = sat::protocolo;
using hospedeirowin::carregar;
using hospedeirowin::chamar;
using hospedeirowin::Hospedeiro;
using hospedeirowin::pastaDoPrograma;
using hospedeirowin::utf8;
using verificacao::verifica;
using Convencao = protocolo::Convencao;

constexpr const wchar_t* programa = L"sat-host32.exe";

struct Forma {
    const char* dll;
    Convencao convencao;
    const char* exportado; // the name ConsultarSAT goes by in the file
    const char* ausente;   // a name it must not be found under
    const char* dllQueFalha;
};

const char* nome(Convencao c) {
    switch (c) {
    case Convencao::Stdcall:
        return "stdcall";
    case Convencao::Cdecl:
        return "cdecl";
    case Convencao::Desconhecida:
        break;
    }
    return "desconhecida";
}

std::vector<std::string> campos(const std::string& texto) {
    std::vector<std::string> partes(1);
    for (const char c : texto) {
        if (c == '|')
            partes.emplace_back();
        else
            partes.back() += c;
    }
    return partes;
}

// One call whose answer must come as text under the form's convention; its code field.
class Vida {
public:
    Vida(Hospedeiro& h, const Forma& forma) : h_(h), forma_(forma) {}

    // `daSessao`: the answer is this call's own (the session query hands back a stored one).
    std::string chamada(const std::string& oque, int indice, std::vector<sat::ArgumentoSat> argumentos,
                        bool daSessao = true) {
        const int sessao = ++sessao_;
        const auto r = chamar(h_, {indice, sessao, std::move(argumentos)});
        verifica(r.has_value(), std::string(forma_.dll) + ": " + oque + " responde");
        if (!r)
            return {};
        verifica(r->convencao == forma_.convencao,
                 std::string(forma_.dll) + ": " + oque + " em " + nome(forma_.convencao), nome(r->convencao));
        const auto c = campos(r->bytes);
        char numero[16];
        std::snprintf(numero, sizeof numero, "%06d", sessao);
        verifica(c.size() > 1 && (!daSessao || c[0] == numero),
                 std::string(forma_.dll) + ": " + oque + " traz a sessão", r->bytes);
        ultima_ = r->bytes;
        return c.size() > 1 ? c[1] : std::string();
    }
    int sessao() const { return sessao_; }
    const std::string& ultima() const { return ultima_; }

private:
    Hospedeiro& h_;
    const Forma& forma_;
    int sessao_ = 100;
    std::string ultima_;
};

template <typename Ponteiro> int indice(Ponteiro sat::FuncoesSAT::*slot) {
    return sat::indiceDaFuncao(slot);
}

void iguais(const std::string& visto, const std::string& esperado, const std::string& oque) {
    verifica(visto == esperado, oque + " (esperado " + esperado + ")", visto);
}

// The names the file really exports, read by the loader: the form is what it claims.
void verificarNomes(const Forma& forma) {
    HMODULE dll = LoadLibraryW((pastaDoPrograma() / forma.dll).wstring().c_str());
    verifica(dll != nullptr, std::string(forma.dll) + " carrega neste processo");
    if (dll == nullptr)
        return;
    verifica(GetProcAddress(dll, forma.exportado) != nullptr,
             std::string(forma.dll) + " exporta " + forma.exportado);
    verifica(GetProcAddress(dll, forma.ausente) == nullptr,
             std::string(forma.dll) + " não exporta " + forma.ausente);
    FreeLibrary(dll);
}

void vidaDoDispositivo(const Forma& forma, const std::filesystem::path& pasta) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path casa = pasta / forma.dll;
    fs::create_directories(casa, ec);
    SetEnvironmentVariableW(L"SATEMU_HOME", casa.wstring().c_str());
    const std::string dll = utf8(pastaDoPrograma() / forma.dll);
    const std::string codigo = "12345678";
    const std::string prefixo = std::string(forma.dll) + ": ";
    verificarNomes(forma);

    std::string ativacao;
    int sessaoDaAtivacao = 0;
    {
        Hospedeiro h;
        verifica(h.iniciar(programa), prefixo + "sat-host32.exe inicia");
        std::uint32_t funcoes = 0;
        if (!carregar(h, dll, funcoes))
            return;
        verifica(funcoes == 0x1ffffu, prefixo + "as 17 funções encontradas", std::to_string(funcoes));
        Vida v(h, forma);
        iguais(v.chamada("consulta", indice(&sat::FuncoesSAT::ConsultarSAT), {}), "08000",
               prefixo + "consulta");
        iguais(v.chamada("status", indice(&sat::FuncoesSAT::ConsultarStatusOperacional), {codigo}), "10002",
               prefixo + "status antes de ativar");
        iguais(v.chamada("ativação", indice(&sat::FuncoesSAT::AtivarSAT), {1, codigo, "11222333000181", 35}),
               "04000", prefixo + "ativação");
        ativacao = v.ultima();
        sessaoDaAtivacao = v.sessao();
        iguais(v.chamada("status", indice(&sat::FuncoesSAT::ConsultarStatusOperacional), {codigo}), "10000",
               prefixo + "status depois de ativar");
        iguais(v.chamada("bloqueio", indice(&sat::FuncoesSAT::BloquearSAT), {codigo}), "16000",
               prefixo + "bloqueio");
        iguais(v.chamada("desbloqueio", indice(&sat::FuncoesSAT::DesbloquearSAT), {codigo}), "17000",
               prefixo + "desbloqueio");
        v.chamada("sessão", indice(&sat::FuncoesSAT::ConsultarNumeroSessao), {codigo, sessaoDaAtivacao},
                  false);
        iguais(v.ultima(), ativacao, prefixo + "a consulta de sessão devolve a ativação guardada");
        // A call whose arguments do not fit is refused before anything is pushed.
        verifica(!chamar(h, {indice(&sat::FuncoesSAT::AtivarSAT), 1, {codigo}}),
                 prefixo + "argumentos errados não chamam a função");
        iguais(v.chamada("consulta", indice(&sat::FuncoesSAT::ConsultarSAT), {}), "08000",
               prefixo + "o helper segue depois da recusa");
    }
    {
        // A library that crashes ends its helper with the system's code, never the caller.
        Hospedeiro h;
        verifica(h.iniciar(programa), prefixo + "sat-host32.exe inicia para a DLL que falha");
        std::uint32_t funcoes = 0;
        if (carregar(h, utf8(pastaDoPrograma() / forma.dllQueFalha), funcoes)) {
            const auto r = chamar(h, {indice(&sat::FuncoesSAT::ConsultarStatusOperacional), 1, {codigo}});
            verifica(r && r->bytes.rfind("000001|10000|", 0) == 0,
                     prefixo + "a DLL que falha responde antes");
            verifica(!chamar(h, {indice(&sat::FuncoesSAT::ConsultarSAT), 7, {}}),
                     prefixo + "a falha na DLL encerra o helper sem resposta");
            const DWORD saida = h.codigoDeSaida();
            verifica(saida == 0xC0000005u, prefixo + "o helper termina com a violação de acesso",
                     std::to_string(saida));
        }
    }
    {
        // The next command's fresh helper finds the device as the first one left it.
        Hospedeiro h;
        verifica(h.iniciar(programa), prefixo + "um novo sat-host32.exe inicia");
        std::uint32_t funcoes = 0;
        if (carregar(h, dll, funcoes)) {
            Vida v(h, forma);
            iguais(v.chamada("status", indice(&sat::FuncoesSAT::ConsultarStatusOperacional), {codigo}),
                   "10000", prefixo + "ativado depois da falha");
        }
    }
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path pasta =
        fs::temp_directory_path() / ("tst_hospedeiro32-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(pasta, ec);

    const Forma formas[] = {
        {"satemu.dll", Convencao::Cdecl, "ConsultarSAT", "ConsultarSAT@4", "dll_que_falha.dll"},
        {"satemu_stdcall.dll", Convencao::Stdcall, "ConsultarSAT@4", "ConsultarSAT",
         "dll_que_falha_stdcall.dll"},
        {"satemu_stdcall_def.dll", Convencao::Stdcall, "ConsultarSAT", "ConsultarSAT@4", "dll_que_falha.dll"},
    };
    for (const Forma& forma : formas)
        vidaDoDispositivo(forma, pasta);

    fs::remove_all(pasta, ec);
    return verificacao::resumo();
}
