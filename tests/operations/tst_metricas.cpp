// The fleet monitor's reading: the Prometheus text made of a status answer, parsed back
// and checked sample by sample (the emulated device's answer and answers shaped as real
// devices send them), the kinds of failure, a busy device waited out, the lock, the
// last good reading kept and the file written whole.

#include "operations/metricas.h"
#include "operations/operacoes.h"
#include "sat/resposta.h"

#include <ctime>
#include <deque>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// The samples of a text, by series ("name{k="v",...}", labels in name order, values
// unescaped), with what the text format asks checked on the way: every family has its
// HELP and TYPE before its sample, names and labels are well formed, no series twice.
using Amostras = QMap<QString, double>;

Amostras lerTexto(const QByteArray& texto) {
    static const QRegularExpression nomeValido(QStringLiteral("^[a-zA-Z_:][a-zA-Z0-9_:]*$"));
    static const QRegularExpression amostra(
        QStringLiteral("^([a-zA-Z_:][a-zA-Z0-9_:]*)(?:\\{(.*)\\})? (\\S+)$"));
    static const QRegularExpression rotulo(
        QStringLiteral("^([a-zA-Z_][a-zA-Z0-9_]*)=\"((?:[^\"\\\\]|\\\\.)*)\",?"));
    Amostras amostras;
    QSet<QString> ajudas, tipos;
    if (!texto.endsWith('\n'))
        qWarning("the text does not end with a line feed");
    for (const QString& linha : QString::fromUtf8(texto).split(u'\n', Qt::SkipEmptyParts)) {
        if (linha.startsWith(QStringLiteral("# HELP "))) {
            ajudas.insert(linha.section(u' ', 2, 2));
            continue;
        }
        if (linha.startsWith(QStringLiteral("# TYPE "))) {
            if (linha.section(u' ', 3) != u"gauge")
                qWarning("not a gauge: %s", qPrintable(linha));
            tipos.insert(linha.section(u' ', 2, 2));
            continue;
        }
        const QRegularExpressionMatch m = amostra.match(linha);
        if (!m.hasMatch()) {
            qWarning("not a sample: %s", qPrintable(linha));
            return {};
        }
        const QString nome = m.captured(1);
        if (!ajudas.contains(nome) || !tipos.contains(nome)) {
            qWarning("no HELP or TYPE before %s", qPrintable(nome));
            return {};
        }
        QStringList rotulos;
        QString resto = m.captured(2);
        while (!resto.isEmpty()) {
            const QRegularExpressionMatch r = rotulo.match(resto);
            if (!r.hasMatch()) {
                qWarning("bad labels: %s", qPrintable(m.captured(2)));
                return {};
            }
            QString valor;
            const QString escapado = r.captured(2);
            for (qsizetype i = 0; i < escapado.size(); ++i) {
                if (escapado[i] == u'\\' && i + 1 < escapado.size()) {
                    ++i;
                    valor += escapado[i] == u'n' ? QChar(u'\n') : escapado[i];
                } else {
                    valor += escapado[i];
                }
            }
            rotulos.append(r.captured(1) + QStringLiteral("=\"") + valor + u'"');
            resto = resto.mid(r.capturedLength());
        }
        rotulos.sort();
        const QString serie = rotulos.isEmpty() ? nome : nome + u'{' + rotulos.join(u',') + u'}';
        bool numero = false;
        const double valor = m.captured(3).toDouble(&numero);
        if (!numero || amostras.contains(serie) || !nomeValido.match(nome).hasMatch()) {
            qWarning("bad or repeated sample: %s", qPrintable(linha));
            return {};
        }
        amostras.insert(serie, valor);
    }
    return amostras;
}

QString diferencas(const Amostras& obtidas, const Amostras& esperadas) {
    QStringList d;
    for (auto i = esperadas.cbegin(); i != esperadas.cend(); ++i) {
        if (!obtidas.contains(i.key()))
            d << QStringLiteral("missing %1").arg(i.key());
        else if (obtidas.value(i.key()) != i.value())
            d << QStringLiteral("%1 is %2, not %3")
                     .arg(i.key())
                     .arg(obtidas.value(i.key()), 0, 'f', 3)
                     .arg(i.value(), 0, 'f', 3);
    }
    for (auto i = obtidas.cbegin(); i != obtidas.cend(); ++i)
        if (!esperadas.contains(i.key()))
            d << QStringLiteral("unexpected %1 %2").arg(i.key()).arg(i.value());
    return d.join(u'\n');
}

