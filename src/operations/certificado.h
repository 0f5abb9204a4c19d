#pragma once

#include "operations/operacoes.h"

#include <optional>
#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// The ICP-Brasil certificate: the request the device gives with "04006", written as
// a certificate authority takes it, and the certificate sent back to the device with
// ComunicarCertificadoICPBRASIL. No cryptography here: the files are only recognised
// by their DER outline, so that a request, a key or anything else that is not one
// certificate is refused before it is sent; the device itself checks the certificate.
namespace comandos {

inline constexpr char csrGerado[] = "04006";
inline constexpr char certificadoTransmitido[] = "05000";

// The request of a "04006" answer (field 5, Base64) as PEM: "-----BEGIN CERTIFICATE
// REQUEST-----", the Base64 in lines of 64 characters, the END line, each line ended by
// a line feed. Nothing when the answer carries no request (no field 5, an empty one,
// or one that is not Base64).
std::optional<QByteArray> pedidoEmPem(const QByteArrayList& campos);

// What the outline of a DER structure says it is.
enum class TipoDer { Certificado, Pedido, ChavePrivada, Pkcs12, ChavePublica, Pkcs7, Outro };
TipoDer tipoDer(const QByteArray& der);

// A certificate as the device takes it: the DER in Base64, one line; or why not.
struct CertificadoLido {
    QString base64;
    Recusa recusa;
};
// A certificate file's contents: PEM (one CERTIFICATE block, text around it allowed),
// DER, or the DER in Base64 as the device gives its request.
CertificadoLido certificadoDeConteudo(const QByteArray& conteudo);
// The file `caminho` read and recognised; refused when missing, unreadable or larger
// than any certificate (1 MB).
CertificadoLido certificadoDeArquivo(const QString& caminho);

} // namespace comandos
