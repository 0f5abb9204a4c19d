#include "platform/terminal.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace terminal {

namespace {

std::optional<std::string> lerLinha() {
    std::string linha;
    if (!std::getline(std::cin, linha))
        return std::nullopt;
    if (!linha.empty() && linha.back() == '\r')
        linha.pop_back();
    return linha;
}

} // namespace

#ifdef _WIN32

bool entradaEhTerminal() { return _isatty(_fileno(stdin)) != 0; }

std::optional<std::string> lerSemEco(const std::string& pergunta) {
    const HANDLE entrada = GetStdHandle(STD_INPUT_HANDLE);
    DWORD modo = 0;
    const bool console = GetConsoleMode(entrada, &modo) != 0;
    if (console)
        SetConsoleMode(entrada, modo & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    // Asked only once the echo is off: nothing typed after the question is shown.
    std::cerr << pergunta << std::flush;
    std::optional<std::string> linha = lerLinha();
    if (console)
        SetConsoleMode(entrada, modo);
    std::cerr << std::endl;
    return linha;
}

void prepararSaidaUtf8() {
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
}

#else

bool entradaEhTerminal() { return isatty(STDIN_FILENO) != 0; }

std::optional<std::string> lerSemEco(const std::string& pergunta) {
    termios antes{};
    const bool terminal = tcgetattr(STDIN_FILENO, &antes) == 0;
    if (terminal) {
        termios semEco = antes;
        semEco.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &semEco);
    }
    // Asked only once the echo is off: nothing typed after the question is shown.
    std::cerr << pergunta << std::flush;
    std::optional<std::string> linha = lerLinha();
    if (terminal)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &antes);
    std::cerr << std::endl;
    return linha;
}

void prepararSaidaUtf8() {}

#endif

} // namespace terminal