// promtool's own lint of the text, where Prometheus is installed.
void verificarComPromtool(const QByteArray& texto) {
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (promtool.isEmpty())
        return;
    QProcess p;
    p.start(promtool, {QStringLiteral("check"), QStringLiteral("metrics")});
    p.write(texto);
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(30000));
    QVERIFY2(p.exitCode() == 0,
             qPrintable(QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())));
}

// The status fields as a device sends them (positions 5 to 27 of the answer).
QByteArrayList statusTipico() {
    return {"900004019",
            "DHCP",
            "192.168.015.020",
            "02:53:41:54:00:13",
            "255.255.255.000",
            "192.168.015.001",
            "192.168.015.001",
            "",
            "CONECTADO",
            "ALTO",
            "4 GB",
            "11 KB",
            "20261211100500",
            "01.05.00",
            "00.08",
            "35261211222333000181599000040190000010123456",
            QByteArray(44, '0'),
            QByteArray(44, '0'),
            "20261211094512",
            "20261210182000",
            "20261210",
            "20311210",
            "0"};
}

QByteArrayList resposta(const QByteArrayList& status) {
    return QByteArrayList{"000123", "10000", "Resposta com Sucesso.", "", ""} + status;
}

// In the workstation's zone of these tests (UTC-3, São Paulo's, without summer time).
const QDateTime instanteDaResposta = QDateTime(QDate(2026, 12, 11), QTime(10, 0, 0));

// A time of the workstation's zone, in seconds since 1970.
double local(int ano, int mes, int dia, int hora = 0, int minuto = 0, int segundo = 0) {
    return static_cast<double>(
        QDateTime(QDate(ano, mes, dia), QTime(hora, minuto, segundo)).toSecsSinceEpoch());
}

// What statusTipico() gives.
Amostras amostrasTipicas() {
    return {
        {"sat_reading_success", 1},
        {"sat_reading_timestamp_seconds", local(2026, 12, 11, 10, 0, 1)},
        {"sat_last_success_timestamp_seconds", local(2026, 12, 11, 10, 0, 1)},
        {"sat_reading_duration_seconds", 1.25},
        {"sat_reading_busy_answers", 0},
        {"sat_device_info{layout_version=\"00.08\",serial=\"900004019\",software_version=\"01.05.00\"}", 1},
        {"sat_network_info{ip=\"192.168.15.20\",lan_type=\"DHCP\",mac=\"02:53:41:54:00:13\"}", 1},
        {"sat_certificate_issued_timestamp_seconds", local(2026, 12, 10)},
        {"sat_certificate_expiry_timestamp_seconds", local(2031, 12, 10)},
        {"sat_sefaz_last_communication_timestamp_seconds", local(2026, 12, 10, 18, 20)},
        {"sat_last_cfe_timestamp_seconds", local(2026, 12, 11, 9, 45, 12)},
        {"sat_memory_total_bytes", 4294967296.0},
        {"sat_memory_used_bytes", 11264},
        {"sat_clock_offset_seconds", 300.5}, // the middle of the device's second
        {"sat_operation_state", 0},
        {"sat_blocked{state=\"DESBLOQUEADO\"}", 0},
        {"sat_lan_connected{status=\"CONECTADO\"}", 1},
        {"sat_battery_level{level=\"ALTO\"}", 3},
    };
}

// A library stand-in: it answers from a queue and records, in one list with the waits,
// which entry point was called.
class ExecutorRoteirizado final : public sat::Executor {
public:
    bool carregar(const QString&, QString&) override { return true; }
    bool vinculada() const override { return vinculada_; }
    bool possui(int) const override { return true; }
    sat::RespostaSat chamar(const sat::Invocacao& chamada) override {
        eventos_->append(QString::fromLatin1(sat::nomeDaFuncao(chamada.indice)));
        if (respostas_.empty())
            return {sat::RespostaSat::Tipo::Texto, "000000|99999|fila vazia||", {}};
        sat::RespostaSat r = respostas_.front();
        respostas_.pop_front();
        return r;
    }

    static sat::RespostaSat texto(const QByteArray& t) { return {sat::RespostaSat::Tipo::Texto, t, {}}; }

    bool vinculada_ = true;
    std::deque<sat::RespostaSat> respostas_;
    QStringList* eventos_ = nullptr;
};

