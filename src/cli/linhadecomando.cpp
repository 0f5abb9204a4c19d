#include "cli/linhadecomando.h"

#include "cli/carregamento.h"
#include "sat/duracao.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonDocument>

namespace cli {

namespace {

// What the road says to the user goes to standard error, where a script's log keeps it.
class AvisosNoErro final : public Avisos {
public:
    explicit AvisosNoErro(Console& console) : console_(console) {}
    void mensagem(const QString& texto) override { console_.linhaDeErro(texto); }

private:
    Console& console_;
};

QString ajudaGeral(const QString& programa) {
    QString texto = QStringLiteral("Uso: %1 SUBCOMANDO [opções]\n\nOperações do SAT pela linha de comando. "
                                   "Subcomandos:\n")
                        .arg(programa);
    for (const Comando* s : comandos())
        texto +=
            QStringLiteral("  %1  %2\n")
                .arg(QString::fromLatin1(s->nome()).leftJustified(14), QString::fromUtf8(s->descricao()));
    texto +=
        QStringLiteral(
            "\n'%1 SUBCOMANDO --help' lista as opções de cada um. O Código de Ativação nunca vai na linha de "
            "comando: vem da variável SAT_CODIGO_ATIVACAO, de --arquivo-codigo ARQUIVO, ou é digitado sem "
            "eco "
            "num terminal.\nSaída: 0 sucesso, 1 recusado pelo SAT, 2 erro de uso ou verificação, 3 "
            "biblioteca "
            "não carregada, 4 a biblioteca parou, não respondeu ou foi abandonada.\n")
            .arg(programa);
    return texto;
}

} // namespace

const std::vector<const Comando*>& comandos() {
    static const std::vector<const Comando*> lista{
#define SUBCOMANDO(arquivo) &subcomando::arquivo(),
#include "cli/subcomandos.h"
#undef SUBCOMANDO
    };
    return lista;
}

int executar(const QStringList& argumentos) {
    ConsoleDoProcesso console;
    return executar(argumentos, console);
}

int executar(const QStringList& argumentos, Console& console) {
    const QString programa = argumentos.isEmpty() ? QStringLiteral("ativacao-sat-cli")
                                                  : QFileInfo(argumentos.first()).completeBaseName();
    if (argumentos.size() < 2) {
        console.erro(ajudaGeral(programa));
        return ErroDeUso;
    }
    const QString nome = argumentos.at(1);
    if (nome == u"--help" || nome == u"-h" || nome == u"ajuda") {
        console.saida(ajudaGeral(programa));
        return Sucesso;
    }
    const auto& lista = comandos();
    const auto encontrado = std::find_if(lista.begin(), lista.end(),
                                         [&](const Comando* s) { return nome == QLatin1String(s->nome()); });
    if (encontrado == lista.end()) {
        console.linhaDeErro(
            QStringLiteral("Subcomando desconhecido: \"%1\". Use %2 --help.").arg(nome, programa));
        return ErroDeUso;
    }
    const Comando& subcomando = **encontrado;

    QCommandLineParser p;
    p.setApplicationDescription(QString::fromUtf8(subcomando.descricao()));
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    p.addOption(
        {QStringLiteral("biblioteca"),
         QStringLiteral("A biblioteca SAT a usar (sem ela: SAT_x64.DLL, ou SAT.DLL, na pasta do programa)."),
         QStringLiteral("ARQUIVO")});
    p.addOption({QStringLiteral("json"), QStringLiteral("Escreve a resposta como um objeto JSON.")});
    p.addOption({QStringLiteral("tempo-limite"),
                 QStringLiteral("Abandona a chamada que não voltar em SEGUNDOS (a biblioteca é encerrada)."),
                 QStringLiteral("SEGUNDOS")});
    p.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Mostra estas opções.")});
    for (const Opcao& o : subcomando.opcoes()) {
        if (*o.valor == '\0')
            p.addOption({QLatin1String(o.nome), QString::fromUtf8(o.ajuda)});
        else
            p.addOption({QLatin1String(o.nome), QString::fromUtf8(o.ajuda), QLatin1String(o.valor)});
    }
    QStringList resto = argumentos.mid(2);
    resto.prepend(programa + u' ' + nome);
    if (!p.parse(resto)) {
        // In the user's language, not the parser's.
        const QStringList desconhecidas = p.unknownOptionNames();
        console.linhaDeErro(desconhecidas.isEmpty()
                                ? p.errorText()
                                : QStringLiteral("Opção desconhecida: %1. Use %2 %3 --help.")
                                      .arg(desconhecidas.first(), programa, nome));
        return ErroDeUso;
    }
    if (p.isSet(QStringLiteral("help"))) {
        // The parser's text less its first line, which names the program as it was run.
        const QString ajuda = p.helpText();
        console.saida(
            QStringLiteral("Uso: %1 %2 [opções]").arg(programa, nome) +
            ajuda.mid(ajuda.indexOf(u'\n')).replace(QStringLiteral("Options:"), QStringLiteral("Opções:")));
        return Sucesso;
    }
    if (!p.positionalArguments().isEmpty()) {
        console.linhaDeErro(
            QStringLiteral(
                "Argumento inesperado: \"%1\". O Código de Ativação nunca vai na linha de comando.")
                .arg(p.positionalArguments().first()));
        return ErroDeUso;
    }
    int segundos = subcomando.tempoLimitePadrao();
    if (p.isSet(QStringLiteral("tempo-limite"))) {
        bool numero = false;
        segundos = p.value(QStringLiteral("tempo-limite")).toInt(&numero);
        if (!numero || segundos <= 0) {
            console.linhaDeErro(QStringLiteral("--tempo-limite: um número de segundos maior que zero."));
            return ErroDeUso;
        }
    }

    // The inputs are checked (and the code read) before anything is loaded or sent.
    Preparo preparo = subcomando.preparar(p, console);
    if (const Fim* fim = std::get_if<Fim>(&preparo)) {
        console.linhaDeErro(fim->mensagem);
        return fim->saida;
    }

    AvisosNoErro avisos(console);
    CaminhoSat caminho(avisos);
    LimiteDeTempo limite(caminho, segundos);
    caminho.definirObservador(&limite);
    QString biblioteca;
    if (const std::optional<QString> falha = carregarBiblioteca(caminho, p, console, biblioteca)) {
        console.linhaDeErro(*falha);
        if (!subcomando.mesmoSemBiblioteca())
            return SemBiblioteca;
    }

    Contexto contexto{
        p, caminho, console, p.isSet(QStringLiteral("json")), {}, [&limite] { return limite.esgotado(); }, biblioteca};
    const Saida saida = std::get<Execucao>(preparo)(contexto);
    if (limite.esgotado())
        console.linhaDeErro(QStringLiteral("A chamada foi abandonada após %1 (--tempo-limite).")
                                .arg(emSegundos(segundos * 1000LL)));
    if (contexto.json) {
        if (contexto.saida.isEmpty())
            contexto.saida.insert(QStringLiteral("sessao"), caminho.numsessao());
        contexto.saida.insert(QStringLiteral("saida"), saida);
        console.saida(QString::fromUtf8(QJsonDocument(contexto.saida).toJson(QJsonDocument::Indented)));
    }
    return saida;
}

} // namespace cli
