// sessao: the answer of a session looked up by number, or of the last fiscal session.
#include "cli/codigo.h"
#include "cli/comando.h"
#include "cli/respostajson.h"
#include "comandos/operacoes.h"
#include "comandos/teste.h"
#include "sat/resposta.h"

namespace cli {

namespace {

class Sessao final : public Comando {
public:
    Sessao()
        : Comando("sessao", "Consulta Sessão (--numero) ou Consulta Sessão Fiscal (--fiscal).",
                  {opcaoArquivoCodigo,
                   {"numero", "Sessão: o número da sessão consultada.", "SESSAO"},
                   {"fiscal", "Consulta Sessão Fiscal: a última sessão fiscal.", ""},
                   opcaoSaida}) {}

    Preparo preparar(const QCommandLineParser& p, Console& console) const override {
        const bool fiscal = p.isSet(QStringLiteral("fiscal"));
        const auto lido = codigoVerificado(p, console);
        if (const Fim* fim = std::get_if<Fim>(&lido))
            return *fim;
        const QString codigo = std::get<QString>(lido);
        if (fiscal == p.isSet(QStringLiteral("numero")))
            return Fim{ErroDeUso, QStringLiteral("Informe --numero SESSAO ou --fiscal (um dos dois).")};
        const comandos::NumeroDeSessao sessao =
            fiscal ? comandos::NumeroDeSessao{}
                   : comandos::lerNumeroDeSessao(p.value(QStringLiteral("numero")));
        if (sessao.recusa)
            return Fim{ErroDeUso, *sessao.recusa};
        return Execucao([=, &p](Contexto& c) {
            const bool respondeu = fiscal ? comandos::consultarSessaoFiscal(c.caminho, codigo)
                                          : comandos::consultarSessao(c.caminho, codigo, sessao.numero);
            if (!respondeu)
                return desfechoSemResposta(c.caminho);
            const QByteArray& retorno = c.caminho.retorno();
            const QByteArrayList campos = sat::campos(retorno);
            c.saida = respostaEmJson(c.caminho, campos);
            if (campos.isEmpty() || comandos::respondeuAPropriaConsulta(campos, c.caminho.numsessao())) {
                // The device answered the query itself (a refusal): no session to show.
                if (!c.json) {
                    QString texto = sat::decodificar(retorno);
                    try {
                        texto = sat::mensagemResposta(campos);
                    } catch (const std::exception&) {
                    }
                    c.console.linha(texto);
                }
                return Recusado;
            }
            // The session looked up: its answer, and the sale's CF-e when it is a sale.
            QByteArrayList linhasDoArquivo = campos;
            c.saida.insert(QStringLiteral("resposta"), sat::decodificar(retorno));
            if (campos.size() > 1 && campos[1] == comandos::vendaConcluida) {
                linhasDoArquivo = linhasDeBytes(cfeDaVenda(retorno));
                QString cfe;
                for (const QByteArray& linha : linhasDoArquivo)
                    cfe += sat::decodificar(linha) + u'\n';
                c.saida.insert(QStringLiteral("cfe"), cfe);
            }
            if (!c.json) {
                c.console.linha(sat::decodificar(retorno));
                if (c.saida.contains(QStringLiteral("cfe")))
                    c.console.saida(c.saida.value(QStringLiteral("cfe")).toString());
            }
            if (const std::optional<Fim> fim = gravarCFe(p, linhasDoArquivo)) {
                c.console.linhaDeErro(fim->mensagem);
                return fim->saida;
            }
            return Sucesso;
        });
    }
};

} // namespace

const Comando& subcomando::sessao() {
    static const Sessao comando;
    return comando;
}

} // namespace cli
