// The ICP-Brasil certificate of the emulated device: the certificate request it
// makes when asked for one, and the check of the certificate it is given back.
//
// Built with OpenSSL (SATEMU_OPENSSL), the request is a real PKCS#10 request over a
// new RSA-2048 key, and a certificate is accepted only when it is an X.509
// certificate, valid now, that carries the public key of the last request. Without
// it (the Windows DLL: Debian has no OpenSSL built for MinGW) a stand-in answers:
// the request is a small ASN.1 sequence that names the device, and any Base64 ASN.1
// sequence of 64 bytes or more is taken as the certificate.
#ifndef SATEMU_ICP_H
#define SATEMU_ICP_H

#include <string>

namespace satemu::icp {

// Whether requests are real PKCS#10 requests and certificates are really checked.
bool realCertificates();

struct Request {
    std::string der;       // the request, DER
    std::string publicKey; // the SubjectPublicKeyInfo of its key, DER (empty for the stand-in)
    std::string error;     // why no request was made (then der is empty)
};

// A new key pair and the request for the device with serial `serial` of the
// taxpayer `cnpj`.
Request makeRequest(const std::string& serial, const std::string& cnpj);

struct Verdict {
    bool accepted = false;
    std::string reason;    // why not, in the device's words
    std::string notBefore; // AAAAMMDD, UTC; empty for the stand-in
    std::string notAfter;  // AAAAMMDD, UTC; empty for the stand-in
};

// Checks the certificate `der` against the public key of the last request.
Verdict checkCertificate(const std::string& der, const std::string& publicKey);

} // namespace satemu::icp

#endif
