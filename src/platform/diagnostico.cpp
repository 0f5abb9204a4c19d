#include "platform/diagnostico.h"

#include "platform/platform.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <regex>
#include <vector>

namespace platform {

namespace {

// What a library file is built for.
struct Alvo {
    int bits = 0;            // 32 or 64
    std::string processador; // as people name it
};

struct Maquina {
    unsigned codigo;
    const char* nome;
    int bits;
};

// ELF e_machine values.
constexpr Maquina maquinasElf[] = {
    {3, "x86 (Intel/AMD)", 32},
    {62, "x86-64 (Intel/AMD)", 64},
    {40, "ARM", 32},
    {183, "ARM 64 bits", 64},
    {8, "MIPS", 32},
    {20, "PowerPC", 32},
    {21, "PowerPC 64 bits", 64},
    {243, "RISC-V", 64},
    {22, "IBM S/390", 64},
};

// PE (Windows) Machine values.
constexpr Maquina maquinasPe[] = {
    {0x014c, "x86 (Intel/AMD)", 32},
    {0x8664, "x86-64 (Intel/AMD)", 64},
    {0x01c0, "ARM", 32},
    {0x01c4, "ARM", 32},
    {0xaa64, "ARM 64 bits", 64},
};

template <std::size_t N> std::string nomeDaMaquina(const Maquina (&tabela)[N], unsigned codigo) {
    for (const Maquina& m : tabela)
        if (m.codigo == codigo)
            return m.nome;
    return "um processador de código " + std::to_string(codigo);
}

// This program's own target.
Alvo esteProgramaAlvo() {
    Alvo alvo;
    alvo.bits = static_cast<int>(sizeof(void*) * 8);
#if defined(__x86_64__) || defined(_M_X64)
    alvo.processador = "x86-64 (Intel/AMD)";
#elif defined(__i386__) || defined(_M_IX86)
    alvo.processador = "x86 (Intel/AMD)";
#elif defined(__aarch64__) || defined(_M_ARM64)
    alvo.processador = "ARM 64 bits";
#elif defined(__arm__) || defined(_M_ARM)
    alvo.processador = "ARM";
#else
    alvo.processador = "este processador";
#endif
    return alvo;
}

unsigned le16(const std::vector<unsigned char>& b, std::size_t pos, bool bigEndian) {
    return bigEndian ? (unsigned{b[pos]} << 8) | b[pos + 1] : (unsigned{b[pos + 1]} << 8) | b[pos];
}

std::uint32_t le32(const std::vector<unsigned char>& b, std::size_t pos) {
    return std::uint32_t{b[pos]} | (std::uint32_t{b[pos + 1]} << 8) | (std::uint32_t{b[pos + 2]} << 16) |
           (std::uint32_t{b[pos + 3]} << 24);
}

enum class Formato { Elf, Pe, Outro };

struct Cabecalho {
    Formato formato = Formato::Outro;
    Alvo alvo;
};

std::optional<Cabecalho> lerCabecalho(const std::vector<unsigned char>& b) {
    if (b.size() >= 20 && b[0] == 0x7f && b[1] == 'E' && b[2] == 'L' && b[3] == 'F') {
        Cabecalho c{Formato::Elf, {}};
        c.alvo.bits = b[4] == 1 ? 32 : b[4] == 2 ? 64 : 0;
        const unsigned maquina = le16(b, 18, b[5] == 2);
        c.alvo.processador = nomeDaMaquina(maquinasElf, maquina);
        return c;
    }
    if (b.size() >= 0x40 && b[0] == 'M' && b[1] == 'Z') {
        const std::uint32_t pe = le32(b, 0x3c);
        if (pe <= b.size() - 6 && b[pe] == 'P' && b[pe + 1] == 'E' && b[pe + 2] == 0 && b[pe + 3] == 0) {
            Cabecalho c{Formato::Pe, {}};
            const unsigned maquina = le16(b, pe + 4, false);
            c.alvo.processador = nomeDaMaquina(maquinasPe, maquina);
            c.alvo.bits = 0;
            for (const Maquina& m : maquinasPe)
                if (m.codigo == maquina)
                    c.alvo.bits = m.bits;
            return c;
        }
        return Cabecalho{Formato::Outro, {}};
    }
    return std::nullopt;
}

// The first bytes of the file, where its headers are; nothing when it cannot be read.
std::optional<std::vector<unsigned char>> inicioDoArquivo(std::ifstream& arquivo) {
    std::vector<unsigned char> inicio(4096);
    arquivo.read(reinterpret_cast<char*>(inicio.data()), static_cast<std::streamsize>(inicio.size()));
    // A folder opens but does not read.
    if (arquivo.bad() || (arquivo.gcount() == 0 && !arquivo.eof()))
        return std::nullopt;
    inicio.resize(static_cast<std::size_t>(arquivo.gcount()));
    return inicio;
}

} // namespace

bool dllX86De32Bits(const std::string& caminho) {
    std::ifstream arquivo(caminhoNativo(caminho), std::ios::binary);
    const auto inicio = arquivo ? inicioDoArquivo(arquivo) : std::nullopt;
    const auto cabecalho = inicio ? lerCabecalho(*inicio) : std::nullopt;
    return cabecalho && cabecalho->formato == Formato::Pe && cabecalho->alvo.bits == 32 &&
           cabecalho->alvo.processador == nomeDaMaquina(maquinasPe, 0x014c);
}

std::string causaDaFalhaDeCarga(const std::string& caminho, const std::string& mensagem, int bits) {
    std::ifstream arquivo(caminhoNativo(caminho), std::ios::binary);
    if (!arquivo) {
        const int erro = errno;
        return "O arquivo não pode ser lido (" + std::string(std::strerror(erro)) + ").";
    }
    const std::optional<std::vector<unsigned char>> inicio = inicioDoArquivo(arquivo);
    if (!inicio)
        return "O arquivo não pode ser lido.";

    const std::optional<Cabecalho> cabecalho = lerCabecalho(*inicio);
    if (!cabecalho || cabecalho->formato == Formato::Outro)
        return "O arquivo não é uma biblioteca.";

    Alvo este = esteProgramaAlvo();
    if (bits == 32 && este.processador == "x86-64 (Intel/AMD)") {
        este.bits = 32;
        este.processador = "x86 (Intel/AMD)";
    }
#ifdef _WIN32
    const Formato nativo = Formato::Pe;
#else
    const Formato nativo = Formato::Elf;
#endif
    if (cabecalho->formato != nativo)
        return cabecalho->formato == Formato::Pe
                   ? "É uma biblioteca do Windows: neste sistema é preciso a biblioteca do fabricante para "
                     "Linux."
                   : "É uma biblioteca para Linux: no Windows é preciso a DLL do fabricante para Windows.";
    if (cabecalho->alvo.bits != 0 && cabecalho->alvo.bits != este.bits)
        return "É uma biblioteca de " + std::to_string(cabecalho->alvo.bits) + " bits; este programa é de " +
               std::to_string(este.bits) + " bits e só carrega bibliotecas de " + std::to_string(este.bits) +
               " bits.";
    if (cabecalho->alvo.processador != este.processador)
        return "É uma biblioteca para outro processador (" + cabecalho->alvo.processador +
               "); este programa é para " + este.processador + ".";

    // The file is right for this program: what it needs is not.
    static const std::regex faltaBiblioteca(R"(^([^:]+): cannot open shared object file)");
    std::smatch m;
    if (std::regex_search(mensagem, m, faltaBiblioteca) && m[1].str() != caminho)
        return "Falta a biblioteca " + m[1].str() + ", de que ela precisa.";
    static const std::regex faltaSimbolo(R"(undefined symbol: ([^\s,]+))");
    if (std::regex_search(mensagem, m, faltaSimbolo))
        return "Ela precisa da função " + m[1].str() + ", que nenhuma biblioteca carregada oferece.";
#ifdef _WIN32
    if (mensagem.find("(erro 126)") != std::string::npos)
        return "Falta uma biblioteca de que ela precisa.";
#endif
    return {};
}

} // namespace platform
