// certificado: Comunicar Certificado ICP-BRASIL, the certificate the authority issued
// for the device's request (ativar --certificado icp-brasil), sent to the device. The
// file is recognised first: nothing but one certificate is ever sent.
#include "cli/codigo.h"
#include "cli/comando.h"
#include "operations/certificado.h"
#include "sat/resposta.h"

#include <QDir>

namespace cli {

namespace {

class Certificado final : public Comando {
public:
    Certificado()
        : Comando("certificado",
                  "Comunicar Certificado ICP-BRASIL: envia ao SAT o certificado emitido para o CSR de "
                  "\"ativar --certificado icp-brasil\" (ou renovacao-icp-brasil).",
                  {opcaoArquivoCodigo,
                   {"arquivo", "O certificado emitido pela autoridade certificadora, em PEM ou DER.", "CERTIFICADO"}}) {}

    Preparo preparar(const QCommandLineParser& p, Console& console) const override {
        if (!p.isSet(QStringLiteral("arquivo")))
            return Fim{ErroDeUso, QStringLiteral("Informe o certificado com --arquivo CERTIFICADO (PEM ou DER).")};
        const QString arquivo = p.value(QStringLiteral("arquivo"));
        const comandos::CertificadoLido lido = comandos::certificadoDeArquivo(arquivo);
        if (lido.recusa)
            return Fim{ErroDeUso, QStringLiteral("%1 (%2)").arg(*lido.recusa, QDir::toNativeSeparators(arquivo))};
        const auto codigo = codigoVerificado(p, console);
        if (const Fim* fim = std::get_if<Fim>(&codigo))
            return *fim;
        return Execucao([codigo = std::get<QString>(codigo), certificado = lido.base64](Contexto& c) {
            if (!comandos::comunicarCertificado(c.caminho, codigo, certificado))
                return desfechoSemResposta(c.caminho);
            return lerResposta(c, comandos::certificadoTransmitido, &sat::mensagemResposta);
        });
    }
};

} // namespace

const Comando& subcomando::certificado() {
    static const Certificado comando;
    return comando;
}

} // namespace cli
