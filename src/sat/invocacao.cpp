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

} // namespace sat
