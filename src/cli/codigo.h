#pragma once

#include "cli/comando.h"
#include "comandos/operacoes.h"

#include <QCommandLineParser>
#include <QString>
#include <variant>

// The activation code, never from the command line (where any user of the machine would
// read it in the process list): from an environment variable, else the first line of a
// file, else typed at the terminal without echo.
namespace cli {

inline constexpr char variavelDoCodigo[] = "SAT_CODIGO_ATIVACAO";
inline constexpr char variavelDoNovoCodigo[] = "SAT_NOVO_CODIGO_ATIVACAO";

// What the user gave, as given (the operation's own checks trim and measure it), and
// its confirmation: typed a second time when asked for, else the same.
struct CodigoLido {
    QString codigo;
    QString confirmacao;
};

// A code from `variavel`, else the file named by the option `opcaoArquivo`, else typed
// at the console's terminal (twice when `confirmar`); `descricao` names it in the
// questions and complaints.
std::variant<CodigoLido, Fim> lerCodigo(const QCommandLineParser& p, Console& console, const char* variavel,
                                        const QString& opcaoArquivo, const QString& descricao,
                                        bool confirmar);

// The activation code of the operations that send it trimmed and check it alone
// (refused with `mensagem` when short), or why the command ends.
std::variant<QString, Fim> codigoVerificado(const QCommandLineParser& p, Console& console,
                                            const QString& mensagem = comandos::codigoCurto);

} // namespace cli
