// What differs on Windows, proven on Windows (or Wine): the Win32 platform layer
// loads a library by full path, looks up its entry points and reads file versions
// from version resources; the emulated device works as a real DLL, SAT_x64.DLL,
// through the same 17 entry points the console calls. Plain Win32 and C++: no Qt.
#include "platform/platform.h"
#include "sat/funcoessat.h"
#include "verificacao.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

namespace {

using verificacao::verifica;

void iguais(const std::string& obtido, const std::string& esperado, const std::string& oque) {
    verifica(obtido == esperado, oque, "obtido \"" + obtido + "\", esperado \"" + esperado + "\"");
}

bool comeca(const std::string& texto, const std::string& inicio) {
    return texto.rfind(inicio, 0) == 0;
}

std::vector<std::string> campos(const std::string& resposta) {
    std::vector<std::string> lista;
    std::size_t inicio = 0;
    for (;;) {
        const std::size_t barra = resposta.find('|', inicio);
        lista.push_back(resposta.substr(inicio, barra - inicio));
        if (barra == std::string::npos)
            return lista;
        inicio = barra + 1;
    }
}

std::string utf8(const std::wstring& largo) {
    if (largo.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, largo.data(), static_cast<int>(largo.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string saida(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, largo.data(), static_cast<int>(largo.size()), saida.data(), n, nullptr,
                        nullptr);
    return saida;
}

// The system's text for an error code, asked here independently of the platform layer,
// with the file in place of the "%1" some texts carry.
std::string textoDoSistema(DWORD codigo, const std::string& arquivo) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, codigo, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring texto(buffer != nullptr ? buffer : L"", n);
    LocalFree(buffer);
    while (!texto.empty() && (texto.back() == L'\n' || texto.back() == L'\r'))
        texto.pop_back();
    std::string saida = utf8(texto);
    if (const auto i = saida.find("%1"); i != std::string::npos)
        saida.replace(i, 2, arquivo);
    return saida;
}

std::string naPasta(const std::string& nome) {
    return platform::pastaDoExecutavel() + "\\" + nome;
}

// The entry points a short device life goes through.
struct Dispositivo {
    const char* (*ConsultarSAT)(int) = nullptr;
    const char* (*ConsultarStatusOperacional)(int, const char*) = nullptr;
    const char* (*AtivarSAT)(int, int, const char*, const char*, int) = nullptr;
    const char* (*BloquearSAT)(int, const char*) = nullptr;
    const char* (*DesbloquearSAT)(int, const char*) = nullptr;
    const char* (*TrocarCodigoDeAtivacao)(int, const char*, int, const char*, const char*) = nullptr;
    const char* (*ConsultarNumeroSessao)(int, const char*, int) = nullptr;
    const char* (*ExtrairLogs)(int, const char*) = nullptr;

    template <typename F> static void liga(const platform::BibliotecaDinamica& dll, F& f, const char* nome) {
        f = reinterpret_cast<F>(dll.simbolo(nome));
    }

    bool ligar(const platform::BibliotecaDinamica& dll) {
        liga(dll, ConsultarSAT, "ConsultarSAT");
        liga(dll, ConsultarStatusOperacional, "ConsultarStatusOperacional");
        liga(dll, AtivarSAT, "AtivarSAT");
        liga(dll, BloquearSAT, "BloquearSAT");
        liga(dll, DesbloquearSAT, "DesbloquearSAT");
        liga(dll, TrocarCodigoDeAtivacao, "TrocarCodigoDeAtivacao");
        liga(dll, ConsultarNumeroSessao, "ConsultarNumeroSessao");
        liga(dll, ExtrairLogs, "ExtrairLogs");
        return ConsultarSAT && ConsultarStatusOperacional && AtivarSAT && BloquearSAT && DesbloquearSAT &&
               TrocarCodigoDeAtivacao && ConsultarNumeroSessao && ExtrairLogs;
    }
};

// The answer is the library's buffer: copied at once, as the console does.
std::string copia(const char* resposta) {
    return resposta != nullptr ? std::string(resposta) : std::string();
}

void carregamentoEEntradas() {
    platform::BibliotecaDinamica dll;
    std::string erro;
    const std::string caminho = naPasta("SAT_x64.DLL");
    verifica(dll.abrir(caminho, erro), "SAT_x64.DLL carrega pelo caminho completo", caminho + ": " + erro);
    verifica(dll.aberta(), "a biblioteca fica aberta");
    // Every entry point the console binds, by the console's own list.
    int achadas = 0;
    sat::paraCadaFuncao([&](const char* nome, auto) {
        const bool achou = dll.simbolo(nome) != nullptr;
        verifica(achou, std::string("entrada exportada: ") + nome);
        achadas += achou ? 1 : 0;
    });
    verifica(achadas == 17, "as 17 entradas", std::to_string(achadas));
    verifica(dll.simbolo("NaoExiste") == nullptr, "um nome que a biblioteca não exporta fica vazio");
    dll.fechar();
    verifica(!dll.aberta() && dll.simbolo("ConsultarSAT") == nullptr, "fechada, não entrega mais endereços");

    const std::string executavel = platform::caminhoDoExecutavel();
    verifica(executavel.size() > platform::pastaDoExecutavel().size() &&
                 comeca(executavel, platform::pastaDoExecutavel() + "\\") &&
                 executavel.find("tst_windows.exe") != std::string::npos,
             "caminho e pasta do executável", executavel);
}

void falhasDeCarregamento(const std::filesystem::path& pasta) {
    // A file that is not a library, under a library's name.
    const std::filesystem::path falsa = pasta / "NAO_E_DLL.DLL";
    std::ofstream(falsa, std::ios::binary) << "isto não é uma biblioteca\r\n";
    struct Caso {
        std::string caminho;
        DWORD codigo;
        const char* oque;
    };
    const Caso casos[] = {
        {falsa.string(), ERROR_BAD_EXE_FORMAT, "arquivo que não é DLL"},
        {(pasta / "AUSENTE.DLL").string(), ERROR_MOD_NOT_FOUND, "arquivo ausente"},
    };
    for (const Caso& caso : casos) {
        platform::BibliotecaDinamica dll;
        std::string erro;
        verifica(!dll.abrir(caso.caminho, erro), std::string("não carrega: ") + caso.oque);
        verifica(!dll.aberta(), std::string("nada fica aberto: ") + caso.oque);
        verifica(erro.find("%1") == std::string::npos, std::string("o texto não traz \"%1\": ") + caso.oque,
                 erro);
        const std::string texto = textoDoSistema(caso.codigo, caso.caminho);
        iguais(erro,
               (texto.find(caso.caminho) == std::string::npos ? caso.caminho + ": " : std::string()) + texto +
                   " (erro " + std::to_string(caso.codigo) + ")",
               std::string("o erro do carregador, com o código: ") + caso.oque);
    }
}

void versoes(const std::filesystem::path& pasta) {
    struct Caso {
        const char* arquivo;
        const char* esperado;
    };
    const Caso casos[] = {
        {"SAT_x64.DLL", SATEMU_VERSION},           // the emulated device: its own version
        {"sem_fileversion.dll", ""},               // a translation, but no FileVersion in its block
        {"duas_traducoes.dll", "2.5.1 (build 12)"} // only the first translation pair counts
    };
    for (const Caso& caso : casos) {
        try {
            iguais(platform::versaoDoArquivo(naPasta(caso.arquivo)), caso.esperado,
                   std::string("versão de ") + caso.arquivo);
        } catch (const std::exception& e) {
            verifica(false, std::string("versão de ") + caso.arquivo, e.what());
        }
    }

    // The product name, by which the console knows the emulated device: read like the
    // version, and "" (never an error) where there is none or nothing can be read.
    const Caso produtos[] = {
        {"SAT_x64.DLL", "satemu - emulated SAT device"},
        {"sem_fileversion.dll", "sem FileVersion"},
        {"sem_recurso.dll", ""},
        {"sem_traducao.dll", ""},
        {"AUSENTE.DLL", ""},
    };
    for (const Caso& caso : produtos) {
        try {
            iguais(platform::produtoDoArquivo(naPasta(caso.arquivo)), caso.esperado,
                   std::string("produto de ") + caso.arquivo);
        } catch (const std::exception& e) {
            verifica(false, std::string("produto de ") + caso.arquivo + " sem exceção", e.what());
        }
    }

    struct Falha {
        std::string caminho;
        DWORD codigo; // 0: any failure code the system gives
        const char* oque;
    };
    const Falha falhas[] = {
        {naPasta("sem_recurso.dll"), ERROR_RESOURCE_DATA_NOT_FOUND, "DLL sem recurso algum"},
        {(pasta / "NAO_E_DLL.DLL").string(), 0, "arquivo que não é DLL"},
        {(pasta / "AUSENTE.DLL").string(), ERROR_FILE_NOT_FOUND, "arquivo ausente"},
        {naPasta("sem_traducao.dll"), 0, "recurso sem tabela de tradução"},
    };
    for (const Falha& falha : falhas) {
        const std::string oque = std::string("erro do sistema ao ler a versão: ") + falha.oque;
        try {
            const std::string versao = platform::versaoDoArquivo(falha.caminho);
            verifica(false, oque, "devolveu \"" + versao + "\"");
        } catch (const platform::ErroDoSistema& e) {
            const DWORD codigo = static_cast<DWORD>(e.codigo());
            verifica(codigo != ERROR_SUCCESS, oque + " (código diferente de 0)");
            if (falha.codigo != 0)
                verifica(codigo == falha.codigo, oque + " (código)", std::to_string(codigo));
            iguais(e.what(),
                   falha.caminho + ": " + textoDoSistema(codigo, falha.caminho) + " (erro " +
                       std::to_string(codigo) + ")",
                   oque + " (texto)");
        } catch (const std::exception& e) {
            verifica(false, oque + " (tipo do erro)", e.what());
        }
    }
}

std::string sessao(int numero) {
    char texto[16];
    std::snprintf(texto, sizeof texto, "%06d", numero);
    return texto;
}

void vidaDoDispositivo(const std::filesystem::path& pasta) {
    platform::BibliotecaDinamica dll;
    std::string erro;
    if (!dll.abrir(naPasta("SAT_x64.DLL"), erro)) {
        verifica(false, "SAT_x64.DLL carrega para a vida do dispositivo", erro);
        return;
    }
    Dispositivo sat;
    if (!sat.ligar(dll)) {
        verifica(false, "entradas da vida do dispositivo");
        return;
    }
    int n = 100;
    const char* const codigo = "12345678";
    // A Windows-1252 activation code ("código-ç1"): 8-bit text crosses the DLL intact.
    const char* const novo = "c\xf3"
                             "digo-\xe7"
                             "1";

    auto r = campos(copia(sat.ConsultarSAT(++n)));
    iguais(r[0], sessao(n), "a resposta traz o número da sessão");
    iguais(r[1], "08000", "consulta de fábrica");
    iguais(r.size() > 2 ? r[2] : "", "SAT em opera\xc3\xa7\xc3\xa3o.", "mensagem da consulta em UTF-8");
    iguais(campos(copia(sat.ConsultarStatusOperacional(++n, codigo)))[1], "10002", "status antes de ativar");

    const int sessaoDaAtivacao = ++n;
    const std::string ativacao = copia(sat.AtivarSAT(sessaoDaAtivacao, 1, codigo, "11222333000181", 35));
    iguais(campos(ativacao)[1], "04000", "ativação");
    auto status = campos(copia(sat.ConsultarStatusOperacional(++n, codigo)));
    iguais(status[1], "10000", "status depois de ativar");
    verifica(status.size() == 28, "status com os 23 campos de dados", std::to_string(status.size()));
    if (status.size() == 28) {
        iguais(status[5], "900004019", "NSERIE");
        iguais(status[27], "0", "ESTADO_OPERACAO desbloqueado");
    }

    iguais(campos(copia(sat.BloquearSAT(++n, codigo)))[1], "16000", "bloqueio");
    status = campos(copia(sat.ConsultarStatusOperacional(++n, codigo)));
    iguais(status.size() == 28 ? status[27] : "", "2", "ESTADO_OPERACAO bloqueado pelo contribuinte");
    iguais(campos(copia(sat.BloquearSAT(++n, codigo)))[1], "16003", "bloqueio de um SAT já bloqueado");
    iguais(campos(copia(sat.DesbloquearSAT(++n, codigo)))[1], "17000", "desbloqueio");
    iguais(campos(copia(sat.DesbloquearSAT(++n, codigo)))[1], "17003", "desbloqueio de um SAT desbloqueado");

    iguais(campos(copia(sat.TrocarCodigoDeAtivacao(++n, codigo, 1, novo, novo)))[1], "18000",
           "troca de código");
    iguais(campos(copia(sat.ConsultarStatusOperacional(++n, codigo)))[1], "10001",
           "o código antigo não vale");
    iguais(campos(copia(sat.ConsultarStatusOperacional(++n, "c\xc3\xb3"
                                                            "digo-\xc3\xa7"
                                                            "1")))[1],
           "10001", "o novo código em outros bytes não vale");
    iguais(campos(copia(sat.ConsultarStatusOperacional(++n, novo)))[1], "10000", "o novo código vale");

    iguais(copia(sat.ConsultarNumeroSessao(++n, novo, sessaoDaAtivacao)), ativacao,
           "a consulta de sessão devolve a resposta guardada");
    const auto logs = campos(copia(sat.ExtrairLogs(++n, novo)));
    iguais(logs[1], "15000", "extração de logs");
    verifica(logs.size() > 5 && logs[5].size() > 100, "os logs vêm em Base64");

    // The fault file beside the state is read at every call and its count lowered.
    std::ofstream(pasta / "satemu-faults.conf") << "code.ConsultarSAT=08098\ncode_count=1\n";
    iguais(campos(copia(sat.ConsultarSAT(++n)))[1], "08098", "falha forçada pelo arquivo");
    iguais(campos(copia(sat.ConsultarSAT(++n)))[1], "08000", "a falha forçada acaba na contagem");

    // Calls from other threads: each gets its own answer, none mixed up.
    std::atomic<bool> trocadas{false};
    auto trabalho = [&sat, &trocadas](int primeira) {
        for (int i = 0; i < 20; ++i) {
            const int numero = primeira + i;
            if (copia(sat.ConsultarSAT(numero)).rfind(sessao(numero) + "|08000|", 0) != 0)
                trocadas = true;
        }
    };
    std::thread a(trabalho, 1000);
    std::thread b(trabalho, 2000);
    a.join();
    b.join();
    verifica(!trocadas, "consultas de duas threads, cada uma com sua resposta");

    // The device lives in its state file: a second load finds it as it was left.
    dll.fechar();
    verifica(dll.abrir(naPasta("SAT_x64.DLL"), erro), "a DLL carrega outra vez", erro);
    verifica(sat.ligar(dll), "entradas depois de carregar outra vez");
    iguais(campos(copia(sat.ConsultarStatusOperacional(++n, novo)))[1], "10000",
           "o estado sobrevive a descarregar a DLL");
    verifica(std::filesystem::exists(pasta / "satemu-state.txt"), "o estado fica em SATEMU_HOME");
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path pasta =
        fs::temp_directory_path() / ("tst_windows-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(pasta, ec);
    // The emulated device keeps its state in this test's own folder.
    SetEnvironmentVariableW(L"SATEMU_HOME", pasta.wstring().c_str());

    carregamentoEEntradas();
    falhasDeCarregamento(pasta);
    versoes(pasta);
    vidaDoDispositivo(pasta);

    fs::remove_all(pasta, ec);
    return verificacao::resumo();
}
