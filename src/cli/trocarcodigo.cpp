// trocar-codigo: the current (or emergency) code and the new one, typed twice.
#include "cli/codigo.h"
#include "cli/comando.h"
#include "comandos/operacoes.h"
#include "nucleo/texto.h"
#include "sat/resposta.h"

namespace cli {

namespace {

class TrocarCodigo final : public Comando {
public:
    TrocarCodigo()
        : Comando("trocar-codigo", "Trocar Cód. Ativação.",
                  {{"arquivo-codigo",
                    "Arquivo com o Código de Ativação atual (ou SAT_CODIGO_ATIVACAO; num terminal, digitado "
                    "sem eco).",
                    "ARQUIVO"},
                   {"emergencia", "Cód. de emergência: o código informado é o de emergência.", ""},
                   {"arquivo-novo-codigo",
                    "Arquivo com o Novo Código de Ativação (ou SAT_NOVO_CODIGO_ATIVACAO; num terminal, "
                    "digitado duas "
                    "vezes sem eco).",
                    "ARQUIVO"}}) {}

    Preparo preparar(const QCommandLineParser& p, Console& console) const override {
        const bool emergencia = p.isSet(QStringLiteral("emergencia"));
        auto atual = lerCodigo(p, console, variavelDoCodigo, QStringLiteral("arquivo-codigo"),
                               emergencia ? QStringLiteral("Código de Ativação de Emergência")
                                          : QStringLiteral("Código de Ativação atual"),
                               false);
        if (auto* fim = std::get_if<Fim>(&atual))
            return *fim;
        auto novo = lerCodigo(p, console, variavelDoNovoCodigo, QStringLiteral("arquivo-novo-codigo"),
                              QStringLiteral("Novo Código de Ativação"), true);
        if (auto* fim = std::get_if<Fim>(&novo))
            return *fim;
        const comandos::TrocaDeCodigo troca{aparar(std::get<CodigoLido>(atual).codigo), emergencia,
                                            aparar(std::get<CodigoLido>(novo).codigo),
                                            aparar(std::get<CodigoLido>(novo).confirmacao)};
        if (const comandos::Recusa recusa = comandos::verificar(troca))
            return Fim{ErroDeUso, *recusa};
        return Execucao([=](Contexto& c) {
            if (!comandos::trocarCodigo(c.caminho, troca))
                return desfechoSemResposta(c.caminho);
            return lerResposta(c, comandos::codigoTrocado, &sat::mensagemResposta);
        });
    }
};

} // namespace

const Comando& subcomando::trocarcodigo() {
    static const TrocarCodigo comando;
    return comando;
}

} // namespace cli
