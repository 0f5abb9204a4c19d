// The test page's readings of an answer: its lines as the memo shows them, the CF-e a
// sale answer carries (fields joined, Base64 decoded), the CF-e of an end-to-end test
// laid out by FormatXMLString, and CFe.xml written from lines.
//
// Properties: no line holds a line break; the byte and the text readings split at the
// same places; CFe.xml read again gives the same lines; the sale's CF-e is the Base64
// of the answer's fields from the 6th to the 6th from last, its line breaks counted as
// separators.
#include "comum.h"
#include "operations/teste.h"
#include "sat/resposta.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace {

bool semQuebra(const QByteArray& linha) {
    return !linha.contains('\r') && !linha.contains('\n');
}

// The sale answer's fields read another way: every separator and line break (CR LF
// counted once) made a line feed, then split, a break at the very end starting no field.
QByteArrayList camposDaVenda(QByteArray retorno) {
    retorno.replace('|', '\n').replace("\r\n", "\n").replace('\r', '\n');
    QByteArrayList campos = retorno.split('\n');
    if (retorno.isEmpty() || retorno.endsWith('\n'))
        campos.removeLast();
    return campos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const QByteArray retorno(reinterpret_cast<const char*>(dados), static_cast<qsizetype>(tamanho));

    // Lines, bytes and text alike.
    const QByteArrayList linhas = linhasDeBytes(retorno);
    const QStringList linhasLatin1 = linhasDeTexto(QString::fromLatin1(retorno));
    EXIGIR(linhas.size() == linhasLatin1.size(), "bytes e texto têm as mesmas linhas");
    for (qsizetype i = 0; i < linhas.size(); ++i) {
        EXIGIR(semQuebra(linhas[i]), "nenhuma linha contém quebra");
        EXIGIR(QString::fromLatin1(linhas[i]) == linhasLatin1[i], "bytes e texto partem nos mesmos lugares");
    }
    EXIGIR(linhasDeBytes(conteudoCFe(linhas)) == linhas, "CFe.xml lido de novo dá as mesmas linhas");

    // What the memo shows of a session.
    for (const QString& linha : linhasDeTexto(sat::decodificar(retorno)))
        EXIGIR(!linha.contains(u'\r') && !linha.contains(u'\n'), "nenhuma linha exibida contém quebra");

    // A sale.
    const QByteArrayList campos = camposDaVenda(retorno);
    QByteArray base64;
    for (qsizetype i = 5; i + 6 <= campos.size(); ++i)
        base64 += campos[i];
    const QByteArray cfe = cfeDaVenda(retorno);
    EXIGIR(cfe == QByteArray::fromBase64(base64), "o CF-e da venda vem dos campos do 6º ao 6º antes do fim");
    for (const QByteArray& linha : linhasDeBytes(cfe))
        EXIGIR(semQuebra(linha), "nenhuma linha do CF-e contém quebra");

    // An end-to-end test's CF-e, as the page lays it out.
    const QByteArrayList camposDoTeste = sat::campos(retorno);
    if (camposDoTeste.size() <= 5)
        return 0; // the page reports a short answer as its own failure
    const QByteArray cfeDoTeste = QByteArray::fromBase64(camposDoTeste[5]);
    QString documento;
    for (const QString& linha : linhasDeTexto(sat::decodificar(cfeDoTeste)))
        documento += linha + QStringLiteral("\r\n");
    try {
        const QString formatado = sat::FormatXMLString(documento);
        EXIGIR(formatado.isValidUtf16(), "o CF-e formatado é Unicode bem formado");
    } catch (const std::runtime_error&) {
        // A CF-e that does not parse ends the page's reading, with nothing written.
    }
    return 0;
}
