#pragma once

#include <optional>
#include <string>

// The command line's terminal: whether someone types at it, and a secret read from it
// without echo. Texts are UTF-8.
namespace terminal {

// Whether standard input is a terminal (not a pipe, a file or nothing).
bool entradaEhTerminal();

// Shows `pergunta` on standard error and reads one line from the terminal with the echo
// off, so that a code typed there is not left on the screen. Nothing at the end of the
// input.
std::optional<std::string> lerSemEco(const std::string& pergunta);

// Makes the console show UTF-8 written to standard output and error (Windows' console
// otherwise reads them in its OEM code page); nothing to do elsewhere.
void prepararSaidaUtf8();

} // namespace terminal
