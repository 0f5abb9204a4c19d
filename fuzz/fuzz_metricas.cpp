// The fleet monitor's Prometheus text from any status answer: every line a comment or
// a sample the text format accepts (name, escaped labels, a finite value), each family
// announced by its HELP and TYPE before its one sample, no series twice, and the time
// of the reading read back from the text as the next reading would. The same reader of
// an earlier file given the raw input never fails.
#include "operations/metricas.h"
#include "comum.h"
#include "sat/resposta.h"

#include <cmath>
#include <QByteArray>
#include <QRegularExpression>
#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const QByteArray entrada(reinterpret_cast<const char*>(dados), static_cast<qsizetype>(tamanho));
    (void)metricas::ultimaLeituraBoa(entrada);

    metricas::Leitura leitura;
    leitura.status = sat::campos(entrada);
    leitura.instante = QDateTime::fromSecsSinceEpoch(1796994000);
    leitura.fim = leitura.instante.addSecs(1);
    leitura.duracao = 0.25;
    const QByteArray texto = metricas::texto(leitura, std::nullopt);

    static const QRegularExpression amostra(
        QStringLiteral("^([a-zA-Z_:][a-zA-Z0-9_:]*)(\\{(?:[a-zA-Z_][a-zA-Z0-9_]*=\"(?:[^\"\\\\\\n]|\\\\["
                       "\\\\\"n])*\",?)*\\})? (\\S+)$"));
    EXIGIR(texto.endsWith('\n'), "o texto termina numa quebra de linha");
    const QString t = QString::fromUtf8(texto);
    EXIGIR(t.toUtf8() == texto, "o texto é UTF-8 válido");
    QSet<QString> anunciadas, series;
    for (const QString& linha : t.split(u'\n', Qt::SkipEmptyParts)) {
        if (linha.startsWith(QStringLiteral("# HELP ")) || linha.startsWith(QStringLiteral("# TYPE "))) {
            if (linha.startsWith(QStringLiteral("# TYPE ")))
                EXIGIR(linha.section(u' ', 3) == u"gauge", "toda família é um gauge");
            anunciadas.insert(linha.section(u' ', 2, 2));
            continue;
        }
        const QRegularExpressionMatch m = amostra.match(linha);
        EXIGIR(m.hasMatch(), "cada linha é um comentário ou uma amostra bem formada");
        EXIGIR(anunciadas.contains(m.captured(1)), "a família vem anunciada antes da amostra");
        EXIGIR(!series.contains(m.captured(1)), "uma amostra por família");
        series.insert(m.captured(1));
        bool numero = false;
        const double valor = m.captured(3).toDouble(&numero);
        EXIGIR(numero && std::isfinite(valor), "o valor é um número finito");
    }
    EXIGIR(series.contains(QStringLiteral("sat_reading_success")), "a leitura diz se deu certo");
    EXIGIR(metricas::ultimaLeituraBoa(texto) == leitura.fim.toSecsSinceEpoch(),
           "a próxima leitura acha a hora desta no texto");
    return 0;
}
