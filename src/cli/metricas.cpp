#include "cli/metricas.h"

#include "cli/linhadecomando.h"

#include <cmath>
#include <cstdio>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cli {

namespace {

void naSaida(std::FILE* destino, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), destino);
    std::fflush(destino);
}

int saidaDaFalha(metricas::Falha falha) {
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

} // namespace

std::variant<PedidoDeMetricas, PedidoRecusado> prepararPedidoDeMetricas(const QCommandLineParser& p) {
    PedidoDeMetricas pedido;
    pedido.saida = p.value(QStringLiteral("saida"));
    if (p.isSet(QStringLiteral("saida")) && pedido.saida.isEmpty())
        return PedidoRecusado{ErroDeUso, QStringLiteral("--saida: o arquivo .prom a gravar.")};
    if (p.isSet(QStringLiteral("tentativas"))) {
        bool ok = false;
        pedido.repeticao.tentativas = p.value(QStringLiteral("tentativas")).toInt(&ok);
        if (!ok || pedido.repeticao.tentativas < 1 || pedido.repeticao.tentativas > 100)
            return PedidoRecusado{ErroDeUso, QStringLiteral("--tentativas: um número de 1 a 100.")};
    }
    if (p.isSet(QStringLiteral("intervalo"))) {
        bool ok = false;
        const double segundos = p.value(QStringLiteral("intervalo")).toDouble(&ok);
        if (!ok || !std::isfinite(segundos) || segundos < 0 || segundos > 600)
            return PedidoRecusado{
                ErroDeUso, QStringLiteral("--intervalo: de 0 a 600 segundos (frações com ponto: 0.5).")};
        pedido.repeticao.intervalo = std::chrono::milliseconds(std::llround(segundos * 1000));
    }
    pedido.trava =
        p.isSet(QStringLiteral("trava")) ? p.value(QStringLiteral("trava")) : metricas::travaPadrao();
    pedido.travada = std::make_shared<metricas::Trava>(pedido.trava);
    if (!pedido.travada->obter())
        return PedidoRecusado{SemResposta,
                              QStringLiteral("Leitura não feita: %1 (trava %2).")
                                  .arg(pedido.travada->motivo(), QDir::toNativeSeparators(pedido.trava))};
    return pedido;
}

int executarMetricas(const PedidoDeMetricas& pedido, CaminhoSat& caminho,
                     const std::optional<QString>& codigo, const std::function<bool()>& esgotado,
                     bool comJson, QJsonObject& json) {
    metricas::Leitura leitura;
    if (codigo) {
        leitura = metricas::ler(caminho, *codigo, pedido.repeticao, esgotado);
    } else {
        leitura.falha = metricas::Falha::Configuracao;
        leitura.fim = QDateTime::currentDateTime();
    }
    // The last good reading is kept from the file this one replaces.
    std::optional<qint64> ultimaBoa;
    if (!pedido.saida.isEmpty()) {
        QFile anterior(pedido.saida);
        if (anterior.open(QIODevice::ReadOnly))
            ultimaBoa = metricas::ultimaLeituraBoa(anterior.read(1 << 20));
    }
    const QByteArray texto = metricas::texto(leitura, ultimaBoa);
    int saida = saidaDaFalha(leitura.falha);
    if (leitura.falha != metricas::Falha::Nenhuma && leitura.falha != metricas::Falha::Configuracao)
        naSaida(stderr, QStringLiteral("Leitura sem sucesso: %1.\n").arg(motivoEmPalavras(leitura)).toUtf8());

    json.insert(QStringLiteral("sucesso"), leitura.falha == metricas::Falha::Nenhuma);
    json.insert(QStringLiteral("falha"), leitura.falha == metricas::Falha::Nenhuma
                                             ? QJsonValue(QJsonValue::Null)
                                             : QJsonValue(metricas::rotulo(leitura.falha)));
    if (pedido.saida.isEmpty()) {
        if (comJson)
            json.insert(QStringLiteral("metricas"), QString::fromUtf8(texto));
        else
            naSaida(stdout, texto);
        return saida;
    }
    QString motivo;
    if (!metricas::gravar(pedido.saida, texto, &motivo)) {
        naSaida(stderr, QStringLiteral("Erro ao tentar salvar o arquivo: %1 (%2)\n")
                            .arg(QDir::toNativeSeparators(pedido.saida), motivo)
                            .toUtf8());
        return ErroDeUso;
    }
    json.insert(QStringLiteral("arquivo"),
                QDir::toNativeSeparators(QFileInfo(pedido.saida).absoluteFilePath()));
    return saida;
}

} // namespace cli
