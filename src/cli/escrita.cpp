#include "cli/escrita.h"

#include "platform/terminal.h"

#include <cstdio>
#include <QCoreApplication>

namespace cli {

namespace {

// Flushed at once: a script sees each line as it comes, in the order of both streams.
void escrever(std::FILE* destino, const QString& texto) {
    const QByteArray bytes = texto.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), destino);
    std::fflush(destino);
}

} // namespace

QString Console::pastaDosProgramas() const {
    return QCoreApplication::applicationDirPath();
}

void ConsoleDoProcesso::saida(const QString& texto) {
    escrever(stdout, texto);
}
void ConsoleDoProcesso::erro(const QString& texto) {
    escrever(stderr, texto);
}
bool ConsoleDoProcesso::entradaEhTerminal() const {
    return terminal::entradaEhTerminal();
}
std::optional<std::string> ConsoleDoProcesso::lerSemEco(const std::string& pergunta) {
    return terminal::lerSemEco(pergunta);
}

} // namespace cli
