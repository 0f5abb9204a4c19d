// satemu's entry points with any arguments and documents, each input run on a
// device of its own (a fresh SATEMU_HOME), as a short series of calls.
//
// Input: records separated by the byte 0x1E, fields by 0x1F. The first record's
// first byte picks the device the calls start on: factory-new, activated,
// activated and associated, or with a sale that may still be cancelled. Each
// other record is one step: its first field's first byte picks the entry point
// (or writes the state or fault file), the other fields are its arguments in
// order (an absent text argument is passed as null; an absent session number is
// the next valid one). "@chave" in any text is the last sale's key.
#include "comum.h"
#include "faults.h"
#include "satemu.h"
#include "state.h"
#include "text.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kCodigo = "12345678";
constexpr const char* kContribuinte = "11222333000181";
constexpr const char* kSoftwareHouse = "11444777000161";

std::string assinatura() {
    std::string bruto;
    for (int i = 0; i < 256; ++i)
        bruto += static_cast<char>((i * 37 + 11) & 0xFF);
    return satemu::base64Encode(bruto);
}

std::string venda() {
    return std::string("<CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CNPJ>") + kSoftwareHouse +
           "</CNPJ><signAC>" + assinatura() + "</signAC><numeroCaixa>001</numeroCaixa></ide><emit><CNPJ>" +
           kContribuinte +
           "</CNPJ><IE>111111111111</IE><indRatISSQN>N</indRatISSQN></emit><dest/><det nItem=\"1\"><prod>"
           "<cProd>A1</cProd><xProd>Caneta</xProd><CFOP>5102</CFOP><uCom>UN</uCom><qCom>1.0000</qCom>"
           "<vUnCom>10.00</vUnCom><indRegra>A</indRegra></prod><imposto><ICMS><ICMS00><Orig>0</Orig>"
           "<CST>00</CST><pICMS>18.00</pICMS></ICMS00></ICMS><PIS><PISNT><CST>04</CST></PISNT></PIS>"
           "<COFINS><COFINSNT><CST>04</CST></COFINSNT></COFINS></imposto></det><total/><pgto><MP>"
           "<cMP>01</cMP><vMP>10.00</vMP></MP></pgto></infCFe></CFe>";
}

void gravar(const fs::path& arquivo, std::string_view texto) {
    std::ofstream saida(arquivo, std::ios::binary | std::ios::trunc);
    saida.write(texto.data(), static_cast<std::streamsize>(texto.size()));
    EXIGIR(saida.good(), "não foi possível gravar o arquivo de trabalho");
}

std::optional<std::string> ler(const fs::path& arquivo) {
    std::ifstream entrada(arquivo, std::ios::binary);
    if (!entrada)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(entrada), {});
}

// The device folders the calls start from, made by the entry points themselves.
// The sale may be cancelled for 30 minutes, so they are made again now and then.
struct Modelos {
    std::optional<std::string> estado[4]; // nullopt: no state file (factory-new)
    std::string chave;                    // the last sale's key in model 3
    std::chrono::steady_clock::time_point feitos;
};

const Modelos& modelos() {
    static Modelos m;
    const auto agora = std::chrono::steady_clock::now();
    if (m.estado[1] && agora - m.feitos < std::chrono::minutes(20))
        return m;
    const fs::path pasta = fuzz::pastaTemporaria() / "modelo";
    std::error_code ec;
    fs::remove_all(pasta, ec);
    fs::create_directories(pasta);
    setenv("SATEMU_HOME", pasta.c_str(), 1);
    const fs::path estado = pasta / satemu::kStateFileName;
    const auto exigirCodigo = [](const char* resposta, std::string_view codigo) {
        const std::vector<std::string> f = satemu::split(resposta, '|');
        if (f.size() < 2 || f[1] != codigo)
            std::fprintf(stderr, "%s\n", resposta);
        EXIGIR(f.size() >= 2 && f[1] == codigo, "o modelo do dispositivo não pôde ser preparado");
    };
    m.estado[0] = std::nullopt;
    exigirCodigo(AtivarSAT(1, 1, kCodigo, kContribuinte, 35), "04000");
    m.estado[1] = ler(estado);
    const std::string par = std::string(kSoftwareHouse) + kContribuinte;
    exigirCodigo(AssociarAssinatura(2, kCodigo, par.c_str(), assinatura().c_str()), "13000");
    m.estado[2] = ler(estado);
    exigirCodigo(EnviarDadosVenda(3, kCodigo, venda().c_str()), "06000");
    m.estado[3] = ler(estado);
    m.chave = satemu::loadState(estado).lastSaleKey;
    m.feitos = agora;
    fs::remove_all(pasta, ec);
    return m;
}

