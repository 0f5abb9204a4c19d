// The library helper's limits on Windows, for the helper named by HOSPEDEIRO_EXE
// (sat-host.exe or sat-host32.exe): a request frame over the size limit is read to its
// end, thrown away and answered "invalid request", and the next frame is served; an
// answer over the limit is said so and the helper goes on; a helper stuck in a
// library's loading (inside the system's loader) can be ended, and a fresh one loads
// the library once it loads. Plain Win32 and C++: no Qt.
#include "hospedeirowin.h"
#include "verificacao.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

namespace protocolo = sat::protocolo;
using hospedeirowin::carregar;
using hospedeirowin::chamar;
using hospedeirowin::Hospedeiro;
using hospedeirowin::pastaDoPrograma;
using hospedeirowin::utf8;
using verificacao::verifica;

const std::string prefixo = [] {
    const std::wstring w = HOSPEDEIRO_EXE;
    return std::string(w.begin(), w.end()) + ": ";
}();

sat::Invocacao status(int sessao) {
    return {sat::indiceDaFuncao(&sat::FuncoesSAT::ConsultarStatusOperacional), sessao, {std::string("123")}};
}

// The first byte of the next answer, or 0 when none came.
char desfecho(Hospedeiro& h) {
    const auto quadro = h.receber();
    return quadro && quadro->size() == 1 ? (*quadro)[0] : '\0';
}

void pedidoEResposta(const std::string& dll) {
    Hospedeiro h;
    verifica(h.iniciar(HOSPEDEIRO_EXE), prefixo + "inicia");
    std::uint32_t funcoes = 0;
    if (!carregar(h, dll, funcoes))
        return;

    // One byte over the limit, sent whole: the helper must read past all of it.
    const std::uint32_t tamanho = protocolo::limiteDoQuadro + 1;
    char cabecalho[protocolo::tamanhoDoCabecalho];
    protocolo::escreverCabecalho(cabecalho, tamanho);
    bool enviado = h.escrever(cabecalho, sizeof cabecalho);
    const std::vector<char> pedaco(4u << 20, 'C');
    for (std::uint32_t faltam = tamanho; enviado && faltam > 0;) {
        const auto agora = std::min<std::uint32_t>(faltam, static_cast<std::uint32_t>(pedaco.size()));
        enviado = h.escrever(pedaco.data(), agora);
        faltam -= agora;
    }
    verifica(enviado, prefixo + "o quadro grande demais é lido até o fim");
    verifica(desfecho(h) == static_cast<char>(protocolo::Desfecho::PedidoInvalido),
             prefixo + "o quadro grande demais é recusado como pedido inválido");
    auto r = chamar(h, status(2));
    verifica(r && r->bytes == "000001|10000|ok|||", prefixo + "o quadro seguinte é lido do seu cabeçalho");

    // An answer over the limit: said so, and the same helper serves the next call.
    verifica(
        h.enviar(protocolo::pedidoChamar({sat::indiceDaFuncao(&sat::FuncoesSAT::ConsultarSAT), 3, {}})) &&
            desfecho(h) == static_cast<char>(protocolo::Desfecho::GrandeDemais),
        prefixo + "a resposta grande demais é dita");
    r = chamar(h, status(4));
    verifica(r && r->bytes == "000001|10000|ok|||",
             prefixo + "o helper segue depois da resposta grande demais");
}

void cargaQueNaoTermina(const std::string& dll, const std::filesystem::path& pasta) {
    const std::filesystem::path trava = pasta / "trava";
    std::ofstream(trava) << "1";
    SetEnvironmentVariableW(L"DLL_LIMITES_TRAVA", trava.wstring().c_str());
    {
        Hospedeiro h;
        verifica(h.iniciar(HOSPEDEIRO_EXE), prefixo + "inicia para a carga que não termina");
        verifica(h.enviar(protocolo::pedidoCarregar(dll)), prefixo + "o pedido de carga é enviado");
        verifica(!h.chegouAlgoEm(2000), prefixo + "a carga não termina");
        verifica(h.matar(), prefixo + "o helper preso na carga é encerrado");
        verifica(h.codigoDeSaida() == 1, prefixo + "o helper encerrado termina com o código dado");
    }
    std::error_code ec;
    std::filesystem::remove(trava, ec);
    {
        Hospedeiro h;
        verifica(h.iniciar(HOSPEDEIRO_EXE), prefixo + "um novo helper inicia");
        std::uint32_t funcoes = 0;
        if (carregar(h, dll, funcoes)) {
            const auto r = chamar(h, status(5));
            verifica(r && r->bytes == "000001|10000|ok|||", prefixo + "o novo helper carrega e responde");
        }
    }
    SetEnvironmentVariableW(L"DLL_LIMITES_TRAVA", nullptr);
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path pasta =
        fs::temp_directory_path() / ("tst_limites_hospedeiro-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(pasta, ec);
    const std::string dll = utf8(pastaDoPrograma() / "dll_limites.dll");
    pedidoEResposta(dll);
    cargaQueNaoTermina(dll, pasta);
    fs::remove_all(pasta, ec);
    return verificacao::resumo();
}
