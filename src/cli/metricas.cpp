// metricas: one reading of the device for a fleet monitor, in Prometheus' text format,
// written atomically into the .prom file that node_exporter's or windows_exporter's
// textfile collector reads, or to standard output. A reading that fails still writes
// a file that says why (src/operations/metricas.h).
#include "operations/metricas.h"

#include "cli/codigo.h"
#include "cli/comando.h"
#include "operations/operacoes.h"

#include <cmath>
#include <memory>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cli {

namespace {

Saida saidaDaFalha(metricas::Falha falha) {
    switch (falha) {
    case metricas::Falha::Nenhuma:
        return Sucesso;
    case metricas::Falha::Recusada:
        return Recusado;
    case metricas::Falha::Configuracao:
        return ErroDeUso;
    case metricas::Falha::SemBiblioteca:
        return SemBiblioteca;
    default:
        return SemResposta;
    }
}

QString motivoEmPalavras(const metricas::Leitura& l) {
    switch (l.falha) {
    case metricas::Falha::Ocupado:
        return QStringLiteral("o SAT continuou ocupado (%1) após %2 tentativas")
            .arg(QString::fromLatin1(l.codigo))
            .arg(l.ocupado);
    case metricas::Falha::Recusada:
        return QStringLiteral("o SAT recusou o status (%1)").arg(QString::fromLatin1(l.codigo));
    case metricas::Falha::Ilegivel:
        return QStringLiteral("a resposta do SAT não traz um código");
    default:
        return metricas::rotulo(l.falha);
    }
}

// What a run reads of its options, and the lock it holds from before the library is
// loaded until the program ends.
struct Pedido {
    QString saida; // the .prom file; empty: standard output
    metricas::Repeticao repeticao;
    std::shared_ptr<metricas::Trava> trava;
};

Saida ler(const Pedido& pedido, const std::optional<QString>& codigo, Contexto& c) {
    metricas::Leitura leitura;
    if (codigo) {
        leitura = metricas::ler(c.caminho, *codigo, pedido.repeticao, c.esgotado);
    } else {
        leitura.falha = metricas::Falha::Configuracao;
        leitura.fim = QDateTime::currentDateTime();
    }
    // The time of the last good reading is carried over from the file this one replaces.
    std::optional<qint64> ultimaBoa;
    if (!pedido.saida.isEmpty()) {
        QFile anterior(pedido.saida);
        if (anterior.open(QIODevice::ReadOnly))
            ultimaBoa = metricas::ultimaLeituraBoa(anterior.read(1 << 20));
    }
    const QByteArray texto = metricas::texto(leitura, ultimaBoa);
    const bool sucesso = leitura.falha == metricas::Falha::Nenhuma;
    if (!sucesso && leitura.falha != metricas::Falha::Configuracao)
        c.console.linhaDeErro(QStringLiteral("Leitura sem sucesso: %1.").arg(motivoEmPalavras(leitura)));

    c.saida.insert(QStringLiteral("sucesso"), sucesso);
    c.saida.insert(QStringLiteral("falha"),
                   sucesso ? QJsonValue(QJsonValue::Null) : QJsonValue(metricas::rotulo(leitura.falha)));
    if (pedido.saida.isEmpty()) {
        if (c.json)
            c.saida.insert(QStringLiteral("metricas"), QString::fromUtf8(texto));
        else
            c.console.saida(QString::fromUtf8(texto));
        return saidaDaFalha(leitura.falha);
    }
    QString motivo;
    if (!metricas::gravar(pedido.saida, texto, &motivo)) {
        c.console.linhaDeErro(QStringLiteral("Erro ao tentar salvar o arquivo: %1 (%2)")
                                  .arg(QDir::toNativeSeparators(pedido.saida), motivo));
        return ErroDeUso;
    }
    c.saida.insert(QStringLiteral("arquivo"),
                   QDir::toNativeSeparators(QFileInfo(pedido.saida).absoluteFilePath()));
    return saidaDaFalha(leitura.falha);
}

class Metricas final : public Comando {
public:
    Metricas()
        : Comando(
              "metricas",
              "Métricas para o Prometheus: consulta o SAT, lê o status e grava o formato de texto (coletor "
              "textfile).",
              {opcaoArquivoCodigo,
               {"saida", "Arquivo .prom a gravar (atomicamente); sem ela, a saída padrão.", "ARQUIVO"},
               {"tentativas", "Tentativas quando o SAT responde \"em processamento\" (xx098); padrão 6.",
                "N"},
               {"intervalo", "Segundos entre as tentativas; padrão 10.", "SEGUNDOS"},
               {"trava",
                "Arquivo de trava: uma leitura por vez na estação (padrão: /run/lock ou %ProgramData%).",
                "ARQUIVO"}}) {}

    // A missing library is a failed reading that the file reports.
    bool mesmoSemBiblioteca() const override { return true; }
    // A monitor never waits on a hung library for long: a minute per call.
    int tempoLimitePadrao() const override { return 60; }

    Preparo preparar(const QCommandLineParser& p, Console& console) const override {
        Pedido pedido;
        pedido.saida = p.value(QStringLiteral("saida"));
        if (p.isSet(QStringLiteral("saida")) && pedido.saida.isEmpty())
            return Fim{ErroDeUso, QStringLiteral("--saida: o arquivo .prom a gravar.")};
        if (p.isSet(QStringLiteral("tentativas"))) {
            bool ok = false;
            pedido.repeticao.tentativas = p.value(QStringLiteral("tentativas")).toInt(&ok);
            if (!ok || pedido.repeticao.tentativas < 1 || pedido.repeticao.tentativas > 100)
                return Fim{ErroDeUso, QStringLiteral("--tentativas: um número de 1 a 100.")};
        }
        if (p.isSet(QStringLiteral("intervalo"))) {
            bool ok = false;
            const double segundos = p.value(QStringLiteral("intervalo")).toDouble(&ok);
            if (!ok || !std::isfinite(segundos) || segundos < 0 || segundos > 600)
                return Fim{ErroDeUso,
                           QStringLiteral("--intervalo: de 0 a 600 segundos (frações com ponto: 0.5).")};
            pedido.repeticao.intervalo = std::chrono::milliseconds(std::llround(segundos * 1000));
        }
        // The lock before anything else touches the device; the second reading gives up
        // at once, and writes nothing: the file is the running reading's.
        const QString trava =
            p.isSet(QStringLiteral("trava")) ? p.value(QStringLiteral("trava")) : metricas::travaPadrao();
        pedido.trava = std::make_shared<metricas::Trava>(trava);
        if (!pedido.trava->obter())
            return Fim{SemResposta, QStringLiteral("Leitura não feita: %1 (trava %2).")
                                        .arg(pedido.trava->motivo(), QDir::toNativeSeparators(trava))};
        // Without a code nothing is sent, and the file says the reading failed.
        std::optional<QString> codigo;
        const auto lido = codigoVerificado(p, console, comandos::novoCodigoCurto);
        if (const Fim* fim = std::get_if<Fim>(&lido))
            console.linhaDeErro(fim->mensagem);
        else
            codigo = std::get<QString>(lido);
        return Execucao([pedido, codigo](Contexto& c) { return ler(pedido, codigo, c); });
    }
};

} // namespace

const Comando& subcomando::metricas() {
    static const Metricas comando;
    return comando;
}

} // namespace cli