class AvisosGuardados final : public Avisos {
public:
    void mensagem(const QString& texto) override { mensagens.append(texto); }
    QStringList mensagens;
};

} // namespace

Q_DECLARE_METATYPE(sat::RespostaSat)

class TestMetricas : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void textoDoStatus_data();
    void textoDoStatus();
    void statusDoSatemu();
    void falhas_data();
    void falhas();
    void ocupadoDuasVezes();
    void ocupadoNoSatemu();
    void trava();
    void ultimaLeituraBoa_data();
    void ultimaLeituraBoa();
    void gravarInteiro();

private:
    // A road on satemu (linked into a fresh folder that also keeps its state), activated.
    void abrirSatemu(QTemporaryDir& pasta, CaminhoSat& caminho) {
        QVERIFY(pasta.isValid());
        qputenv("SATEMU_HOME", pasta.path().toLocal8Bit());
        QString erro;
        QVERIFY2(caminho.executor().carregar(QStringLiteral(SATEMU_BIBLIOTECA), erro), qPrintable(erro));
        comandos::Ativacao ativacao{0, codigo_, codigo_, QStringLiteral("11222333000181"),
                                    comandos::linhaDaUF(QStringLiteral("SP"))};
        QVERIFY(comandos::ativar(caminho, ativacao));
        QCOMPARE(sat::campo(sat::campos(caminho.retorno()), 1), QByteArray(comandos::ativado));
    }

    const QString codigo_ = QStringLiteral("c0d1g0-d0-S4T");
};

void TestMetricas::initTestCase() {
    // Device dates are read in the workstation's zone: a fixed one where the TZ variable
    // sets it, so that the times above are those of a Brazilian workstation.
#ifndef Q_OS_WIN
    qputenv("TZ", "<-03>3");
    tzset();
    // 2031-12-10 00:00 at UTC-3, worked out apart (date -d): the zone took.
    QCOMPARE(local(2031, 12, 10), 1954638000.0);
#endif
}

