// associar: the commercial application's signature, from the command line or a file.
#include "cli/codigo.h"
#include "cli/comando.h"
#include "comandos/operacoes.h"
#include "nucleo/texto.h"
#include "validation/cnpj.h"

namespace cli {

namespace {

class Associar final : public Comando {
public:
    Associar()
        : Comando(
              "associar", "Associar Aplic. Comercial.",
              {opcaoArquivoCodigo,
               {"cnpj-contribuinte", "CNPJ do Contribuinte.", "CNPJ"},
               {"cnpj-software-house", "CNPJ da Software House.", "CNPJ"},
               {"assinatura", "Assinatura da Aplic. Comercial (Forma de envio: Texto).", "TEXTO"},
               {"arquivo-assinatura", "Arquivo com a assinatura (Forma de envio: Arquivo).", "ARQUIVO"}}) {}

    Preparo preparar(const QCommandLineParser& p, Console& console) const override {
        // In the page's order: the two CNPJs, the signature (a file read), the code, the
        // signature not empty.
        const QString contribuinte = digitosDoCnpj(p.value(QStringLiteral("cnpj-contribuinte")));
        if (!validation::isCNPJ(contribuinte))
            return Fim{ErroDeUso, comandos::cnpjContribuinteInvalido};
        const QString softwareHouse = digitosDoCnpj(p.value(QStringLiteral("cnpj-software-house")));
        if (!validation::isCNPJ(softwareHouse))
            return Fim{ErroDeUso, comandos::cnpjSoftwareHouseInvalido};
        QString assinatura = aparar(p.value(QStringLiteral("assinatura")));
        if (p.isSet(QStringLiteral("arquivo-assinatura"))) {
            const comandos::AssinaturaLida lida =
                comandos::assinaturaDeArquivo(p.value(QStringLiteral("arquivo-assinatura")));
            if (lida.recusa)
                return Fim{ErroDeUso, *lida.recusa};
            assinatura = lida.texto;
        }
        const auto lido = codigoVerificado(p, console);
        if (const Fim* fim = std::get_if<Fim>(&lido))
            return *fim;
        const QString codigo = std::get<QString>(lido);
        if (aparar(assinatura).isEmpty())
            return Fim{ErroDeUso, comandos::assinaturaVazia};
        const comandos::Associacao associacao{contribuinte, softwareHouse, assinatura, codigo};
        return Execucao([=](Contexto& c) {
            if (!comandos::associar(c.caminho, associacao))
                return desfechoSemResposta(c.caminho);
            return lerResposta(c, comandos::associado, &comandos::mensagemDaAssociacao);
        });
    }
};

} // namespace

const Comando& subcomando::associar() {
    static const Associar comando;
    return comando;
}

} // namespace cli
