#pragma once

#include <QString>

// Removes leading and trailing blanks and control characters (every code up to the
// blank), as texts typed by the user are measured, compared and sent.
inline QString aparar(const QString& texto) {
    qsizetype inicio = 0;
    qsizetype fim = texto.size();
    while (inicio < fim && texto[inicio].unicode() <= u' ')
        ++inicio;
    while (fim > inicio && texto[fim - 1].unicode() <= u' ')
        --fim;
    return texto.mid(inicio, fim - inicio);
}
