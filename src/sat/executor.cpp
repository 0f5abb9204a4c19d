#include "sat/executor.h"

#include <stdexcept>

namespace sat {

RespostaSat ExecutorLocal::chamar(const Invocacao& chamada) {
    const char* resposta = nullptr;
    switch (invocar(biblioteca_.funcoes(), chamada, resposta)) {
    case ResultadoInvocacao::Respondida:
        break;
    case ResultadoInvocacao::SemFuncao:
        throw std::logic_error("called an entry point the library does not have");
    case ResultadoInvocacao::ArgumentosErrados:
        throw std::logic_error("arguments do not match the entry point");
    }
    // The library owns its answer buffer and may reuse it at the next call: copy it now.
    if (resposta == nullptr)
        return {RespostaSat::Tipo::Nula, {}, {}};
    return {RespostaSat::Tipo::Texto, QByteArray(resposta), {}};
}

} // namespace sat
