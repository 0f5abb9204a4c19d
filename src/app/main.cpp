// The console reads no arguments: everything it needs is beside the executable.
#include "app/inicio.h"

int main(int argc, char* argv[]) { return executarConsole(argc, argv); }
