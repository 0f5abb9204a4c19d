#pragma once

#include "platform/platform.h"
#include "sat/funcoessat.h"

#include <QString>

namespace sat {

// The SAT library the console is bound to: the loaded file and its entry points.
class BibliotecaSat {
public:
    // Releases any library held before (its entry points are forgotten first, so they
    // are never called again), loads the file at `caminho` and looks up the 17 entry
    // points; a name the library does not export leaves its slot empty. On failure
    // returns false with the loader's reason in `erro`, and no library is bound.
    bool carregar(const QString& caminho, QString& erro);

    // Binds a table of entry points directly: a library linked into the program.
    void vincular(const FuncoesSAT& funcoes);

    const FuncoesSAT& funcoes() const { return funcoes_; }
    bool vinculada() const { return vinculada_; }

private:
    platform::BibliotecaDinamica arquivo_;
    FuncoesSAT funcoes_;
    bool vinculada_ = false;
};

} // namespace sat
