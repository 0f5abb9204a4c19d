#include "bibliotecaroteirizada.h"

namespace roteiro {

namespace {

QList<Chamada> registro;
std::deque<std::optional<QByteArray>> respostas;
QByteArray ultimaResposta; // stays valid until the next call, as a library's buffer

QVariant argumento(const char* texto) {
    return texto != nullptr ? QVariant(QByteArray(texto)) : QVariant();
}
QVariant argumento(int valor) { return QVariant(valor); }

template <typename... Argumentos>
const char* atender(const char* funcao, int sessao, Argumentos... argumentos) {
    registro.append({QString::fromLatin1(funcao), sessao, QVariantList{argumento(argumentos)...}});
    if (respostas.empty())
        return "";
    std::optional<QByteArray> resposta = respostas.front();
    respostas.pop_front();
    if (!resposta)
        return nullptr;
    ultimaResposta = resposta->replace("{sessao}", QByteArray::number(sessao).rightJustified(6, '0'));
    return ultimaResposta.constData();
}

// One C entry point per slot, each recording under its own exported name.
template <auto Slot>
struct Ponto;

template <typename Retorno, typename... Argumentos, Retorno(SAT_CALL* sat::FuncoesSAT::*Slot)(int, Argumentos...)>
struct Ponto<Slot> {
    static Retorno SAT_CALL chamar(int sessao, Argumentos... argumentos) {
        return atender(sat::nomeDaFuncao(Slot), sessao, argumentos...);
    }
};

} // namespace

sat::FuncoesSAT funcoes() {
    sat::FuncoesSAT f;
    sat::paraCadaFuncao([&f](const char*, auto membro) {
        f.*membro.value = &Ponto<decltype(membro)::value>::chamar;
    });
    return f;
}

void responder(std::optional<QByteArray> resposta) { respostas.push_back(std::move(resposta)); }

const QList<Chamada>& chamadas() { return registro; }

void limpar() {
    registro.clear();
    respostas.clear();
}

std::size_t respostasPendentes() { return respostas.size(); }

} // namespace roteiro
