#pragma once

#include "sat/sessao.h"

#include <QByteArray>
#include <QString>

// The values that live for the whole run and are never persisted. The main window
// owns the one instance and hands it by reference to what needs it.
struct EstadoConsole {
    QString numsessao;      // session number of the current or last library call
    QByteArray retorno;     // the last answer, byte for byte
    QString codigoativacao; // the code confirmed in the activation-code prompt
    int cancelado = 1;      // 0 once the prompt (or the test data dialog) was confirmed
    sat::GeradorSessao sessoes;
};
