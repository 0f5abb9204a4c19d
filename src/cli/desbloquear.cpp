// desbloquear: "Desbloquear" of the block page.
#include "cli/comando.h"
#include "comandos/operacoes.h"

namespace cli {

const Comando& subcomando::desbloquear() {
    static const ComandoDoCodigo comando("desbloquear", "Bloquear/Desbloquear: Desbloquear.",
                                         &comandos::desbloquear, comandos::desbloqueado);
    return comando;
}

} // namespace cli
