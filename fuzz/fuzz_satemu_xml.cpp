// satemu's XML reader on any bytes: either its own error, or an element tree that
// the canonical writer puts into a text the reader reads back to the same tree.
#include "comum.h"
#include "xml.h"

#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string_view documento(reinterpret_cast<const char*>(dados), tamanho);
    satemu::XmlElement raiz;
    try {
        raiz = satemu::parseXml(documento);
    } catch (const satemu::XmlError&) {
        return 0;
    }
    const std::string escrito = satemu::writeXml(raiz);
    std::string reescrito;
    try {
        reescrito = satemu::writeXml(satemu::parseXml(escrito));
    } catch (const satemu::XmlError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        EXIGIR(false, "o que o escritor escreve o leitor lê");
    }
    EXIGIR(reescrito == escrito, "ler e escrever de novo dá o mesmo texto");
    return 0;
}
