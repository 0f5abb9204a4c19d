#pragma once

#include <QStringList>

// ativacao-sat-cli: every device operation of the console from a command line, for
// scripts, remote shells and monitors. One subcommand per operation; the library is
// found and loaded as the window does, through the same helper; each operation checks,
// sends and reads its answer with the same code as its page (src/comandos).
//
// Exit status: 0 when the device answered with the operation's success code, 1 when it
// refused (its answer is printed), 2 for a usage or check error (nothing was sent), 3
// when the library could not be loaded or lacks the entry point, 4 when it stopped, gave
// no answer or was given up.
namespace cli {

enum Saida : int {
    Sucesso = 0,
    Recusado = 1,
    ErroDeUso = 2,
    SemBiblioteca = 3,
    SemResposta = 4,
};

// Runs the command line `argumentos` (the program's name first) and returns the exit
// status. Reads the activation code from the environment, a file or the terminal;
// writes the outcome to standard output and every complaint to standard error.
int executar(const QStringList& argumentos);

} // namespace cli
