// FormatXMLString on any text: either the parser's error, or an indented document
// that the same function leaves as it is.
#include "comum.h"
#include "sat/resposta.h"

#include <QString>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const QString xml =
        QString::fromUtf8(reinterpret_cast<const char*>(dados), static_cast<qsizetype>(tamanho));
    QString formatado;
    try {
        formatado = sat::FormatXMLString(xml);
    } catch (const std::runtime_error&) {
        return 0; // not well-formed: the error goes to the caller
    }
    EXIGIR(formatado.isEmpty() || formatado.endsWith(QStringLiteral("\r\n")),
           "a última linha termina em CR LF");
    QString outraVez;
    try {
        outraVez = sat::FormatXMLString(formatado);
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        EXIGIR(false, "o texto formatado é XML bem formado");
    }
    EXIGIR(outraVez == formatado, "formatar o próprio resultado não o muda");
    return 0;
}
