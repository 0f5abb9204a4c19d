// status: the device's operational status, as the page's report or, with --json, each
// field named and read.
#include "comandos/status.h"

#include "cli/codigo.h"
#include "cli/comando.h"
#include "comandos/operacoes.h"
#include "sat/resposta.h"

namespace cli {

namespace {

class Status final : public Comando {
public:
    Status() : Comando("status", "Status: o status operacional do SAT.", {opcaoArquivoCodigo}) {}

    Preparo preparar(const QCommandLineParser& p, Console& console) const override {
        const auto lido = codigoVerificado(p, console, comandos::novoCodigoCurto);
        if (const Fim* fim = std::get_if<Fim>(&lido))
            return *fim;
        const QString codigo = std::get<QString>(lido);
        return Execucao([=](Contexto& c) {
            if (!comandos::consultarStatus(c.caminho, codigo))
                return desfechoSemResposta(c.caminho);
            const Saida saida = lerResposta(c, comandos::statusLido, [](const QByteArrayList& campos) {
                if (sat::campo(campos, 1) != comandos::statusLido)
                    return sat::mensagemResposta(campos);
                return relatorioStatus(campos).join(u'\n');
            });
            if (saida == Sucesso) {
                QJsonObject status;
                for (const CampoDoStatus& campo : camposDoStatus(sat::campos(c.caminho.retorno())))
                    status.insert(campo.nome, QJsonValue::fromVariant(campo.valor));
                c.saida.insert(QStringLiteral("status"), status);
            }
            return saida;
        });
    }
};

} // namespace

const Comando& subcomando::status() {
    static const Status comando;
    return comando;
}

} // namespace cli
