// ativar: the activation, the code typed twice at a terminal. With an ICP-Brasil type
// the device answers with a certificate request (04006), this step's success: the
// request is written as PEM for the certificate authority, and `certificado` sends back
// what the authority issues.
#include "cli/codigo.h"
#include "cli/comando.h"
#include "cli/respostajson.h"
#include "core/texto.h"
#include "operations/certificado.h"
#include "operations/operacoes.h"
#include "sat/resposta.h"
#include "settings/atomicfile.h"

#include <QDir>
#include <QFileInfo>

namespace cli {

namespace {

const QString proximosPassos =
    QStringLiteral("Próximo passo: envie o CSR à autoridade certificadora ICP-Brasil e, com o certificado que ela "
                   "emitir (PEM ou DER), rode: ativacao-sat-cli certificado --arquivo CERTIFICADO");

// The request of a 04006 answer: printed alone on standard output (so that it can be
// redirected to a file) or written to --csr; the answer and what comes next go beside
// it. A request that cannot be written is printed instead, so that it is never lost.
Saida lerPedido(Contexto& c, const QString& arquivo) {
    const QByteArrayList campos = sat::campos(c.caminho.retorno());
    c.saida = respostaEmJson(c.caminho, campos);
    if (campos.size() < 2 || campos[1] != comandos::csrGerado)
        return lerResposta(c, comandos::csrGerado, &comandos::mensagemDaAtivacao);
    QString mensagem = campos.size() > 2 ? sat::mensagemResposta(campos) : sat::decodificar(c.caminho.retorno());
    if (const std::optional<QString> sefaz = sat::textoSefaz(campos))
        mensagem += QStringLiteral("\nMensagem da SEFAZ: ") +
                    QString(*sefaz).replace(QStringLiteral("\n\n"), QStringLiteral(" - "));
    const std::optional<QByteArray> pem = comandos::pedidoEmPem(campos);
    if (!pem) {
        if (!c.json)
            c.console.linha(mensagem);
        c.console.linhaDeErro(QStringLiteral("A resposta do SAT não traz o CSR (o sexto campo, em Base64): não há o "
                                             "que enviar à autoridade certificadora."));
        return Recusado;
    }
    c.saida.insert(QStringLiteral("csr"), QString::fromLatin1(*pem));
    Saida saida = Sucesso;
    bool gravado = false;
    if (!arquivo.isEmpty()) {
        // As the console writes files for the user: CR LF after every line.
        QString motivo;
        gravado = settings::writeFileAtomically(arquivo, QByteArray(*pem).replace("\n", "\r\n"), &motivo);
        if (gravado) {
            c.saida.insert(QStringLiteral("arquivo"), QDir::toNativeSeparators(QFileInfo(arquivo).absoluteFilePath()));
        } else {
            c.console.linhaDeErro(QStringLiteral("Não foi possível gravar o CSR em \"%1\": %2. Ele segue na saída "
                                                 "padrão.")
                                      .arg(QDir::toNativeSeparators(arquivo), motivo));
            saida = ErroDeUso;
        }
    }
    if (c.json)
        return saida;
    if (gravado) {
        c.console.linha(mensagem);
        c.console.linha(QStringLiteral("CSR gravado em \"%1\".").arg(QDir::toNativeSeparators(arquivo)));
        c.console.linha(proximosPassos);
    } else {
        c.console.saida(QString::fromLatin1(*pem));
        c.console.linhaDeErro(mensagem);
        c.console.linhaDeErro(proximosPassos);
    }
    return saida;
}

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
                "TIPO"},
               {"csr",
                "ICP-Brasil: grava neste arquivo o CSR que o SAT gerar, em PEM (sem ela, o CSR vai para a saída "
                "padrão).",
                "ARQUIVO"}}) {}

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
        const QString csr = p.value(QStringLiteral("csr"));
        if (p.isSet(QStringLiteral("csr"))) {
            if (tipo == 0)
                return Fim{ErroDeUso, QStringLiteral("--csr vale só com --certificado icp-brasil ou "
                                                     "renovacao-icp-brasil: o AC-SAT - SEFAZ não gera CSR.")};
            // Where the request goes is checked before the device makes it.
            const QFileInfo destino(csr);
            if (csr.isEmpty() || destino.isDir() || !destino.absoluteDir().exists())
                return Fim{ErroDeUso, QStringLiteral("--csr: \"%1\" não é um arquivo numa pasta que existe.")
                                          .arg(QDir::toNativeSeparators(csr))};
        }
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
            if (ativacao.tipoCertificado != 0)
                return lerPedido(c, csr);
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
