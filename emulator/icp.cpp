#include "icp.h"

#if defined(SATEMU_OPENSSL)

#include "text.h"

#include <ctime>
#include <memory>
#include <openssl/evp.h>
#include <openssl/x509.h>

namespace satemu::icp {

namespace {

struct Free {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
    void operator()(X509_REQ* r) const { X509_REQ_free(r); }
    void operator()(X509* x) const { X509_free(x); }
};
template <typename T> using Owned = std::unique_ptr<T, Free>;

// The fuzz tree makes smaller keys, whose making does not take most of each run.
#if defined(SATEMU_KEY_BITS)
constexpr int kKeyBits = SATEMU_KEY_BITS;
#else
constexpr int kKeyBits = 2048;
#endif

// The DER of `object` written by OpenSSL's i2d function, empty on failure.
template <typename T> std::string der(int (*i2d)(const T*, unsigned char**), const T* object) {
    unsigned char* out = nullptr;
    const int n = i2d(object, &out);
    if (n <= 0)
        return {};
    std::string bytes(reinterpret_cast<const char*>(out), static_cast<std::size_t>(n));
    OPENSSL_free(out);
    return bytes;
}

bool addName(X509_NAME* name, const char* field, const std::string& value) {
    return X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8,
                                      reinterpret_cast<const unsigned char*>(value.c_str()), -1, -1, 0) == 1;
}

std::string date8(const ASN1_TIME* t) {
    std::tm tm{};
    if (ASN1_TIME_to_tm(t, &tm) != 1)
        return {};
    return zeroPad(tm.tm_year + 1900, 4) + zeroPad(tm.tm_mon + 1, 2) + zeroPad(tm.tm_mday, 2);
}

} // namespace

bool realCertificates() { return true; }

Request makeRequest(const std::string& serial, const std::string& cnpj) {
    Request r;
    Owned<EVP_PKEY> key(EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", static_cast<std::size_t>(kKeyBits)));
    Owned<X509_REQ> req(X509_REQ_new());
    if (!key || !req) {
        r.error = "sem memória para a chave";
        return r;
    }
    // The subject a certificate authority reads: the country, the ICP-Brasil tree, the
    // device by its serial and the taxpayer by the CNPJ it was activated for.
    X509_NAME* name = X509_REQ_get_subject_name(req.get());
    if (X509_REQ_set_version(req.get(), 0) != 1 || !addName(name, "C", "BR") || !addName(name, "O", "ICP-Brasil") ||
        !addName(name, "OU", "SAT CF-e") || !addName(name, "serialNumber", serial) ||
        !addName(name, "CN", "satemu " + serial + ":" + cnpj) || X509_REQ_set_pubkey(req.get(), key.get()) != 1 ||
        X509_REQ_sign(req.get(), key.get(), EVP_sha256()) <= 0) {
        r.error = "o pedido não pôde ser assinado";
        return r;
    }
    r.der = der(&i2d_X509_REQ, req.get());
    r.publicKey = der(&i2d_PUBKEY, key.get());
    if (r.der.empty() || r.publicKey.empty()) {
        r.der.clear();
        r.error = "o pedido não pôde ser escrito";
    }
    return r;
}

Verdict checkCertificate(const std::string& bytes, const std::string& publicKey) {
    Verdict v;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    Owned<X509> cert(bytes.size() > 0x7FFFFFFF ? nullptr : d2i_X509(nullptr, &p, static_cast<long>(bytes.size())));
    if (!cert || p != end) {
        v.reason = "não é um certificado X.509";
        return v;
    }
    const auto* k = reinterpret_cast<const unsigned char*>(publicKey.data());
    Owned<EVP_PKEY> requested(publicKey.empty() ? nullptr
                                                : d2i_PUBKEY(nullptr, &k, static_cast<long>(publicKey.size())));
    const EVP_PKEY* given = X509_get0_pubkey(cert.get());
    if (!requested || !given || EVP_PKEY_eq(requested.get(), given) != 1) {
        v.reason = "a chave pública do certificado não é a do último CSR deste SAT";
        return v;
    }
    // X509_cmp_current_time: -1 for a time before now, 1 for one after it, 0 for a bad time.
    if (X509_cmp_current_time(X509_get0_notBefore(cert.get())) != -1) {
        v.reason = "o certificado ainda não é válido";
        return v;
    }
    if (X509_cmp_current_time(X509_get0_notAfter(cert.get())) != 1) {
        v.reason = "o certificado está vencido";
        return v;
    }
    v.notBefore = date8(X509_get0_notBefore(cert.get()));
    v.notAfter = date8(X509_get0_notAfter(cert.get()));
    v.accepted = !v.notBefore.empty() && !v.notAfter.empty();
    if (!v.accepted)
        v.reason = "datas de validade ilegíveis";
    return v;
}

} // namespace satemu::icp

#else // the stand-in

namespace satemu::icp {

bool realCertificates() { return false; }

Request makeRequest(const std::string& serial, const std::string& cnpj) {
    const std::string body = "satemu CSR ICP-BRASIL serie=" + serial + " cnpj=" + cnpj;
    Request r;
    r.der += static_cast<char>(0x30);
    r.der += static_cast<char>(0x81);
    r.der += static_cast<char>(body.size() & 0xFF);
    r.der += body;
    return r;
}

Verdict checkCertificate(const std::string& der, const std::string&) {
    Verdict v;
    v.accepted = der.size() >= 64 && static_cast<unsigned char>(der[0]) == 0x30;
    if (!v.accepted)
        v.reason = "esperado um certificado X.509 em Base64 (DER ou PEM)";
    return v;
}

} // namespace satemu::icp

#endif
