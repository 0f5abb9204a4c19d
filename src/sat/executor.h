#pragma once

#include "sat/bibliotecasat.h"
#include "sat/invocacao.h"

#include <optional>
#include <QByteArray>
#include <QString>

namespace sat {

// Where the console's library calls are made. The road of a device call asks it to
// load the library, whether an entry point exists, and to make one call; how the
// library is held (in this process, or elsewhere) is the executor's business.
class Executor {
public:
    virtual ~Executor() = default;

    // Loads the library file at `caminho` and looks up its entry points. On failure
    // returns false with the reason in `erro`, and no library is bound.
    virtual bool carregar(const QString& caminho, QString& erro) = 0;
    virtual bool vinculada() const = 0;
    virtual bool possui(int indice) const = 0;

    // Makes the call; the answer's bytes, copied, or nothing when the library answered
    // a null pointer. Called only for an entry point the library has.
    virtual std::optional<QByteArray> chamar(const Invocacao& chamada) = 0;
};

// The library loaded into this process, or a table of entry points handed over
// directly (a library linked into the program, or one a test scripts).
class ExecutorLocal final : public Executor {
public:
    ExecutorLocal() = default;
    explicit ExecutorLocal(const FuncoesSAT& funcoes) { biblioteca_.vincular(funcoes); }

    bool carregar(const QString& caminho, QString& erro) override {
        return biblioteca_.carregar(caminho, erro);
    }
    bool vinculada() const override { return biblioteca_.vinculada(); }
    bool possui(int indice) const override { return possuiFuncao(biblioteca_.funcoes(), indice); }
    std::optional<QByteArray> chamar(const Invocacao& chamada) override;

private:
    BibliotecaSat biblioteca_;
};

} // namespace sat
