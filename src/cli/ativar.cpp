// ativar: the activation, the code typed twice at a terminal.
#include "cli/codigo.h"
#include "cli/comando.h"
#include "comandos/operacoes.h"
#include "nucleo/texto.h"

namespace cli {

namespace {

class Ativar final : public Comando {
public:
    Ativar()
        : Comando(
              "ativar", "Ativação do SAT.",
              {opcaoArquivoCodigo,
               {"cnpj", "CNPJ do Contribuinte.", "CNPJ"},
               {"uf", "UF do contribuinte (sigla: SP, RJ, ...).", "UF"},
               {"certificado",
                "Tipo de Certificado: ac-sat (AC-SAT - SEFAZ, o padrão), icp-brasil ou renovacao-icp-brasil.",
                "TIPO"}}) {}

    Preparo preparar(const QCommandLineParser& p, Console& console) const override {
        static const QStringList tipos{QStringLiteral("ac-sat"), QStringLiteral("icp-brasil"),
                                       QStringLiteral("renovacao-icp-brasil")};
        const int tipo = p.isSet(QStringLiteral("certificado"))
                             ? int(tipos.indexOf(p.value(QStringLiteral("certificado"))))
                             : 0;
        if (tipo < 0)
            return Fim{ErroDeUso,
                       QStringLiteral("Tipo de Certificado desconhecido: \"%1\" (use %2).")
                           .arg(p.value(QStringLiteral("certificado")), tipos.join(QStringLiteral(", ")))};
        auto lido = lerCodigo(p, console, variavelDoCodigo, QStringLiteral("arquivo-codigo"),
                              QStringLiteral("Código de Ativação do SAT"), true);
        if (auto* fim = std::get_if<Fim>(&lido))
            return *fim;
        const CodigoLido& codigo = std::get<CodigoLido>(lido);
        const comandos::Ativacao ativacao{tipo, aparar(codigo.codigo), aparar(codigo.confirmacao),
                                          digitosDoCnpj(p.value(QStringLiteral("cnpj"))),
                                          comandos::linhaDaUF(aparar(p.value(QStringLiteral("uf"))))};
        if (const auto recusa = comandos::verificar(ativacao))
            return Fim{ErroDeUso, recusa->mensagem};
        return Execucao([=](Contexto& c) {
            if (!comandos::ativar(c.caminho, ativacao))
                return desfechoSemResposta(c.caminho);
            return lerResposta(c, comandos::ativado, &comandos::mensagemDaAtivacao);
        });
    }
};

} // namespace

const Comando& subcomando::ativar() {
    static const Ativar comando;
    return comando;
}

} // namespace cli