void TestMetricas::textoDoStatus_data() {
    QTest::addColumn<QByteArrayList>("status");
    QTest::addColumn<Amostras>("esperadas");

    const auto linha = [](const char* nome, const QMap<int, QByteArray>& campos, const QStringList& sem,
                          const Amostras& com, int quantos = 23) {
        QByteArrayList status = statusTipico().mid(0, quantos);
        for (auto c = campos.cbegin(); c != campos.cend(); ++c)
            status[c.key() - 5] = c.value();
        Amostras esperadas = amostrasTipicas();
        for (const QString& s : sem)
            esperadas.remove(s);
        for (auto c = com.cbegin(); c != com.cend(); ++c)
            esperadas.insert(c.key(), c.value());
        QTest::newRow(nome) << status << esperadas;
    };
    const QString rede =
        QStringLiteral("sat_network_info{ip=\"192.168.15.20\",lan_type=\"DHCP\",mac=\"02:53:41:54:00:13\"}");
    const QString dispositivo = QStringLiteral(
        "sat_device_info{layout_version=\"00.08\",serial=\"900004019\",software_version=\"01.05.00\"}");

    linha("endereços com três dígitos por octeto", {}, {}, {});
    linha("brancos em volta dos valores",
          {{5, "900004019  "},
           {7, "192.168.015.020 "},
           {15, "4 GB "},
           {17, "20261211100500 "},
           {26, "20311210 "}},
          {}, {});
    linha("campos vazios não dão amostra",
          {{5, ""},
           {6, ""},
           {7, ""},
           {8, ""},
           {13, ""},
           {14, ""},
           {15, ""},
           {16, ""},
           {17, ""},
           {24, ""},
           {25, ""}},
          {rede, dispositivo, "sat_lan_connected{status=\"CONECTADO\"}", "sat_battery_level{level=\"ALTO\"}",
           "sat_memory_total_bytes", "sat_memory_used_bytes", "sat_clock_offset_seconds",
           "sat_sefaz_last_communication_timestamp_seconds", "sat_certificate_issued_timestamp_seconds"},
          {{"sat_device_info{layout_version=\"00.08\",serial=\"\",software_version=\"01.05.00\"}", 1}});
    linha("datas zeradas antes da primeira venda",
          {{20, QByteArray(44, '0')}, {23, QByteArray(14, '0')}, {24, QByteArray(14, '0')}, {25, "00000000"}},
          {"sat_last_cfe_timestamp_seconds", "sat_sefaz_last_communication_timestamp_seconds",
           "sat_certificate_issued_timestamp_seconds"},
          {});
    linha("datas impossíveis ou curtas", {{26, "20311310"}, {17, "2026121"}, {24, "2026121018200X"}},
          {"sat_certificate_expiry_timestamp_seconds", "sat_clock_offset_seconds",
           "sat_sefaz_last_communication_timestamp_seconds"},
          {});
    linha("relógio do SAT atrasado", {{17, "20261211095830"}}, {}, {{"sat_clock_offset_seconds", -89.5}});
    linha("bloqueio SEFAZ", {{27, "1"}}, {"sat_blocked{state=\"DESBLOQUEADO\"}"},
          {{"sat_operation_state", 1}, {"sat_blocked{state=\"BLOQUEIO SEFAZ\"}", 1}});
    linha("bloqueio para desativação", {{27, "4"}}, {"sat_blocked{state=\"DESBLOQUEADO\"}"},
          {{"sat_operation_state", 4}, {"sat_blocked{state=\"BLOQUEIO PARA DESATIVACAO\"}", 1}});
    linha("estado sem nome", {{27, "7"}}, {"sat_blocked{state=\"DESBLOQUEADO\"}"},
          {{"sat_operation_state", 7}, {"sat_blocked{state=\"7\"}", 1}});
    linha("estado que não é número", {{27, "X"}},
          {"sat_blocked{state=\"DESBLOQUEADO\"}", "sat_operation_state"}, {});
    linha("rede desconectada, bateria baixa", {{13, "NÃO CONECTADO"}, {14, "BAIXO"}},
          {"sat_lan_connected{status=\"CONECTADO\"}", "sat_battery_level{level=\"ALTO\"}"},
          {{"sat_lan_connected{status=\"NÃO CONECTADO\"}", 0}, {"sat_battery_level{level=\"BAIXO\"}", 1}});
    linha("palavras que não se conhecem", {{13, "PPPOE?"}, {14, "97%"}},
          {"sat_lan_connected{status=\"CONECTADO\"}", "sat_battery_level{level=\"ALTO\"}"}, {});
    linha("memória de outros dispositivos", {{15, "3,5 GB"}, {16, "0 KB"}}, {},
          {{"sat_memory_total_bytes", 3758096384.0}, {"sat_memory_used_bytes", 0}});
    linha("memória total zero", {{15, "0"}}, {"sat_memory_total_bytes"}, {});
    linha("tamanho que nenhuma memória tem",
          {{15, "99999999999999999999 GB"}, {16, "99999999999999999999999"}},
          {"sat_memory_total_bytes", "sat_memory_used_bytes"}, {});
    linha("série com aspas, barra e quebra de linha", {{5, "9\"0\\1\n2"}}, {dispositivo},
          {{"sat_device_info{layout_version=\"00.08\",serial=\"9\"0\\1\n2\",software_version=\"01.05.00\"}",
            1}});
    linha("resposta que para em MT_TOTAL", {},
          {"sat_memory_used_bytes", "sat_clock_offset_seconds", "sat_last_cfe_timestamp_seconds",
           "sat_sefaz_last_communication_timestamp_seconds", "sat_certificate_issued_timestamp_seconds",
           "sat_certificate_expiry_timestamp_seconds", "sat_operation_state",
           "sat_blocked{state=\"DESBLOQUEADO\"}", dispositivo},
          {{"sat_device_info{layout_version=\"\",serial=\"900004019\",software_version=\"\"}", 1}}, 11);
}

void TestMetricas::textoDoStatus() {
    QFETCH(QByteArrayList, status);
    QFETCH(Amostras, esperadas);
    metricas::Leitura leitura;
    // Through the answer's own split, as the reading gets it.
    leitura.status = sat::campos(resposta(status).join('|'));
    leitura.instante = instanteDaResposta;
    leitura.fim = instanteDaResposta.addSecs(1);
    leitura.duracao = 1.25;
    const QByteArray texto = metricas::texto(leitura, 1700000000);
    const Amostras obtidas = lerTexto(texto);
    QVERIFY2(obtidas == esperadas,
             qPrintable(diferencas(obtidas, esperadas) + u'\n' + QString::fromUtf8(texto)));
    verificarComPromtool(texto);
}

