#pragma once

#include "nucleo/caminhosat.h"

#include <QByteArrayList>
#include <QJsonObject>

namespace cli {

// The object every answer gives with --json: the session, the code, the message, the
// SEFAZ fields and every field as the device sent it. An answer that carries an alert
// (the association's 130xx) has the alert code in "alerta" and the message after it.
QJsonObject respostaEmJson(const CaminhoSat& caminho, const QByteArrayList& campos);

} // namespace cli
