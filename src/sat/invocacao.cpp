#include "sat/invocacao.h"

namespace sat {

const char* nomeDaFuncao(int indice) {
    const char* nome = "";
    int atual = 0;
    paraCadaFuncao([&](const char* candidato, auto) {
        if (atual++ == indice)
            nome = candidato;
    });
    return nome;
}

bool possuiFuncao(const FuncoesSAT& funcoes, int indice) {
    bool possui = false;
    int atual = 0;
    paraCadaFuncao([&](const char*, auto membro) {
        if (atual++ == indice)
            possui = funcoes.*membro.value != nullptr;
    });
    return possui;
}

ResultadoInvocacao invocar(const FuncoesSAT& funcoes, const Invocacao& chamada, const char*& resposta) {
    resposta = nullptr;
    ResultadoInvocacao resultado = ResultadoInvocacao::SemFuncao;
    int atual = 0;
    paraCadaFuncao([&](const char*, auto membro) {
        if (atual++ != chamada.indice)
            return;
        const auto funcao = funcoes.*membro.value;
        if (funcao == nullptr)
            return;
        resultado = [&]<typename... Parametros>(const char*(SAT_CALL * f)(int, Parametros...)) {
            return detalhe::invocarCom(f, chamada, resposta, std::index_sequence_for<Parametros...>{});
        }(funcao);
    });
    return resultado;
}

namespace {

// The number of arguments, the session number included, of the entry point in slot
// `indice`; -1 outside the table.
int argumentosDaFuncao(int indice) {
    int quantos = -1;
    int atual = 0;
    paraCadaFuncao([&](const char*, auto membro) {
        if (atual++ != indice)
            return;
        using Ponteiro = std::remove_cvref_t<decltype(FuncoesSAT{}.*membro.value)>;
        quantos = []<typename... Parametros>(const char*(SAT_CALL*)(int, Parametros...)) {
            return static_cast<int>(1 + sizeof...(Parametros));
        }(Ponteiro{});
    });
    return quantos;
}

} // namespace

ResultadoInvocacao palavrasDaChamada(const Invocacao& chamada, std::vector<std::uint32_t>& palavras) {
    palavras.clear();
    ResultadoInvocacao resultado = ResultadoInvocacao::SemFuncao;
    int atual = 0;
    paraCadaFuncao([&](const char*, auto membro) {
        if (atual++ != chamada.indice)
            return;
        using Ponteiro = std::remove_cvref_t<decltype(FuncoesSAT{}.*membro.value)>;
        resultado = [&]<typename... Parametros>(const char*(SAT_CALL*)(int, Parametros...)) {
            static_assert((detalhe::aceito<Parametros> && ...),
                          "SAT entry points take integers and texts only");
            if (chamada.argumentos.size() != sizeof...(Parametros))
                return ResultadoInvocacao::ArgumentosErrados;
            std::size_t i = 0;
            const bool cabem =
                ((detalhe::como<detalhe::Armazenado<Parametros>>(chamada.argumentos[i++]) != nullptr) && ...);
            if (!cabem)
                return ResultadoInvocacao::ArgumentosErrados;
            return ResultadoInvocacao::Respondida;
        }(Ponteiro{});
    });
    if (resultado != ResultadoInvocacao::Respondida)
        return resultado;
    palavras.push_back(static_cast<std::uint32_t>(chamada.sessao));
    for (const ArgumentoSat& a : chamada.argumentos) {
        if (const int* valor = std::get_if<int>(&a)) {
            palavras.push_back(static_cast<std::uint32_t>(*valor));
        } else {
            // Only where addresses are 32 bits wide do they fit a word; elsewhere the
            // words describe the call without being pushed.
            const auto endereco = reinterpret_cast<std::uintptr_t>(std::get<std::string>(a).c_str());
            palavras.push_back(static_cast<std::uint32_t>(endereco));
        }
    }
    return resultado;
}

std::vector<std::string> nomesExportados(int indice) {
    const int argumentos = argumentosDaFuncao(indice);
    if (argumentos < 0)
        return {};
    const std::string nome = nomeDaFuncao(indice);
    const std::string bytes = "@" + std::to_string(4 * argumentos);
    return {nome, "_" + nome + bytes, nome + bytes, "_" + nome};
}

} // namespace sat
