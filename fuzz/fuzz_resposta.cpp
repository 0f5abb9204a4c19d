// The library's answer as the console reads it: the split into fields, the UTF-8
// text shown to the user, the status-bar echo, the answer message and the SEFAZ
// window's text. The input is an answer as the library might hand it over.
#include "comum.h"
#include "sat/resposta.h"

#include <QByteArray>
#include <QString>
#include <stdexcept>

namespace {

qsizetype caracteres(const QString& texto) {
    return texto.toUcs4().size();
}

// Any separator and white-space sets: the first byte is the separator, the second
// the white space (none when they are equal), the rest the content.
void separarComConjuntos(const QByteArray& entrada) {
    if (entrada.size() < 2)
        return;
    const char separador = entrada[0];
    const char branco = entrada[1];
    const sat::ConjuntoCaracteres separadores = sat::conjunto({separador});
    const sat::ConjuntoCaracteres brancos =
        branco == separador ? sat::ConjuntoCaracteres() : sat::conjunto({branco});
    const QByteArray conteudo = entrada.mid(2);

    QByteArrayList lista{"já estava na lista"};
    const qsizetype n = sat::ExtractStrings2(separadores, brancos, conteudo, lista);
    EXIGIR(lista.size() == n + 1 && lista.first() == "já estava na lista",
           "a lista não é esvaziada; o resultado conta o que foi acrescentado");
    lista.removeFirst();
    EXIGIR(conteudo.isEmpty() ? n == 0 : n == conteudo.count(separador) + 1,
           "n separadores dão n + 1 campos");
    for (const QByteArray& campo : lista) {
        EXIGIR(!campo.contains(separador), "nenhum campo contém um separador");
        EXIGIR(branco == separador || !campo.startsWith(branco),
               "os brancos do início de cada campo são pulados");
    }

    // The same text as 8-bit characters splits the same way.
    QStringList texto;
    EXIGIR(sat::ExtractStrings2(separadores, brancos, QString::fromLatin1(conteudo), texto) == n,
           "o texto de 8 bits dá os mesmos campos");
    for (qsizetype i = 0; i < n; ++i)
        EXIGIR(texto[i] == QString::fromLatin1(lista[i]), "o texto de 8 bits dá os mesmos campos");

    // Decoded, characters above 255 never separate.
    const QString unicode = sat::decodificar(conteudo);
    qsizetype separadoresUnicode = 0;
    for (QChar c : unicode)
        separadoresUnicode += c.unicode() == static_cast<unsigned char>(separador) ? 1 : 0;
    QStringList campos;
    const qsizetype m = sat::ExtractStrings2(separadores, brancos, unicode, campos);
    EXIGIR(unicode.isEmpty() ? m == 0 : m == separadoresUnicode + 1, "só caracteres até 255 separam");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const QByteArray retorno(reinterpret_cast<const char*>(dados), static_cast<qsizetype>(tamanho));

    // The answer's fields.
    const QByteArrayList campos = sat::campos(retorno);
    EXIGIR(retorno.isEmpty() ? campos.isEmpty() : campos.size() == retorno.count('|') + 1,
           "n separadores dão n + 1 campos; uma resposta vazia, nenhum");
    EXIGIR(campos.join('|') == retorno, "os campos, juntados de novo, refazem a resposta");

    separarComConjuntos(retorno);

    // The text the user reads.
    const QString texto = sat::decodificar(retorno);
    EXIGIR(texto.isValidUtf16(), "o texto decodificado é Unicode bem formado");
    EXIGIR(sat::decodificar(texto.toUtf8()) == texto, "decodificar o próprio texto não o muda");
    if (retorno.isValidUtf8())
        EXIGIR(texto.toUtf8() == retorno, "UTF-8 válido é mostrado como veio");

    // The status-bar echo: at most 110 characters, then " ...".
    const QString status = sat::textoStatus(retorno);
    EXIGIR(status.isValidUtf16(), "o eco na barra de status é Unicode bem formado");
    if (caracteres(texto) <= 110) {
        EXIGIR(status == texto, "um texto de até 110 caracteres é mostrado inteiro");
    } else {
        EXIGIR(caracteres(status) == 110 + 4 && status.endsWith(QStringLiteral(" ...")),
               "um texto mais longo é cortado em 110 caracteres seguidos de \" ...\"");
        EXIGIR(texto.startsWith(status.chopped(4)), "o corte guarda o começo do texto");
    }

    // "code: message" needs fields 1 and 2.
    try {
        const QString mensagem = sat::mensagemResposta(campos);
        EXIGIR(campos.size() >= 3, "a mensagem só existe com os campos 1 e 2");
        EXIGIR(mensagem == sat::decodificar(campos[1]) + QStringLiteral(": ") + sat::decodificar(campos[2]),
               "a mensagem é o campo 1, \": \" e o campo 2");
    } catch (const std::out_of_range&) {
        EXIGIR(campos.size() < 3, "só uma resposta curta falta à mensagem");
    }

    // The SEFAZ window: field 3 (4 after an alert code) when it is not empty.
    const std::optional<QString> sefaz = sat::textoSefaz(campos);
    const qsizetype k = campos.size() >= 2 && campos[1].startsWith("130") ? 4 : 3;
    const bool temSefaz = campos.size() > k && !campos[k].isEmpty();
    EXIGIR(sefaz.has_value() == temSefaz, "a janela SEFAZ aparece só com o código SEFAZ");
    if (sefaz)
        EXIGIR(sefaz->startsWith(QStringLiteral("Código: ") + sat::decodificar(campos[k]) +
                                 QStringLiteral("\n\n")),
               "a janela SEFAZ começa com o código");
    return 0;
}
