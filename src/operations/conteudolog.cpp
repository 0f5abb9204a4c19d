#include "operations/conteudolog.h"

#include "sat/resposta.h"

#include <algorithm>
#include <QByteArrayView>
#include <QStringDecoder>
#include <utility>

namespace conteudolog {

namespace {

constexpr qsizetype corteDaData = 24;

// UTF-8 with U+FFFD for every invalid sequence, as answers are shown; a byte order
// mark at the start stays a character, so that nothing of the log is dropped unseen.
QStringDecoder decodificadorUtf8() {
    return QStringDecoder(QStringDecoder::Utf8,
                          QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
}

QString logInteiro(const QByteArray& log) {
    if (log.isEmpty())
        return linhaDeHifens + u'\n';
    // Decoded straight into a string that already has room for the hyphen line: a
    // log of tens of megabytes is neither copied again nor moved by a late append.
    QStringDecoder utf8 = decodificadorUtf8();
    QString texto(utf8.requiredSpace(log.size()) + 1 + linhaDeHifens.size() + 1, Qt::Uninitialized);
    QChar* fim = utf8.appendToBuffer(texto.data(), log);
    *fim++ = u'\n';
    fim = std::copy(linhaDeHifens.cbegin(), linhaDeHifens.cend(), fim);
    *fim++ = u'\n';
    texto.truncate(fim - texto.constData());
    return texto;
}

// Where the marker last starts in the log. Qt 6.4's search from the end reads before
// the text when the marker is longer than it (the answer is right, the read is not),
// so a log too short to hold the marker is not searched.
qsizetype ultimaMarca(QByteArrayView log, QByteArrayView marca) {
    return log.size() < marca.size() ? -1 : log.lastIndexOf(marca);
}

} // namespace

QString textoSuperLog(QByteArrayView log) {
    const qsizetype ultimoInicio =
        std::max(ultimaMarca(log, inicioSuperLogDuvra), ultimaMarca(log, inicioSuperLog));
    if (ultimoInicio >= 0) {
        const qsizetype inicio = log.lastIndexOf('\n', ultimoInicio) + 1; // the start line
        const qsizetype marcaFinal = log.indexOf(fimSuperLog, inicio);
        if (marcaFinal >= 0) {
            qsizetype fim = log.indexOf('\n', marcaFinal); // the end of the end line
            if (fim < 0)
                fim = log.size();
            QStringDecoder utf8 = decodificadorUtf8();
            QString texto(1, u'\n');
            for (qsizetype linha = inicio; linha <= fim;) {
                qsizetype quebra = log.indexOf('\n', linha);
                if (quebra < 0 || quebra > fim)
                    quebra = fim;
                const QByteArrayView bytes(log.constData() + linha, quebra - linha);
                texto += QStringLiteral("   ");
                if (bytes.size() > corteDaData)
                    texto += utf8.decode(bytes.sliced(corteDaData));
                texto += u'\n';
                linha = quebra + 1;
            }
            return texto;
        }
    }
    return QStringLiteral("\n\n") + semSuperLog + QStringLiteral("\n\n\n");
}

QString textoDoLog(QByteArray base64, int modo) {
    const QByteArray log = QByteArray::fromBase64(base64);
    base64 = QByteArray();
    return modo == modoLogInteiro ? logInteiro(log) : textoSuperLog(log);
}

QString textoDoLog(QByteArrayList& campos, int modo) {
    sat::campo(campos, 5); // throws when the answer has no log
    return textoDoLog(std::exchange(campos[5], QByteArray()), modo);
}

} // namespace conteudolog