std::vector<std::string_view> separar(std::string_view texto, char separador) {
    std::vector<std::string_view> partes;
    std::size_t inicio = 0;
    for (;;) {
        const std::size_t fim = texto.find(separador, inicio);
        partes.push_back(
            texto.substr(inicio, fim == std::string_view::npos ? std::string_view::npos : fim - inicio));
        if (fim == std::string_view::npos)
            return partes;
        inicio = fim + 1;
    }
}

std::string trocarChave(std::string texto, const std::string& chave) {
    for (std::size_t p = texto.find("@chave"); p != std::string::npos;
         p = texto.find("@chave", p + chave.size()))
        texto.replace(p, 6, chave);
    return texto;
}

// The fault file without what only makes a call slow (a wait, a padded log of megabytes).
std::string semDemoras(std::string_view texto) {
    std::string saida;
    for (std::string_view linha : separar(texto, '\n')) {
        if (linha.find("delay") == std::string_view::npos &&
            linha.find("padding") == std::string_view::npos) {
            saida += linha;
            saida += '\n';
        }
    }
    return saida;
}

// The functions' answer classes (the first two digits of their codes), in the
// order of the step selector.
constexpr int kClasses[17] = {5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 12, 4, 20, 19};

struct Passo {
    std::vector<std::string> textos;
    std::vector<bool> presente;

