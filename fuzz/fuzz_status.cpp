// The status report's lines from any answer: one line per field from position 5,
// each value in column 21 behind its name and full stops.
#include "comum.h"
#include "operations/status.h"
#include "sat/resposta.h"

#include <QByteArray>
#include <QStringList>

namespace {

constexpr qsizetype primeiroCampo = 5;
constexpr qsizetype ultimoNomeado = 27;

// The positions shown as text, value as the device sent it.
bool eTexto(qsizetype p) {
    return (p >= 5 && p <= 16) || (p >= 18 && p <= 22);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const QByteArray retorno(reinterpret_cast<const char*>(dados), static_cast<qsizetype>(tamanho));
    const QByteArrayList campos = sat::campos(retorno);
    const QStringList linhas = relatorioStatus(campos);

    EXIGIR(!linhas.isEmpty() && linhas.first() == QStringLiteral(" "), "a primeira linha é um branco");
    EXIGIR(linhas.size() == 1 + std::max<qsizetype>(0, campos.size() - primeiroCampo),
           "uma linha por campo a partir da posição 5");
    for (qsizetype i = 1; i < linhas.size(); ++i) {
        const QString& linha = linhas[i];
        const qsizetype p = i - 1 + primeiroCampo;
        EXIGIR(linha.isValidUtf16(), "cada linha é Unicode bem formado");
        if (p > ultimoNomeado)
            continue;
        // " NAME ..... " is 20 characters: the value starts in column 21.
        EXIGIR(linha.size() >= 20 && linha[0] == u' ' && linha[19] == u' ' && linha[18] == u'.',
               "o prefixo tem 20 caracteres e termina em pontos e um branco");
        const qsizetype fimNome = linha.indexOf(u' ', 1);
        EXIGIR(fimNome > 1 && fimNome < 18, "o nome vem entre brancos");
        for (qsizetype c = fimNome + 1; c < 19; ++c)
            EXIGIR(linha[c] == u'.', "nome e valor separados por pontos");
        if (eTexto(p))
            EXIGIR(linha.mid(20) == sat::decodificar(campos[p]), "os campos de texto aparecem como vieram");
    }
    return 0;
}
