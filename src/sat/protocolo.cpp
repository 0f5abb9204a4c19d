#include "sat/protocolo.h"

#include <cstring>

namespace sat::protocolo {

namespace {

constexpr char carregar = 'L';
constexpr char chamar = 'C';
constexpr char carregada = 'C';
constexpr char falhou = 'F';
constexpr char inteiro = 'i';
constexpr char texto = 't';

void acrescentar32(std::string& destino, std::uint32_t valor) {
    char bytes[4];
    escreverCabecalho(bytes, valor);
    destino.append(bytes, 4);
}

// Reads a request or an answer front to back; every read checks what is left.
class Leitor {
public:
    explicit Leitor(std::string_view dados) : dados_(dados) {}

    bool byte(char& valor) {
        if (dados_.empty())
            return false;
        valor = dados_.front();
        dados_.remove_prefix(1);
        return true;
    }
    bool u32(std::uint32_t& valor) {
        if (dados_.size() < 4)
            return false;
        valor = lerCabecalho(dados_.data());
        dados_.remove_prefix(4);
        return true;
    }
    bool i32(int& valor) {
        std::uint32_t bruto = 0;
        if (!u32(bruto))
            return false;
        std::memcpy(&valor, &bruto, sizeof valor);
        return true;
    }
    bool bytes(std::size_t n, std::string_view& valor) {
        if (dados_.size() < n)
            return false;
        valor = dados_.substr(0, n);
        dados_.remove_prefix(n);
        return true;
    }
    std::string_view resto() const { return dados_; }
    bool fim() const { return dados_.empty(); }

private:
    std::string_view dados_;
};

} // namespace

void escreverCabecalho(char* destino, std::uint32_t comprimento) {
    for (int i = 0; i < 4; ++i)
        destino[i] = static_cast<char>((comprimento >> (8 * i)) & 0xffu);
}

std::uint32_t lerCabecalho(const char* origem) {
    std::uint32_t valor = 0;
    for (int i = 3; i >= 0; --i)
        valor = (valor << 8) | static_cast<unsigned char>(origem[i]);
    return valor;
}

std::string pedidoCarregar(const std::string& caminho) {
    return carregar + caminho;
}

std::string pedidoChamar(const Invocacao& chamada) {
    std::string p(1, chamar);
    acrescentar32(p, static_cast<std::uint32_t>(chamada.indice));
    acrescentar32(p, static_cast<std::uint32_t>(chamada.sessao));
    acrescentar32(p, static_cast<std::uint32_t>(chamada.argumentos.size()));
    for (const ArgumentoSat& a : chamada.argumentos) {
        if (const int* i = std::get_if<int>(&a)) {
            p += inteiro;
            acrescentar32(p, static_cast<std::uint32_t>(*i));
        } else {
            const std::string& t = std::get<std::string>(a);
            p += texto;
            acrescentar32(p, static_cast<std::uint32_t>(t.size()));
            p += t;
        }
    }
    return p;
}

std::optional<Pedido> lerPedido(std::string_view conteudo) {
    Leitor l(conteudo);
    char tipo = 0;
    if (!l.byte(tipo))
        return std::nullopt;
    Pedido p;
    if (tipo == carregar) {
        p.tipo = Pedido::Tipo::Carregar;
        p.caminho = std::string(l.resto());
        // A path with a NUL in it would load another file than the one named.
        if (p.caminho.empty() || p.caminho.find('\0') != std::string::npos)
            return std::nullopt;
        return p;
    }
    if (tipo != chamar)
        return std::nullopt;
    p.tipo = Pedido::Tipo::Chamar;
    std::uint32_t quantos = 0;
    if (!l.i32(p.chamada.indice) || !l.i32(p.chamada.sessao) || !l.u32(quantos) || quantos > 16)
        return std::nullopt;
    for (std::uint32_t n = 0; n < quantos; ++n) {
        char especie = 0;
        if (!l.byte(especie))
            return std::nullopt;
        if (especie == inteiro) {
            int valor = 0;
            if (!l.i32(valor))
                return std::nullopt;
            p.chamada.argumentos.emplace_back(valor);
        } else if (especie == texto) {
            std::uint32_t tamanho = 0;
            std::string_view valor;
            if (!l.u32(tamanho) || !l.bytes(tamanho, valor))
                return std::nullopt;
            p.chamada.argumentos.emplace_back(std::string(valor));
        } else {
            return std::nullopt;
        }
    }
    if (!l.fim())
        return std::nullopt;
    return p;
}

std::string respostaCarga(const RespostaDaCarga& resposta) {
    if (!resposta.carregada)
        return falhou + resposta.erro;
    std::string r(1, carregada);
    acrescentar32(r, resposta.funcoes);
    return r;
}

std::optional<RespostaDaCarga> lerRespostaCarga(std::string_view conteudo) {
    Leitor l(conteudo);
    char tipo = 0;
    if (!l.byte(tipo))
        return std::nullopt;
    RespostaDaCarga r;
    if (tipo == falhou) {
        r.erro = std::string(l.resto());
        return r;
    }
    if (tipo != carregada || !l.u32(r.funcoes) || !l.fim())
        return std::nullopt;
    r.carregada = true;
    return r;
}

std::optional<RespostaDaChamada> lerRespostaChamada(std::string_view conteudo) {
    Leitor l(conteudo);
    char tipo = 0;
    if (!l.byte(tipo))
        return std::nullopt;
    Convencao convencao = Convencao::Desconhecida;
    if (comecaTexto(tipo, convencao))
        return RespostaDaChamada{Desfecho::Texto, l.resto(), convencao};
    switch (static_cast<Desfecho>(tipo)) {
    case Desfecho::Texto:
    case Desfecho::TextoStdcall:
    case Desfecho::TextoCdecl:
        break; // taken above
    case Desfecho::Nula:
    case Desfecho::SemFuncao:
    case Desfecho::ArgumentosErrados:
    case Desfecho::PedidoInvalido:
    case Desfecho::GrandeDemais:
        if (!l.fim())
            return std::nullopt;
        return RespostaDaChamada{static_cast<Desfecho>(tipo), {}, Convencao::Desconhecida};
    }
    return std::nullopt;
}

char primeiroDoTexto(Convencao convencao) {
    switch (convencao) {
    case Convencao::Stdcall:
        return static_cast<char>(Desfecho::TextoStdcall);
    case Convencao::Cdecl:
        return static_cast<char>(Desfecho::TextoCdecl);
    case Convencao::Desconhecida:
        break;
    }
    return static_cast<char>(Desfecho::Texto);
}

bool comecaTexto(char primeiro, Convencao& convencao) {
    switch (static_cast<Desfecho>(primeiro)) {
    case Desfecho::Texto:
        convencao = Convencao::Desconhecida;
        return true;
    case Desfecho::TextoStdcall:
        convencao = Convencao::Stdcall;
        return true;
    case Desfecho::TextoCdecl:
        convencao = Convencao::Cdecl;
        return true;
    default:
        return false;
    }
}

} // namespace sat::protocolo
