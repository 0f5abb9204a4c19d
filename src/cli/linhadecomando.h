#pragma once

#include "cli/comando.h"

#include <QStringList>

// ativacao-sat-cli: every device operation of the console from a command line, for
// scripts, remote shells and monitors. One subcommand per operation (each in its own
// file, listed in subcomandos.h); the library is found and loaded as the window does,
// through the same helper; each operation checks, sends and reads its answer with the
// same code as its page (src/comandos).
namespace cli {

// The subcommands, in the order the help lists them.
const std::vector<const Comando*>& comandos();

// Runs the command line `argumentos` (the program's name first) and returns the exit
// status (see Saida). Reads the activation code from the environment, a file or the
// console's terminal; writes the outcome to its standard output and every complaint to
// its standard error.
int executar(const QStringList& argumentos, Console& console);
// The same on the process's own streams and terminal.
int executar(const QStringList& argumentos);

} // namespace cli
