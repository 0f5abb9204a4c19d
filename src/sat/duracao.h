#pragma once

#include <QString>

// A length of time as the user reads it in a message: "1 segundo", "1,5 segundo",
// "2 segundos" (tenths shown only when there are some; singular below two).
inline QString emSegundos(qint64 milissegundos) {
    const qint64 inteiros = milissegundos / 1000;
    const qint64 decimos = (milissegundos % 1000) / 100;
    QString texto = QString::number(inteiros);
    if (decimos != 0)
        texto += u',' + QString::number(decimos);
    return texto + (inteiros < 2 ? QStringLiteral(" segundo") : QStringLiteral(" segundos"));
}
