// ativacao-sat-cli: the console's device operations from a command line.
#include "cli/linhadecomando.h"
#include "platform/terminal.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    // No window system: the helper's pipe and the time limit need only an event loop.
    QCoreApplication app(argc, argv);
    terminal::prepararSaidaUtf8();
    return cli::executar(QCoreApplication::arguments());
}
