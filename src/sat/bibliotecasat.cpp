#include "sat/bibliotecasat.h"

#include <type_traits>

namespace sat {

bool BibliotecaSat::carregar(const QString& caminho, QString& erro) {
    funcoes_ = {};
    vinculada_ = false;
    arquivo_.fechar();

    std::string motivo;
    if (!arquivo_.abrir(caminho.toStdString(), motivo)) {
        erro = QString::fromUtf8(motivo.c_str());
        return false;
    }
    paraCadaFuncao([this](const char* nome, auto membro) {
        using Tipo = std::remove_reference_t<decltype(funcoes_.*membro.value)>;
        funcoes_.*membro.value = reinterpret_cast<Tipo>(arquivo_.simbolo(nome));
    });
    vinculada_ = true;
    return true;
}

void BibliotecaSat::vincular(const FuncoesSAT& funcoes) {
    arquivo_.fechar();
    funcoes_ = funcoes;
    vinculada_ = true;
}

} // namespace sat
