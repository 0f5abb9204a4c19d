#pragma once

#include "cli/escrita.h"
#include "core/caminhosat.h"

#include <functional>
#include <optional>
#include <QByteArrayList>
#include <QCommandLineParser>
#include <QJsonObject>
#include <QString>
#include <variant>
#include <vector>

// A subcommand of ativacao-sat-cli: its name, what it does, its options and what it
// runs. A run has two halves: `preparar` checks what the user gave and reads what the
// call needs (the code among it) before any library is loaded, then the execution it
// returns makes the call and reads the answer. Nothing is sent when the first half
// refuses.
//
// A new subcommand is one file, src/cli/<name>.cpp, defining the function
// cli::subcomando::<name>() (see subcomandos.h), and one line in subcomandos.h.
namespace cli {

// Exit status: 0 when the device answered with the operation's success code, 1 when it
// refused (its answer is printed), 2 for a usage or check error (nothing was sent), 3
// when the library could not be loaded or lacks the entry point, 4 when it stopped, gave
// no answer or was given up.
enum Saida : int {
    Sucesso = 0,
    Recusado = 1,
    ErroDeUso = 2,
    SemBiblioteca = 3,
    SemResposta = 4,
};

// A failure that ends the command with an exit status and a message on standard error.
struct Fim {
    Saida saida;
    QString mensagem;
};

// What an execution works with: the options given, the road to the library, where it
// writes, and what --json prints (filled by the subcommand).
struct Contexto {
    const QCommandLineParser& opcoes;
    CaminhoSat& caminho;
    Console& console;
    bool json;
    QJsonObject saida;
    std::function<bool()> esgotado; // whether the last call was given up at --tempo-limite
    QString biblioteca;             // the library file loaded ("" for a scripted table)
};

// An option by its name, its help in the words of the window's labels, and the name of
// its value ("" for a switch).
struct Opcao {
    const char* nome;
    const char* ajuda;
    const char* valor;
};

// What a subcommand does once the library is loaded: the exit status. Its checks ran
// before, so nothing here refuses what the user gave.
using Execucao = std::function<Saida(Contexto&)>;
using Preparo = std::variant<Execucao, Fim>;

class Comando {
public:
    Comando(const char* nome, const char* descricao, std::vector<Opcao> opcoes)
        : nome_(nome), descricao_(descricao), opcoes_(std::move(opcoes)) {}
    virtual ~Comando() = default;
    Comando(const Comando&) = delete;
    Comando& operator=(const Comando&) = delete;

    const char* nome() const { return nome_; }
    const char* descricao() const { return descricao_; }
    const std::vector<Opcao>& opcoes() const { return opcoes_; }

    // The checks of the inputs, before the library is loaded: the execution, or the end
    // the first failing check gives. `console` is where a code is typed.
    virtual Preparo preparar(const QCommandLineParser& p, Console& console) const = 0;
    // Whether the execution runs (and reports it) when the library did not load.
    virtual bool mesmoSemBiblioteca() const { return false; }
    // The time limit of each call when --tempo-limite is not given, in seconds; 0: none.
    virtual int tempoLimitePadrao() const { return 0; }

private:
    const char* nome_;
    const char* descricao_;
    std::vector<Opcao> opcoes_;
};

// ---- what several commands share ----

// The option of the activation code's file, with its help.
extern const Opcao opcaoArquivoCodigo;
// --saida of the test and the session query: the folder of CFe.xml.
extern const Opcao opcaoSaida;

// Reads the answer against the code of the operation's success: 0 or 1, and the
// answer printed (text: what the page shows, `mensagem` of the fields; JSON: every field).
Saida lerResposta(Contexto& c, const char* sucesso,
                  const std::function<QString(const QByteArrayList&)>& mensagem);

// The exit status of a call that gave no answer to read.
Saida desfechoSemResposta(const CaminhoSat& caminho);

// A command that sends the activation code alone (block, unblock, update...) and reads
// the answer against `sucesso`.
class ComandoDoCodigo : public Comando {
public:
    using Operacao = bool (*)(CaminhoSat&, const QString&);
    ComandoDoCodigo(const char* nome, const char* descricao, Operacao operacao, const char* sucesso,
                    std::vector<Opcao> outras = {});
    Preparo preparar(const QCommandLineParser& p, Console& console) const override;

private:
    Operacao operacao_;
    const char* sucesso_;
};

// CFe.xml in the folder --saida names, as the window writes it beside the program;
// nothing to do without --saida, and a usage error when it cannot be written.
std::optional<Fim> gravarCFe(const QCommandLineParser& p, const QByteArrayList& linhas);

// A CNPJ as typed, with or without its punctuation: its digits.
QString digitosDoCnpj(const QString& texto);

// Every subcommand, each defined in its own file and listed in subcomandos.h.
namespace subcomando {
#define SUBCOMANDO(arquivo) const Comando& arquivo();
#include "cli/subcomandos.h"
#undef SUBCOMANDO
} // namespace subcomando

} // namespace cli
