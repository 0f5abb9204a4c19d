// The ICP-Brasil certificate file as the command line reads it before sending it, and
// the device's request as it is written for the certificate authority. The input is a
// file's contents (also read as an answer's fields split at "|").
#include "operations/certificado.h"
#include "comum.h"

#include <QByteArray>
#include <QByteArrayList>

namespace {

// Whether some "-----BEGIN ...-----" line names a private key: read here on its own,
// apart from the reader.
bool temRotuloDeChave(const QByteArray& texto) {
    for (qsizetype pos = texto.indexOf("-----BEGIN "); pos >= 0; pos = texto.indexOf("-----BEGIN ", pos + 1)) {
        const qsizetype fim = texto.indexOf("-----", pos + 11);
        const qsizetype quebra = texto.indexOf('\n', pos);
        if (fim >= 0 && (quebra < 0 || fim < quebra) && texto.mid(pos, fim - pos).contains("PRIVATE KEY"))
            return true;
    }
    return false;
}

QByteArray emPem(const QByteArray& der) {
    QByteArray pem = "-----BEGIN CERTIFICATE-----\n";
    const QByteArray b64 = der.toBase64();
    for (qsizetype i = 0; i < b64.size(); i += 64)
        pem += b64.mid(i, 64) + '\n';
    return pem + "-----END CERTIFICATE-----\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const QByteArray entrada(reinterpret_cast<const char*>(dados), static_cast<qsizetype>(tamanho));

    const comandos::CertificadoLido lido = comandos::certificadoDeConteudo(entrada);
    EXIGIR(lido.recusa.has_value() != !lido.base64.isEmpty(), "ou um certificado, ou uma recusa");
    if (lido.recusa) {
        EXIGIR(!lido.recusa->isEmpty(), "toda recusa diz por quê");
    } else {
        EXIGIR(!temRotuloDeChave(entrada), "um arquivo com uma chave privada nunca é enviado");
        const QByteArray base64 = lido.base64.toLatin1();
        EXIGIR(!base64.contains('\n') && !base64.contains(' '), "o certificado vai numa linha só");
        auto der = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
        EXIGIR(bool(der), "o que é enviado é Base64");
        EXIGIR(comandos::tipoDer(*der) == comandos::TipoDer::Certificado, "o que é enviado é um certificado");
        // The same certificate in each of its forms gives the same text.
        EXIGIR(comandos::certificadoDeConteudo(*der).base64 == lido.base64, "o DER lido de novo dá o mesmo");
        EXIGIR(comandos::certificadoDeConteudo(emPem(*der)).base64 == lido.base64, "o PEM lido de novo dá o mesmo");
        EXIGIR(comandos::certificadoDeConteudo(base64).base64 == lido.base64, "o Base64 lido de novo dá o mesmo");
    }

    // The input as an answer: a request written as PEM decodes to the same DER.
    const QByteArrayList campos = entrada.split('|');
    if (const std::optional<QByteArray> pem = comandos::pedidoEmPem(campos)) {
        QByteArrayList linhas = pem->split('\n');
        EXIGIR(linhas.size() >= 4 && linhas.first() == "-----BEGIN CERTIFICATE REQUEST-----" &&
                   linhas.last().isEmpty() && linhas.at(linhas.size() - 2) == "-----END CERTIFICATE REQUEST-----",
               "o PEM tem o começo, o fim e uma quebra após cada linha");
        QByteArray corpo;
        for (qsizetype i = 1; i < linhas.size() - 2; ++i) {
            EXIGIR(linhas[i].size() <= 64 && (linhas[i].size() == 64 || i == linhas.size() - 3),
                   "linhas de 64 caracteres, a última até 64");
            corpo += linhas[i];
        }
        QByteArray campo = campos[5];
        campo.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
        EXIGIR(QByteArray::fromBase64(corpo) == QByteArray::fromBase64(campo), "o PEM guarda o pedido do SAT");
    }
    return 0;
}
