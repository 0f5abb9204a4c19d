#pragma once

#include "sat/funcoessat.h"

#include <optional>
#include <QString>
#include <string>

// Where a run of the command line writes its outcome and its complaints, and the
// terminal a code is typed at: the process's own streams, or, when tests run commands
// in their own process, buffers and typed lines of their own. Texts are UTF-8 on the
// way out.
namespace cli {

class Console {
public:
    virtual ~Console() = default;

    // Standard output: the outcome a script reads.
    virtual void saida(const QString& texto) = 0;
    // Standard error: every complaint and what the road tells the user.
    virtual void erro(const QString& texto) = 0;

    // Whether someone types at standard input (not a pipe, a file or nothing).
    virtual bool entradaEhTerminal() const = 0;
    // Asks `pergunta` and reads one line with the echo off; nothing at the end of the input.
    virtual std::optional<std::string> lerSemEco(const std::string& pergunta) = 0;

    // The folder where the library and its helper are looked for: the program's own.
    virtual QString pastaDosProgramas() const;
    // A table of entry points to call instead of loading a library (tests script one);
    // nullptr: the library is found and loaded.
    virtual const sat::FuncoesSAT* funcoes() const { return nullptr; }

    void linha(const QString& texto) { saida(texto + u'\n'); }
    void linhaDeErro(const QString& texto) { erro(texto + u'\n'); }
};

// The process's standard output, standard error and terminal.
class ConsoleDoProcesso final : public Console {
public:
    void saida(const QString& texto) override;
    void erro(const QString& texto) override;
    bool entradaEhTerminal() const override;
    std::optional<std::string> lerSemEco(const std::string& pergunta) override;
};

} // namespace cli
