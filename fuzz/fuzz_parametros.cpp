// The parameter store's reader on any Parametros.xml. When the file reads, what
// the store would write back must read again to the same fields and values, and
// writing that once more gives the same bytes.
#include "comum.h"
#include "settings/parameterstore.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace {

QString gravar(const char* nome, const QByteArray& bytes) {
    const QString caminho = QString::fromStdString((fuzz::pastaTemporaria() / nome).string());
    QFile arquivo(caminho);
    EXIGIR(arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate) && arquivo.write(bytes) == bytes.size(),
           "não foi possível gravar o arquivo de trabalho");
    return caminho;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const QByteArray bytes(reinterpret_cast<const char*>(dados), static_cast<qsizetype>(tamanho));

    settings::ParameterStore lido;
    const settings::StoreResult aberto = lido.open(gravar("Parametros.xml", bytes));
    if (!aberto) {
        EXIGIR(!lido.isOpen() && !aberto.message().isEmpty(),
               "um arquivo ilegível deixa o repositório fechado, com a razão");
        return 0;
    }

    const QByteArray escrito = lido.toDataPacket();
    settings::ParameterStore relido;
    const settings::StoreResult reaberto = relido.open(gravar("Parametros-relido.xml", escrito));
    if (!reaberto)
        std::fprintf(stderr, "%s\n", qPrintable(reaberto.message()));
    EXIGIR(reaberto.ok(), "o que o repositório grava ele lê de novo");

    const QList<settings::ParameterStore::Field> campos = lido.fields();
    const QList<settings::ParameterStore::Field> camposRelidos = relido.fields();
    EXIGIR(campos.size() == camposRelidos.size(), "as mesmas colunas");
    for (qsizetype i = 0; i < campos.size(); ++i) {
        const auto& a = campos[i];
        const auto& b = camposRelidos[i];
        EXIGIR(a.name == b.name && a.kind == b.kind && a.width == b.width,
               "as mesmas colunas, na mesma ordem");
        const bool igual =
            lido.isNull(a.name) == relido.isNull(a.name) && lido.text(a.name) == relido.text(a.name);
        if (!igual)
            std::fprintf(stderr, "campo %s: \"%s\" / \"%s\"\n", qPrintable(a.name),
                         qPrintable(lido.text(a.name)), qPrintable(relido.text(a.name)));
        EXIGIR(igual, "os mesmos valores no registro atual");
    }
    EXIGIR(lido.recordCount() == relido.recordCount(), "o mesmo número de registros");
    EXIGIR(relido.toDataPacket() == escrito, "gravar de novo o que foi relido dá os mesmos bytes");
    return 0;
}
