// The CF-e-SAT the device issues: checks of the commercial application's
// sale document, computation of items, taxes and totals, the 44-digit access
// key and the signature block, and the cancellation document.
#ifndef SATEMU_CFE_H
#define SATEMU_CFE_H

#include "platform.h"
#include "xml.h"

#include <stdexcept>
#include <string>

namespace satemu {

// A sale or cancellation document that the device refuses; the message says why.
class ContentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the device puts into every CF-e besides the sale's own data.
struct Issuer {
    std::string serial;   // 9 digits
    std::string firmware; // "01.05.00"
    std::string taxpayerCnpj;
    int uf = 35;
    platform::LocalTime now;
    long long number = 1; // nCFe
    int randomCode = 0;   // cNF, 0..999999
};

struct IssuedCfe {
    std::string document;    // the whole CF-e, UTF-8, with XML declaration
    std::string key;         // the 44 digits
    std::string timestamp;   // AAAAMMDDhhmmss
    std::string total;       // vCFe, "123.45"
    std::string customer;    // CPF or CNPJ of the customer, if any
    std::string qrSignature; // assinaturaQRCODE
};

// Check digit (mod 11, weights 2 to 9 from the right) of the first 43 digits.
int accessKeyCheckDigit(const std::string& first43);
std::string accessKey(int uf, const platform::LocalTime& t, const std::string& cnpj,
                      const std::string& serial, long long number, int randomCode);

// The sale document parsed as far as needed to read its ide group (throws ContentError).
XmlElement parseSaleDocument(const std::string& bytes);
// Builds the CF-e from a parsed sale document; throws ContentError when the
// document does not follow the layout or its values are out of pattern.
IssuedCfe buildCfe(const XmlElement& sale, const Issuer& issuer);

// The cancellation of `saleDocument` (the CF-e being cancelled) requested by
// `request` (root CFeCanc, infCFe with chCanc). Throws ContentError.
IssuedCfe buildCancellation(const XmlElement& request, const std::string& saleDocument, const Issuer& issuer);

bool isValidCpf(const std::string& cpf);

} // namespace satemu

#endif
