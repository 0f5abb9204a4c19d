#pragma once

#include "sat/bibliotecasat.h"
#include "sat/invocacao.h"
#include "sat/protocolo.h"

#include <QByteArray>
#include <QString>

namespace sat {

// How one call ended.
struct RespostaSat {
    enum class Tipo {
        Texto,        // the library answered; `bytes` is a copy of its answer
        Nula,         // the library answered a null pointer
        Interrompida, // the library stopped (crashed, ended, was given up) during the call
        Indisponivel, // the library could not be reached to make the call
    };
    Tipo tipo = Tipo::Nula;
    QByteArray bytes;
    // Interrompida, Indisponivel: what happened, in plain words ("falha de segmentação").
    QString motivo;
};

// Where the console's library calls are made. The road of a device call asks it to
// load the library, whether an entry point exists, and to make one call; how the
// library is held (in this process, or in a helper process) is the executor's business.
class Executor {
public:
    virtual ~Executor() = default;

    // Loads the library file at `caminho` and looks up its entry points. On failure
    // returns false with the loader's reason in `erro`, and no library is bound.
    virtual bool carregar(const QString& caminho, QString& erro) = 0;
    virtual bool vinculada() const = 0;
    virtual bool possui(int indice) const = 0;

    // Makes the call. Called only for an entry point the library has.
    virtual RespostaSat chamar(const Invocacao& chamada) = 0;

    // Gives up the call in progress, if the executor can: the library is ended and
    // the call returns as interrupted. Asked by the user of a call that never returns.
    virtual void abandonar() {}

    // The calling convention the library's entry points showed on their last answer,
    // where it can be seen (a 32-bit x86 library held by the 32-bit helper).
    virtual protocolo::Convencao convencao() const { return protocolo::Convencao::Desconhecida; }
};

// The library loaded into this process, or a table of entry points handed over
// directly (a library linked into the program, or one a test scripts). A crash in
// the library is a crash of the console; a hang blocks it.
class ExecutorLocal final : public Executor {
public:
    ExecutorLocal() = default;
    explicit ExecutorLocal(const FuncoesSAT& funcoes) { biblioteca_.vincular(funcoes); }

    bool carregar(const QString& caminho, QString& erro) override {
        return biblioteca_.carregar(caminho, erro);
    }
    bool vinculada() const override { return biblioteca_.vinculada(); }
    bool possui(int indice) const override { return possuiFuncao(biblioteca_.funcoes(), indice); }
    RespostaSat chamar(const Invocacao& chamada) override;

private:
    BibliotecaSat biblioteca_;
};

} // namespace sat