void TestMetricas::statusDoSatemu() {
    QTemporaryDir pasta;
    AvisosGuardados avisos;
    CaminhoSat caminho(avisos);
    abrirSatemu(pasta, caminho);
    if (QTest::currentTestFailed())
        return;
    const metricas::Leitura leitura = metricas::ler(caminho, codigo_, metricas::Repeticao{});
    QCOMPARE(leitura.falha, metricas::Falha::Nenhuma);
    const QByteArray texto = metricas::texto(leitura, std::nullopt);
    const Amostras a = lerTexto(texto);
    verificarComPromtool(texto);

    // The certificate's expiry is the one the device keeps in its state.
    QFile estado(QDir(pasta.path()).filePath(QStringLiteral("satemu-state.txt")));
    QVERIFY(estado.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch vencimento =
        QRegularExpression(QStringLiteral("\ncert_vencimento=(\\d{4})(\\d{2})(\\d{2})\n"))
            .match(QString::fromUtf8(estado.readAll()));
    QVERIFY(vencimento.hasMatch());
    const QDate dia(vencimento.captured(1).toInt(), vencimento.captured(2).toInt(),
                    vencimento.captured(3).toInt());
    QCOMPARE(dia, QDate::currentDate().addYears(5));
    QCOMPARE(a.value("sat_certificate_expiry_timestamp_seconds"),
             double(QDateTime(dia, QTime(0, 0)).toSecsSinceEpoch()));
    QCOMPARE(a.value("sat_certificate_issued_timestamp_seconds"),
             double(QDateTime(QDate::currentDate(), QTime(0, 0)).toSecsSinceEpoch()));

    const double agora = static_cast<double>(QDateTime::currentSecsSinceEpoch());
    QCOMPARE(a.value("sat_reading_success", -1), 1.0);
    QVERIFY(qAbs(a.value("sat_last_success_timestamp_seconds") - agora) <= 5);
    QVERIFY(a.contains(
        "sat_device_info{layout_version=\"00.08\",serial=\"900004019\",software_version=\"01.05.00\"}"));
    QVERIFY(a.contains("sat_network_info{ip=\"192.168.0.119\",lan_type=\"DHCP\",mac=\"02:53:41:54:F8:B3\"}"));
    QCOMPARE(a.value("sat_memory_total_bytes"), 4.0 * 1024 * 1024 * 1024);
    QVERIFY(a.value("sat_memory_used_bytes", -1) > 0);
    // The device's clock is the workstation's: within the second of its answer.
    QVERIFY2(qAbs(a.value("sat_clock_offset_seconds", 99)) <= 1, qPrintable(QString::fromUtf8(texto)));
    // Activation was the last contact with SEFAZ; no CF-e yet.
    QVERIFY(qAbs(a.value("sat_sefaz_last_communication_timestamp_seconds") - agora) <= 60);
    QVERIFY(!a.contains("sat_last_cfe_timestamp_seconds"));
    QCOMPARE(a.value("sat_blocked{state=\"DESBLOQUEADO\"}", -1), 0.0);
    QCOMPARE(a.value("sat_lan_connected{status=\"CONECTADO\"}"), 1.0);
    QCOMPARE(a.value("sat_battery_level{level=\"ALTO\"}"), 3.0);
    QCOMPARE(a.value("sat_reading_busy_answers", -1), 0.0);
    QCOMPARE(a.size(), 17); // the typical answer less DH_CFe
}

void TestMetricas::falhas_data() {
    using R = ExecutorRoteirizado;
    using T = sat::RespostaSat::Tipo;
    QTest::addColumn<bool>("vinculada");
    QTest::addColumn<QList<sat::RespostaSat>>("respostas");
    QTest::addColumn<bool>("esgotado");
    QTest::addColumn<QString>("rotulo");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<int>("chamadas");

    const sat::RespostaSat consultaBoa = R::texto("000001|08000|SAT em operação.||");
    QTest::newRow("sem biblioteca") << false << QList<sat::RespostaSat>{} << false << "no_library"
                                    << "" << 0;
    QTest::newRow("resposta nula") << true << QList<sat::RespostaSat>{{T::Nula, {}, {}}} << false
                                   << "no_answer"
                                   << "" << 1;
    QTest::newRow("a biblioteca parou")
        << true << QList<sat::RespostaSat>{consultaBoa, {T::Interrompida, {}, "segv"}} << false << "crashed"
        << "" << 2;
    QTest::newRow("tempo esgotado") << true << QList<sat::RespostaSat>{{T::Interrompida, {}, "abandonada"}}
                                    << true << "timeout"
                                    << "" << 1;
    QTest::newRow("auxiliar indisponível")
        << true << QList<sat::RespostaSat>{{T::Indisponivel, {}, "não iniciou"}} << false << "no_answer"
        << "" << 1;
    QTest::newRow("código recusado")
        << true
        << QList<sat::RespostaSat>{consultaBoa, R::texto("000002|10001|Código de ativação inválido.||")}
        << false << "refused"
        << "10001" << 2;
    QTest::newRow("não ativado") << true
                                 << QList<sat::RespostaSat>{consultaBoa,
                                                            R::texto("000002|10002|SAT ainda não ativado.||")}
                                 << false << "refused"
                                 << "10002" << 2;
    QTest::newRow("resposta vazia") << true << QList<sat::RespostaSat>{R::texto("")} << false << "malformed"
                                    << "" << 1;
    QTest::newRow("resposta sem separador")
        << true << QList<sat::RespostaSat>{R::texto("000001 08000 SAT em operação.")} << false << "malformed"
        << "" << 1;
    const sat::RespostaSat ocupado = R::texto("000003|10098|SAT em processamento. Tente novamente.||");
    QTest::newRow("ocupado em todas as tentativas")
        << true << QList<sat::RespostaSat>{consultaBoa, ocupado, ocupado, ocupado} << false << "busy"
        << "10098" << 4;
    // One budget for the whole reading: a busy consult spends of the status's attempts.
    QTest::newRow("ocupado no consult e no status")
        << true
        << QList<sat::RespostaSat>{R::texto("000001|08098|SAT em processamento. Tente novamente.||"),
                                   consultaBoa, ocupado, ocupado, ocupado}
        << false << "busy"
        << "10098" << 4;
}

void TestMetricas::falhas() {
    QFETCH(bool, vinculada);
    QFETCH(QList<sat::RespostaSat>, respostas);
    QFETCH(bool, esgotado);
    QFETCH(QString, rotulo);
    QFETCH(QString, codigo);
    QFETCH(int, chamadas);

    QStringList eventos;
    auto executor = std::make_unique<ExecutorRoteirizado>();
    executor->vinculada_ = vinculada;
    executor->respostas_.assign(respostas.begin(), respostas.end());
    executor->eventos_ = &eventos;
    AvisosGuardados avisos;
    CaminhoSat caminho(avisos, std::move(executor));
    metricas::Repeticao repeticao{3, 5000ms,
                                  [&eventos](std::chrono::milliseconds) { eventos.append("espera"); }};
    const metricas::Leitura leitura =
        metricas::ler(caminho, codigo_, repeticao, [esgotado] { return esgotado; });

    QCOMPARE(metricas::rotulo(leitura.falha), rotulo);
    QCOMPARE(QString::fromLatin1(leitura.codigo), codigo);
    QCOMPARE(eventos.size() - eventos.count("espera"), chamadas);
    // A busy device is asked three times in all, the status twice again after waits.
    QCOMPARE(eventos.count("espera"), rotulo == u"busy" ? 2 : 0);

    // The file says so, keeps the last good reading and has nothing of the device.
    const QDateTime fim = QDateTime::fromSecsSinceEpoch(1796994001);
    metricas::Leitura comFim = leitura;
    comFim.fim = fim;
    comFim.duracao = 0.5;
    const QByteArray texto = metricas::texto(comFim, 1796990000);
    const QString sucesso =
        codigo.isEmpty()
            ? QStringLiteral("sat_reading_success{failure=\"%1\"}").arg(rotulo)
            : QStringLiteral("sat_reading_success{code=\"%1\",failure=\"%2\"}").arg(codigo, rotulo);
    const Amostras esperadas{{sucesso, 0},
                             {"sat_reading_timestamp_seconds", 1796994001},
                             {"sat_last_success_timestamp_seconds", 1796990000},
                             {"sat_reading_duration_seconds", 0.5},
                             {"sat_reading_busy_answers", rotulo == u"busy" ? 3 : 0}};
    const Amostras obtidas = lerTexto(texto);
    QVERIFY2(obtidas == esperadas, qPrintable(diferencas(obtidas, esperadas)));
    verificarComPromtool(texto);
    // Never a good reading before: no time of one, rather than a made-up one.
    QVERIFY(!lerTexto(metricas::texto(comFim, std::nullopt)).contains("sat_last_success_timestamp_seconds"));
}

void TestMetricas::ocupadoDuasVezes() {
    using R = ExecutorRoteirizado;
    QStringList eventos;
    auto executor = std::make_unique<ExecutorRoteirizado>();
    const QByteArray ocupado = "000002|10098|SAT em processamento. Tente novamente.||";
    executor->respostas_ = {R::texto("000001|08000|SAT em operação.||"), R::texto(ocupado), R::texto(ocupado),
                            R::texto(resposta(statusTipico()).join('|'))};
    executor->eventos_ = &eventos;
    AvisosGuardados avisos;
    CaminhoSat caminho(avisos, std::move(executor));
    metricas::Repeticao repeticao{6, 10000ms, [&eventos](std::chrono::milliseconds quanto) {
                                      eventos.append(QStringLiteral("espera %1 ms").arg(quanto.count()));
                                  }};
    const metricas::Leitura leitura = metricas::ler(caminho, codigo_, repeticao);
    QCOMPARE(leitura.falha, metricas::Falha::Nenhuma);
    QCOMPARE(leitura.ocupado, 2);
    QCOMPARE(eventos,
             QStringList({"ConsultarSAT", "ConsultarStatusOperacional", "espera 10000 ms",
                          "ConsultarStatusOperacional", "espera 10000 ms", "ConsultarStatusOperacional"}));
    const Amostras a = lerTexto(metricas::texto(leitura, std::nullopt));
    QCOMPARE(a.value("sat_reading_success", -1), 1.0);
    QCOMPARE(a.value("sat_reading_busy_answers"), 2.0);
    QCOMPARE(a.value("sat_certificate_expiry_timestamp_seconds"), local(2031, 12, 10));
}

void TestMetricas::ocupadoNoSatemu() {
    QTemporaryDir pasta;
    AvisosGuardados avisos;
    CaminhoSat caminho(avisos);
    abrirSatemu(pasta, caminho);
    if (QTest::currentTestFailed())
        return;
    QFile falhas(QDir(pasta.path()).filePath(QStringLiteral("satemu-faults.conf")));
    QVERIFY(falhas.open(QIODevice::WriteOnly));
    falhas.write("code.ConsultarStatusOperacional=10098\ncode_count=2\n");
    falhas.close();
    // Real waits, short: the device sees the calls spaced by them.
    QElapsedTimer relogio;
    relogio.start();
    const metricas::Leitura leitura = metricas::ler(caminho, codigo_, metricas::Repeticao{6, 300ms, {}});
    QCOMPARE(leitura.falha, metricas::Falha::Nenhuma);
    QCOMPARE(leitura.ocupado, 2);
    QVERIFY(relogio.elapsed() >= 600);
    QCOMPARE(sat::campo(leitura.status, 5), QByteArray("900004019"));

    // The device's log: three status calls, the first two busy, each 300 ms or more
    // after the one before.
    QFile estado(QDir(pasta.path()).filePath(QStringLiteral("satemu-state.txt")));
    QVERIFY(estado.open(QIODevice::ReadOnly));
    static const QRegularExpression chamada(
        QStringLiteral("(\\d\\d):(\\d\\d):(\\d\\d)\\.(\\d{3})\\|SAT\\|info\\|Sessao \\d+ "
                       "ConsultarStatusOperacional: (\\d+)"));
    QList<int> instantes;
    QStringList codigos;
    for (auto m = chamada.globalMatch(QString::fromUtf8(estado.readAll())); m.hasNext();) {
        const QRegularExpressionMatch c = m.next();
        instantes.append(((c.captured(1).toInt() * 60 + c.captured(2).toInt()) * 60 + c.captured(3).toInt()) *
                             1000 +
                         c.captured(4).toInt());
        codigos.append(c.captured(5));
    }
    QCOMPARE(codigos, QStringList({"10098", "10098", "10000"}));
    for (qsizetype i = 1; i < instantes.size(); ++i)
        QVERIFY2((instantes[i] - instantes[i - 1] + 86400000) % 86400000 >= 300,
                 qPrintable(QStringLiteral("%1 ms apart").arg(instantes[i] - instantes[i - 1])));
}

void TestMetricas::trava() {
    // A folder with blanks, accents and characters outside Windows-1252.
    QTemporaryDir base;
    const QString pasta = QDir(base.path()).filePath(QStringLiteral("Conceição e 日本"));
    QVERIFY(QDir().mkpath(pasta));
    const QString arquivo = QDir(pasta).filePath(QStringLiteral("métricas.lock"));

    auto primeira = std::make_unique<metricas::Trava>(arquivo);
    QVERIFY(primeira->obter());
    QVERIFY(QFile::exists(arquivo));
    // The second gives up at once, and says who holds the lock.
    metricas::Trava segunda(arquivo);
    QElapsedTimer relogio;
    relogio.start();
    QVERIFY(!segunda.obter());
    QVERIFY(relogio.elapsed() < 1000);
    QVERIFY2(segunda.motivo().startsWith(QStringLiteral("outra leitura está em andamento (processo %1")
                                             .arg(QCoreApplication::applicationPid())),
             qPrintable(segunda.motivo()));

#ifdef Q_OS_WIN
    // Windows keeps a held lock file from being written or removed by anyone else.
    QVERIFY(!QFile(arquivo).open(QIODevice::ReadWrite));
    QVERIFY(!QFile::remove(arquivo));
#else
    // A reading that has held the lock for an hour (waiting out a busy device, say)
    // still holds it while it runs.
    QFile lock(arquivo);
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    lock.close();
    metricas::Trava terceira(arquivo);
    QVERIFY(!terceira.obter());
#endif

    // Once it ends, the next reading takes it.
    primeira.reset();
    metricas::Trava quarta(arquivo);
    QVERIFY(quarta.obter());

    // A lock that cannot be made is said so.
    metricas::Trava impossivel(QDir(pasta).filePath(QStringLiteral("não existe/x.lock")));
    QVERIFY(!impossivel.obter());
    QVERIFY2(impossivel.motivo().startsWith(QStringLiteral("não foi possível criar a trava")),
             qPrintable(impossivel.motivo()));
}

void TestMetricas::ultimaLeituraBoa_data() {
    QTest::addColumn<QByteArray>("texto");
    QTest::addColumn<qint64>("esperado"); // 0: none
    QTest::newRow("um arquivo escrito antes")
        << metricas::texto(
               {metricas::Falha::Nenhuma, {}, {}, {}, QDateTime::fromSecsSinceEpoch(1796994001), 0, 1},
               std::nullopt)
        << qint64(1796994001);
    QTest::newRow("uma falha que guardou a anterior")
        << metricas::texto(
               {metricas::Falha::Ocupado, "10098", {}, {}, QDateTime::fromSecsSinceEpoch(1796994901), 6, 60},
               1796994001)
        << qint64(1796994001);
    QTest::newRow("em notação científica")
        << QByteArray("sat_last_success_timestamp_seconds 1.796994001e+09\n") << qint64(1796994001);
    QTest::newRow("hora que nenhuma leitura teve")
        << QByteArray("sat_last_success_timestamp_seconds 1.796994001e+29\n") << qint64(0);
    QTest::newRow("infinita") << QByteArray("sat_last_success_timestamp_seconds +Inf\n") << qint64(0);
    QTest::newRow("nunca houve leitura boa")
        << QByteArray("sat_reading_success{failure=\"busy\"} 0\n") << qint64(0);
    QTest::newRow("arquivo estragado")
        << QByteArray("sat_last_success_timestamp_seconds lixo\n\xff\xfe") << qint64(0);
    QTest::newRow("vazio") << QByteArray() << qint64(0);
}

void TestMetricas::ultimaLeituraBoa() {
    QFETCH(QByteArray, texto);
    QFETCH(qint64, esperado);
    QCOMPARE(metricas::ultimaLeituraBoa(texto).value_or(0), esperado);
}

void TestMetricas::gravarInteiro() {
    QTemporaryDir base;
    const QString pasta = QDir(base.path()).filePath(QStringLiteral("textfile ção 日本"));
    QVERIFY(QDir().mkpath(pasta));
    const QString arquivo = QDir(pasta).filePath(QStringLiteral("sat.prom"));
    QVERIFY(metricas::gravar(arquivo, "primeiro\n"));
    QVERIFY(metricas::gravar(arquivo, "segundo\n"));
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("segundo\n"));
    // Nothing but the file is left in the collector's folder.
    QCOMPARE(QDir(pasta).entryList(QDir::Files | QDir::Hidden), QStringList{"sat.prom"});
    QString motivo;
    QVERIFY(!metricas::gravar(QDir(pasta).filePath(QStringLiteral("não existe/sat.prom")), "x", &motivo));
    QVERIFY(!motivo.isEmpty());
}

QTEST_GUILESS_MAIN(TestMetricas)
#include "tst_metricas.moc"
