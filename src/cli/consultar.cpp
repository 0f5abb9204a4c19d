// consultar: whether the device is in operation, as "Consultar SAT" shows it.
#include "cli/comando.h"
#include "core/carga.h"
#include "operations/operacoes.h"
#include "sat/resposta.h"

namespace cli {

namespace {

class Consultar final : public Comando {
public:
    Consultar() : Comando("consultar", "Consultar SAT: se o SAT está em operação.", {}) {}

    Preparo preparar(const QCommandLineParser&, Console&) const override {
        return Execucao([](Contexto& c) {
            if (!comandos::consultar(c.caminho)) {
                if (!c.json)
                    c.console.linha(QStringLiteral("SAT inoperante"));
                return desfechoSemResposta(c.caminho);
            }
            const Saida saida = lerResposta(c, comandos::emOperacao, [](const QByteArrayList& campos) {
                if (comandos::emOperacaoNaResposta(campos))
                    return QStringLiteral("SAT em operação");
                if (campos.size() > 2 && campos[1] == comandos::consultaComMensagem)
                    return QStringLiteral("SAT inoperante\n") + sat::mensagemResposta(campos);
                return QStringLiteral("SAT inoperante");
            });
            // The technician must never take the emulated device for the client's.
            if (carga::ehSatemu(c.biblioteca)) {
                if (c.json)
                    c.saida.insert(QStringLiteral("emulado"), true);
                else
                    c.console.linha(QString::fromUtf16(carga::avisoDoSatemu));
            }
            return saida;
        });
    }
};

} // namespace

const Comando& subcomando::consultar() {
    static const Consultar comando;
    return comando;
}

} // namespace cli
