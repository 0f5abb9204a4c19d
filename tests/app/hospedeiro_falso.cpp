// A stand-in for the library helper that answers what a real one never should, so
// that the console's own words for it can be seen. HOSPEDEIRO_FALSO says what and when:
//   carga=ilegivel   the load is answered with a frame of unknown kind;
//   carga=vazio      the load is answered with a frame of length 0;
//   chamada=ilegivel the load succeeds (17 entry points), calls get a frame of unknown kind;
//   chamada=vazio    likewise, with a frame of length 0;
//   chamada=E|S|A    likewise, calls get that refusal (invalid request, no such entry point,
//                    wrong arguments); "chamada=E+": the refusal followed by stray bytes;
//   texto=R|P|D      the load succeeds, calls are answered as a device in operation would,
//                    with that first byte (text; from a stdcall entry point; from a cdecl one).
// Standard C++ and POSIX only.
#include "sat/protocolo.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

namespace protocolo = sat::protocolo;

bool lerTudo(char* destino, std::size_t n) {
    while (n > 0) {
        const ssize_t lidos = ::read(0, destino, n);
        if (lidos <= 0)
            return false;
        destino += lidos;
        n -= static_cast<std::size_t>(lidos);
    }
    return true;
}

void escreverQuadro(const std::string& conteudo) {
    char cabecalho[protocolo::tamanhoDoCabecalho];
    protocolo::escreverCabecalho(cabecalho, static_cast<std::uint32_t>(conteudo.size()));
    std::string quadro(cabecalho, sizeof cabecalho);
    quadro += conteudo;
    const char* p = quadro.data();
    std::size_t n = quadro.size();
    while (n > 0) {
        const ssize_t escritos = ::write(1, p, n);
        if (escritos <= 0)
            return;
        p += escritos;
        n -= static_cast<std::size_t>(escritos);
    }
}

// The answer a mode gives: "ilegivel", "vazio", or a refusal's letter.
void responderMal(const std::string& como) {
    if (como == "ilegivel")
        escreverQuadro("X?");
    else if (como == "vazio")
        escreverQuadro("");
    else if (como.size() == 2 && como[1] == '+')
        escreverQuadro(como.substr(0, 1) + "sobra");
    else
        escreverQuadro(como);
}

} // namespace

int main() {
    const char* modo = std::getenv("HOSPEDEIRO_FALSO");
    const std::string pedido = modo != nullptr ? modo : "";
    const std::size_t igual = pedido.find('=');
    const std::string quando = pedido.substr(0, igual);
    const std::string como = igual == std::string::npos ? "" : pedido.substr(igual + 1);
    for (;;) {
        char cabecalho[protocolo::tamanhoDoCabecalho];
        if (!lerTudo(cabecalho, sizeof cabecalho))
            return 0;
        std::string conteudo(protocolo::lerCabecalho(cabecalho), '\0');
        if (!lerTudo(conteudo.data(), conteudo.size()))
            return 0;
        const auto lido = protocolo::lerPedido(conteudo);
        if (!lido)
            return 1;
        if (lido->tipo == protocolo::Pedido::Tipo::Carregar) {
            if (quando == "carga") {
                responderMal(como);
            } else {
                protocolo::RespostaDaCarga carga;
                carga.carregada = true;
                carga.funcoes = 0x1ffffu;
                escreverQuadro(protocolo::respostaCarga(carga));
            }
        } else if (quando == "texto") {
            char resposta[64];
            std::snprintf(resposta, sizeof resposta, "%s%06d|08000|SAT em operacao||", como.c_str(),
                          lido->chamada.sessao);
            escreverQuadro(resposta);
        } else {
            responderMal(como);
        }
    }
}
