#pragma once

#include <QString>

// What the activation-code prompt (and the test data dialog) leave for the operation
// that opened them. Lives for the whole run and is never persisted; the session
// numbers and the last answer belong to the road of device calls (CaminhoSat).
struct EstadoConsole {
    QString codigoativacao; // the code confirmed in the activation-code prompt
    int cancelado = 1;      // 0 once the prompt (or the test data dialog) was confirmed
};
