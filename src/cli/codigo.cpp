#include "cli/codigo.h"

#include "nucleo/texto.h"

#include <QDir>
#include <QFile>

namespace cli {

namespace {

// The first line of a file, without its line break (LF, or CR LF as Windows' editors
// end it: a CR kept would be sent as part of the code).
std::optional<QString> primeiraLinha(const QString& caminho) {
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray linha = arquivo.readLine();
    while (linha.endsWith('\n') || linha.endsWith('\r'))
        linha.chop(1);
    return QString::fromUtf8(linha);
}

} // namespace

std::variant<CodigoLido, Fim> lerCodigo(const QCommandLineParser& p, Console& console, const char* variavel,
                                        const QString& opcaoArquivo, const QString& descricao,
                                        bool confirmar) {
    if (qEnvironmentVariableIsSet(variavel)) {
        const QString codigo = qEnvironmentVariable(variavel);
        return CodigoLido{codigo, codigo};
    }
    if (p.isSet(opcaoArquivo)) {
        const QString caminho = p.value(opcaoArquivo);
        const std::optional<QString> codigo = primeiraLinha(caminho);
        if (!codigo)
            return Fim{ErroDeUso, QStringLiteral("Não foi possível ler o %1 do arquivo \"%2\".")
                                      .arg(descricao, QDir::toNativeSeparators(caminho))};
        return CodigoLido{*codigo, *codigo};
    }
    if (console.entradaEhTerminal()) {
        const std::optional<std::string> codigo =
            console.lerSemEco(QStringLiteral("Digite o %1: ").arg(descricao).toStdString());
        if (!codigo)
            return Fim{ErroDeUso, QStringLiteral("O %1 não foi digitado.").arg(descricao)};
        std::optional<std::string> confirmacao = codigo;
        if (confirmar)
            confirmacao =
                console.lerSemEco(QStringLiteral("Digite novamente o %1: ").arg(descricao).toStdString());
        return CodigoLido{QString::fromStdString(*codigo), QString::fromStdString(confirmacao.value_or(""))};
    }
    return Fim{ErroDeUso,
               QStringLiteral("O %1 não foi informado: defina %2, use --%3 ARQUIVO ou digite-o num "
                              "terminal. Ele nunca vai na linha de comando, onde qualquer usuário "
                              "da máquina o leria.")
                   .arg(descricao, QLatin1String(variavel), opcaoArquivo)};
}

std::variant<QString, Fim> codigoVerificado(const QCommandLineParser& p, Console& console,
                                            const QString& mensagem) {
    auto lido = lerCodigo(p, console, variavelDoCodigo, QStringLiteral("arquivo-codigo"),
                          QStringLiteral("Código de Ativação do SAT"), false);
    if (const Fim* fim = std::get_if<Fim>(&lido))
        return *fim;
    const QString codigo = aparar(std::get<CodigoLido>(lido).codigo);
    if (const comandos::Recusa recusa = comandos::verificarCodigo(codigo, mensagem))
        return Fim{ErroDeUso, *recusa};
    return codigo;
}

} // namespace cli
