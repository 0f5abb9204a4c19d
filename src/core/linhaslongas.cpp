#include "core/linhaslongas.h"

#include <QLocale>

namespace {

// Characters, not UTF-16 units: a character outside the basic plane counts once.
qsizetype caracteres(QStringView texto) {
    qsizetype n = 0;
    for (const QChar c : texto)
        n += c.isLowSurrogate() ? 0 : 1;
    return n;
}

QString nota(qsizetype total, qsizetype mostrados) {
    const QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    return QStringLiteral(" … [linha de %1 caracteres; mostrados os primeiros %2]")
        .arg(brasil.toString(total), brasil.toString(mostrados));
}

} // namespace

QString linhaExibivel(QStringView linha) {
    if (linha.size() <= limiteDeLinha)
        return linha.toString();
    const qsizetype total = caracteres(linha);
    // The note's length depends on the numbers in it; the count of characters shown
    // has at most as many digits as the total, so the note made with the total twice
    // is the longest it can be.
    qsizetype corte = limiteDeLinha - nota(total, total).size();
    if (linha[corte - 1].isHighSurrogate() && linha[corte].isLowSurrogate())
        --corte; // never half a character
    const QStringView inicio = linha.first(corte);
    return inicio.toString() + nota(total, caracteres(inicio));
}

QString textoExibivel(const QString& texto) {
    const qsizetype n = texto.size();
    const QChar* d = texto.constData();
    bool longa = false;
    for (qsizetype i = 0, inicio = 0; i <= n && !longa; ++i) {
        if (i == n || terminaLinha(d[i].unicode())) {
            longa = i - inicio > limiteDeLinha;
            inicio = i + 1;
        }
    }
    if (!longa)
        return texto;

    QString saida;
    saida.reserve(n);
    for (qsizetype i = 0, inicio = 0; i <= n; ++i) {
        if (i == n || terminaLinha(d[i].unicode())) {
            saida += linhaExibivel(QStringView(d + inicio, i - inicio));
            if (i < n)
                saida += d[i];
            inicio = i + 1;
        }
    }
    return saida;
}
