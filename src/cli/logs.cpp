// logs: the device's log, whole or its last SuperLog section, shown or saved.
#include "cli/codigo.h"
#include "cli/comando.h"
#include "cli/respostajson.h"
#include "comandos/conteudolog.h"
#include "comandos/operacoes.h"
#include "platform/codepage.h"
#include "sat/resposta.h"
#include "settings/atomicfile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

namespace cli {

namespace {

class Logs final : public Comando {
public:
    Logs()
        : Comando("logs", "Extrair Logs: o log inteiro, ou só a última seção SuperLog com --superlog.",
                  {opcaoArquivoCodigo,
                   {"superlog", "SuperLog: só a última seção SuperLog do log.", ""},
                   {"arquivo", "Salvar: grava o log neste arquivo em vez da saída padrão.", "ARQUIVO"}}) {}

    Preparo preparar(const QCommandLineParser& p, Console& console) const override {
        const auto lido = codigoVerificado(p, console);
        if (const Fim* fim = std::get_if<Fim>(&lido))
            return *fim;
        const QString codigo = std::get<QString>(lido);
        const int modo =
            p.isSet(QStringLiteral("superlog")) ? conteudolog::modoSuperLog : conteudolog::modoLogInteiro;
        return Execucao([=, &p](Contexto& c) {
            if (!comandos::extrairLogs(c.caminho, codigo))
                return desfechoSemResposta(c.caminho);
            QByteArrayList campos = sat::campos(c.caminho.retorno());
            if (campos.size() < 2 || campos[1] != comandos::logsExtraidos)
                return lerResposta(c, comandos::logsExtraidos, &sat::mensagemResposta);
            c.saida = respostaEmJson(c.caminho, campos);
            QString texto;
            try {
                texto = conteudolog::textoDoLog(campos, modo);
            } catch (const std::exception&) {
                c.console.linhaDeErro(QStringLiteral("A resposta não traz o log."));
                return Recusado;
            }
            // The log is not repeated among the fields: it is the "log" member.
            QJsonArray semLog = c.saida.value(QStringLiteral("campos")).toArray();
            if (semLog.size() > 5)
                semLog[5] = QString();
            c.saida.insert(QStringLiteral("campos"), semLog);
            if (p.isSet(QStringLiteral("arquivo"))) {
                // As "Salvar" writes it: CR LF after every line, in the 8-bit code page.
                QString comFins = texto;
                comFins.replace(u'\n', QStringLiteral("\r\n"));
                QString motivo;
                const QString arquivo = p.value(QStringLiteral("arquivo"));
                if (!settings::writeFileAtomically(arquivo, platform::toAnsi(comFins), &motivo)) {
                    c.console.linhaDeErro(
                        QStringLiteral("Erro ao tentar salvar o arquivo: %1 (%2)").arg(arquivo, motivo));
                    return ErroDeUso;
                }
                c.saida.insert(QStringLiteral("arquivo"),
                               QDir::toNativeSeparators(QFileInfo(arquivo).absoluteFilePath()));
            } else {
                c.saida.insert(QStringLiteral("log"), texto);
                if (!c.json)
                    c.console.saida(texto);
            }
            return Sucesso;
        });
    }
};

} // namespace

const Comando& subcomando::logs() {
    static const Logs comando;
    return comando;
}

} // namespace cli
