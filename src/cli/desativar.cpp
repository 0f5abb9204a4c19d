// desativar: the deactivation, which the taxpayer cannot take back. As the window asks
// for OK on its warning, the command line asks for --confirmar and shows the warning
// without it.
#include "cli/comando.h"
#include "comandos/operacoes.h"

namespace cli {

namespace {

class Desativar final : public ComandoDoCodigo {
public:
    Desativar()
        : ComandoDoCodigo(
              "desativar",
              "Bloquear/Desbloquear: Desativar. Depois, verifique se o LED \"SAT Bloqueado\" está "
              "piscando e pressione o botão reset do SAT por 5 segundos.",
              &comandos::bloquear, comandos::bloqueado,
              {{"confirmar",
                "O aviso que a janela mostra antes de desativar, lido e aceito (sem ela, nada é enviado).",
                ""}}) {}

    Preparo preparar(const QCommandLineParser& p, Console& console) const override {
        if (!p.isSet(QStringLiteral("confirmar"))) {
            QString aviso = comandos::avisoDesativacao;
            aviso.remove(u'\r').replace(QStringLiteral("Clique OK para continuar."),
                                        QStringLiteral("Use --confirmar para continuar."));
            return Fim{ErroDeUso, aviso};
        }
        return ComandoDoCodigo::preparar(p, console);
    }
};

} // namespace

const Comando& subcomando::desativar() {
    static const Desativar comando;
    return comando;
}

} // namespace cli
