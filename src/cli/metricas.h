#pragma once

#include "comandos/metricas.h"
#include "nucleo/caminhosat.h"

#include <functional>
#include <memory>
#include <optional>
#include <QCommandLineParser>
#include <QJsonObject>
#include <QString>
#include <variant>

// `ativacao-sat-cli metricas`: one reading of the device written in Prometheus' text
// format, into the .prom file that a textfile collector reads (atomically) or to
// standard output. A reading that fails still writes a file that says why.
namespace cli {

struct PedidoDeMetricas {
    QString saida; // the .prom file; empty: standard output
    metricas::Repeticao repeticao;
    QString trava;
    // Held from before the library is loaded until the program ends.
    std::shared_ptr<metricas::Trava> travada;
};

// Why the command ends before any reading: the exit status (2 a bad option, 4 another
// reading running) and the message; no file is written then.
struct PedidoRecusado {
    int saida;
    QString mensagem;
};

// The options of `metricas`, checked, and the lock taken, before anything is loaded.
std::variant<PedidoDeMetricas, PedidoRecusado> prepararPedidoDeMetricas(const QCommandLineParser& p);

// The reading (with the code, or without one when it was missing: nothing is sent
// then), the file written, and the exit status: 0 read, 1 refused by the device, 2 no
// code or the file not written, 3 no library, 4 busy, stopped, no answer or timed out.
// `json` receives what --json prints.
int executarMetricas(const PedidoDeMetricas& pedido, CaminhoSat& caminho,
                     const std::optional<QString>& codigo, const std::function<bool()>& esgotado,
                     bool comJson, QJsonObject& json);

} // namespace cli
