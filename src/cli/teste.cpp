// teste: the end-to-end tests, the CF-e shown indented and kept in CFe.xml.
#include "comandos/teste.h"

#include "cli/codigo.h"
#include "cli/comando.h"
#include "comandos/operacoes.h"
#include "nucleo/texto.h"
#include "sat/resposta.h"

namespace cli {

namespace {

class Teste final : public Comando {
public:
    Teste()
        : Comando("teste", "Testes: FimAFim Ativação, ou FimAFim Produção com --producao.",
                  {opcaoArquivoCodigo,
                   {"producao", "FimAFim Produção (sem ela, FimAFim Ativação).", ""},
                   {"cnpj-contribuinte", "CNPJ do Contribuinte.", "CNPJ"},
                   {"ie", "IE do Contribuinte (produção).", "IE"},
                   {"cnpj-software-house", "CNPJ Software House (produção).", "CNPJ"},
                   {"assinatura", "Assinatura do Aplicativo Comercial (produção; Forma de envio: Texto).",
                    "TEXTO"},
                   {"arquivo-assinatura", "Arquivo com a assinatura (produção; Forma de envio: Arquivo).",
                    "ARQUIVO"},
                   opcaoSaida}) {}

    Preparo preparar(const QCommandLineParser& p, Console& console) const override {
        const VarianteTeste variante =
            p.isSet(QStringLiteral("producao")) ? VarianteTeste::Producao : VarianteTeste::Ativacao;
        const auto lido = codigoVerificado(p, console);
        if (const Fim* fim = std::get_if<Fim>(&lido))
            return *fim;
        const QString codigo = std::get<QString>(lido);
        const bool porArquivo = p.isSet(QStringLiteral("arquivo-assinatura"));
        DadosTeste dados{aparar(p.value(QStringLiteral("cnpj-contribuinte"))),
                         aparar(p.value(QStringLiteral("ie"))),
                         aparar(p.value(QStringLiteral("cnpj-software-house"))),
                         porArquivo ? p.value(QStringLiteral("arquivo-assinatura"))
                                    : aparar(p.value(QStringLiteral("assinatura")))};
        if (const comandos::Recusa recusa = comandos::verificar(variante, dados))
            return Fim{ErroDeUso, *recusa};
        if (variante == VarianteTeste::Producao) {
            const comandos::AssinaturaLida assinatura =
                comandos::assinaturaDeProducao(dados.assinatura, porArquivo);
            if (assinatura.recusa)
                return Fim{ErroDeUso, *assinatura.recusa};
            dados.assinatura = assinatura.texto;
        }
        return Execucao([=, &p](Contexto& c) {
            if (!comandos::testeFimAFim(c.caminho, codigo, variante, dados))
                return desfechoSemResposta(c.caminho);
            const Saida saida = lerResposta(c, comandos::testeEmitido, &sat::mensagemResposta);
            if (saida != Sucesso)
                return saida;
            const QByteArray cfe = comandos::cfeDoTeste(sat::campos(c.caminho.retorno()));
            QString documento;
            for (const QString& linha : linhasDeTexto(sat::decodificar(cfe)))
                documento += linha + QStringLiteral("\r\n");
            QString formatado;
            try {
                formatado = sat::FormatXMLString(documento);
            } catch (const std::exception&) {
                formatado = documento; // not XML: shown as the device sent it
            }
            formatado.remove(u'\r');
            c.saida.insert(QStringLiteral("cfe"), formatado);
            if (!c.json)
                c.console.saida(formatado);
            if (const std::optional<Fim> fim = gravarCFe(p, linhasDeBytes(cfe))) {
                c.console.linhaDeErro(fim->mensagem);
                return fim->saida;
            }
            return saida;
        });
    }
};

} // namespace

const Comando& subcomando::teste() {
    static const Teste comando;
    return comando;
}

} // namespace cli
