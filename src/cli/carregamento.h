#pragma once

#include "cli/escrita.h"
#include "core/caminhosat.h"

#include <optional>
#include <QCommandLineParser>
#include <QString>
#include <QTimer>

// The library, found and loaded as the window does, and the time limit of its calls.
namespace cli {

// Puts on `caminho` the library --biblioteca names, else the one the window would use in
// the console's folder of programs (the console's scripted table, when it has one):
// nothing, or the message when it does not load. `biblioteca`: the library file tried
// ("" for a scripted table).
std::optional<QString> carregarBiblioteca(CaminhoSat& caminho, const QCommandLineParser& p,
                                          const Console& console, QString& biblioteca);

// Gives up a call that runs past --tempo-limite, as Esc does in the window.
class LimiteDeTempo final : public ObservadorDoCaminho {
public:
    LimiteDeTempo(CaminhoSat& caminho, int segundos);
    void antesDaChamada() override;
    void depoisDaChamada(const QString&, const QByteArray&) override;
    bool esgotado() const { return esgotado_; }

private:
    CaminhoSat& caminho_;
    int segundos_;
    QTimer relogio_;
    bool esgotado_ = false;
};

} // namespace cli
