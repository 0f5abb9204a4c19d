// bloquear: "Bloquear" of the block page.
#include "cli/comando.h"
#include "comandos/operacoes.h"

namespace cli {

const Comando& subcomando::bloquear() {
    static const ComandoDoCodigo comando("bloquear", "Bloquear/Desbloquear: Bloquear.", &comandos::bloquear,
                                         comandos::bloqueado);
    return comando;
}

} // namespace cli
