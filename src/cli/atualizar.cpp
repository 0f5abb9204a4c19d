// atualizar: "Atualizar SW Básico".
#include "cli/comando.h"
#include "comandos/operacoes.h"

namespace cli {

const Comando& subcomando::atualizar() {
    static const ComandoDoCodigo comando("atualizar", "Atualizar SW Básico.", &comandos::atualizar,
                                         comandos::atualizado);
    return comando;
}

} // namespace cli