    const char* texto(std::size_t i) const {
        return i < textos.size() && presente[i] ? textos[i].c_str() : nullptr;
    }
    int numero(std::size_t i, int padrao) const {
        if (i >= textos.size() || !presente[i] || textos[i].empty())
            return padrao;
        return static_cast<int>(std::strtol(textos[i].c_str(), nullptr, 10));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string_view entrada(reinterpret_cast<const char*>(dados), tamanho);
    const Modelos& m = modelos();

    const fs::path pasta = fuzz::pastaTemporaria() / "dispositivo";
    std::error_code ec;
    fs::remove_all(pasta, ec);
    fs::create_directories(pasta);
    setenv("SATEMU_HOME", pasta.c_str(), 1);
    const fs::path arquivoEstado = pasta / satemu::kStateFileName;

    const std::vector<std::string_view> registros = separar(entrada, '\x1E');
    const unsigned inicio = registros[0].empty() ? 0 : static_cast<unsigned char>(registros[0][0]) % 4;
    if (m.estado[inicio])
        gravar(arquivoEstado, *m.estado[inicio]);

    bool comFalhas = false;
    std::optional<bool> estadoEscritoLegivel; // the last state file written by hand
    int proximaSessao = 100;
    for (std::size_t r = 1; r < registros.size() && r <= 8; ++r) {
        const std::vector<std::string_view> campos = separar(registros[r], '\x1F');
        const unsigned seletor = campos[0].empty() ? 0 : static_cast<unsigned char>(campos[0][0]) % 19;
        Passo p;
        for (std::size_t i = 1; i < campos.size(); ++i) {
            p.textos.push_back(trocarChave(std::string(campos[i]), m.chave));
            p.presente.push_back(true);
        }

        if (seletor == 17) {
            const std::string texto = p.texto(0) ? p.texto(0) : "";
            gravar(arquivoEstado, texto);
            try {
                const std::string serializado = satemu::serializeState(satemu::parseState(texto));
                EXIGIR(satemu::serializeState(satemu::parseState(serializado)) == serializado,
                       "o estado gravado lê de novo ao mesmo estado");
                estadoEscritoLegivel = true;
            } catch (const satemu::StateError&) {
                estadoEscritoLegivel = false;
            }
            continue;
        }
        if (seletor == 18) {
            gravar(pasta / satemu::kFaultFileName, semDemoras(p.texto(0) ? p.texto(0) : ""));
            comFalhas = true;
            continue;
        }

        const int sessao = p.numero(0, ++proximaSessao);
        const char* resposta = nullptr;
        switch (seletor) {
        case 0:
            resposta = ComunicarCertificadoICPBRASIL(sessao, p.texto(1), p.texto(2));
            break;
        case 1:
            resposta = EnviarDadosVenda(sessao, p.texto(1), p.texto(2));
            break;
        case 2:
            resposta = CancelarUltimaVenda(sessao, p.texto(1), p.texto(2), p.texto(3));
            break;
        case 3:
            resposta = ConsultarSAT(sessao);
            break;
        case 4:
            resposta = TesteFimAFim(sessao, p.texto(1), p.texto(2));
            break;
        case 5:
            resposta = ConsultarStatusOperacional(sessao, p.texto(1));
            break;
        case 6:
            resposta = ConsultarNumeroSessao(sessao, p.texto(1), p.numero(2, 0));
            break;
        case 7:
            resposta = AssociarAssinatura(sessao, p.texto(1), p.texto(2), p.texto(3));
            break;
        case 8:
            resposta = AtualizarSoftwareSAT(sessao, p.texto(1));
            break;
        case 9:
            resposta = ExtrairLogs(sessao, p.texto(1));
            break;
        case 10:
            resposta = BloquearSAT(sessao, p.texto(1));
            break;
        case 11:
            resposta = DesbloquearSAT(sessao, p.texto(1));
            break;
        case 12:
            resposta = TrocarCodigoDeAtivacao(sessao, p.texto(1), p.numero(2, 0), p.texto(3), p.texto(4));
            break;
        case 13:
            resposta = ConfigurarInterfaceDeRede(sessao, p.texto(1), p.texto(2));
            break;
        case 14:
            resposta = AtivarSAT(sessao, p.numero(1, 0), p.texto(2), p.texto(3), p.numero(4, 0));
            break;
        case 15:
            resposta = SetDriver(sessao, p.texto(1));
            break;
        default:
            resposta = ConsultarUltimaSessaoFiscal(sessao, p.texto(1));
            break;
        }
        EXIGIR(resposta != nullptr, "toda chamada tem resposta");
        static const bool eco = std::getenv("SATEMU_FUZZ_ECO") != nullptr; // to check what a seed reaches
        if (eco)
            std::fprintf(stderr, "%u: %.300s\n", seletor, resposta);
        if (comFalhas)
            continue; // the fault file may spoil the answer on purpose

        const std::string texto(resposta);
        const std::vector<std::string> f = satemu::split(texto, '|');
        if (!satemu::isValidUtf8(texto))
            std::fprintf(stderr, "%s\n", resposta);
        EXIGIR(satemu::isValidUtf8(texto), "a resposta é texto UTF-8");
        EXIGIR(f.size() >= 5, "a resposta tem pelo menos sessão, código, mensagem e os campos SEFAZ");
        // The two session queries hand back a stored answer as it was.
        if (seletor != 6 && seletor != 16 && sessao >= 1 && sessao <= 999999) {
            char esperado[16];
            std::snprintf(esperado, sizeof esperado, "%06d", sessao);
            char classe[8];
            std::snprintf(classe, sizeof classe, "%02d", kClasses[seletor]);
            if (f[0] != esperado || f[1].size() != 5 || f[1].compare(0, 2, classe) != 0)
                std::fprintf(stderr, "%s\n", resposta);
            EXIGIR(f[0] == esperado, "o campo 0 é a sessão da chamada");
            EXIGIR(f[1].size() == 5 && satemu::allDigits(f[1]) && f[1].compare(0, 2, classe) == 0,
                   "o campo 1 é um código de cinco dígitos da classe da função");
        }
    }

    // What the device wrote it reads again: only a state file written by hand that
    // it cannot read may stay unreadable (it is never overwritten).
    try {
        (void)satemu::loadState(arquivoEstado);
    } catch (const satemu::StateError& e) {
        if (estadoEscritoLegivel != false)
            std::fprintf(stderr, "%s\n", e.what());
        EXIGIR(estadoEscritoLegivel == false, "o dispositivo lê o estado que ele mesmo gravou");
    }
    return 0;
}
