#include "operations/metricas.h"

#include "operations/operacoes.h"
#include "operations/status.h"
#include "sat/resposta.h"
#include "settings/atomicfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QRegularExpression>
#include <QThread>

namespace metricas {

QString rotulo(Falha falha) {
    switch (falha) {
    case Falha::Nenhuma:
        return {};
    case Falha::Configuracao:
        return QStringLiteral("configuration");
    case Falha::SemBiblioteca:
        return QStringLiteral("no_library");
    case Falha::Recusada:
        return QStringLiteral("refused");
    case Falha::Ocupado:
        return QStringLiteral("busy");
    case Falha::Parou:
        return QStringLiteral("crashed");
    case Falha::TempoEsgotado:
        return QStringLiteral("timeout");
    case Falha::SemResposta:
        return QStringLiteral("no_answer");
    case Falha::Ilegivel:
        return QStringLiteral("malformed");
    }
    return {};
}

bool ocupado(const QByteArray& codigo) {
    const QByteArray c = codigo.trimmed();
    return c.size() == 5 && c.endsWith("098");
}

namespace {

Falha falhaDoDesfecho(CaminhoSat::Desfecho desfecho, bool esgotado) {
    switch (desfecho) {
    case CaminhoSat::Desfecho::SemBiblioteca:
        return Falha::SemBiblioteca;
    case CaminhoSat::Desfecho::Interrompida:
        return esgotado ? Falha::TempoEsgotado : Falha::Parou;
    default:
        return Falha::SemResposta;
    }
}

} // namespace

Leitura ler(CaminhoSat& caminho, const QString& codigo, const Repeticao& repeticao,
            const std::function<bool()>& esgotado, const std::function<QDateTime()>& relogio) {
    const auto agora = [&relogio] { return relogio ? relogio() : QDateTime::currentDateTime(); };
    const auto esperar = [&repeticao](std::chrono::milliseconds quanto) {
        if (repeticao.esperar)
            repeticao.esperar(quanto);
        else
            QThread::msleep(static_cast<unsigned long>(quanto.count()));
    };
    QElapsedTimer cronometro;
    cronometro.start();
    Leitura leitura;
    // Attempts left after the first, shared by both calls: a busy till keeps the
    // monitor out for about a minute in all, never a minute per call.
    int repeticoes = std::max(1, repeticao.tentativas) - 1;

    // One call, asked again while the device is busy; the failure that ended it, if any.
    const auto chamar = [&](const std::function<bool()>& chamada) -> std::optional<Falha> {
        for (;;) {
            const QDateTime antes = agora();
            if (!chamada())
                return falhaDoDesfecho(caminho.desfecho(), esgotado && esgotado());
            const QDateTime depois = agora();
            const QByteArrayList campos = sat::campos(caminho.retorno());
            if (campos.size() < 2 || campos[1].trimmed().isEmpty())
                return Falha::Ilegivel;
            if (!ocupado(campos[1])) {
                leitura.instante = antes.addMSecs(antes.msecsTo(depois) / 2);
                return std::nullopt;
            }
            ++leitura.ocupado;
            if (repeticoes-- <= 0) {
                leitura.codigo = campos[1].trimmed();
                return Falha::Ocupado;
            }
            esperar(repeticao.intervalo);
        }
    };
    const auto terminar = [&](Falha falha) {
        leitura.falha = falha;
        leitura.fim = agora();
        leitura.duracao = static_cast<double>(cronometro.nsecsElapsed()) / 1e9;
        return leitura;
    };

    if (!caminho.executor().vinculada())
        return terminar(Falha::SemBiblioteca);
    // The consult needs no code and tells whether the device answers at all; whatever
    // it answers (a device blocked for deactivation answers 08097), the status follows,
    // since it says which block.
    if (const std::optional<Falha> falha = chamar([&] { return comandos::consultar(caminho); }))
        return terminar(*falha);
    if (const std::optional<Falha> falha = chamar([&] { return comandos::consultarStatus(caminho, codigo); }))
        return terminar(*falha);
    const QByteArrayList campos = sat::campos(caminho.retorno());
    if (campos[1].trimmed() != comandos::statusLido) {
        leitura.codigo = campos[1].trimmed();
        return terminar(Falha::Recusada);
    }
    leitura.status = campos;
    return terminar(Falha::Nenhuma);
}

std::optional<qint64> instanteDoDispositivo(const QString& valor) {
    static const QRegularExpression forma(
        QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})(?:(\\d{2})(\\d{2})(\\d{2}))?$"));
    const QString v = valor.trimmed();
    const QRegularExpressionMatch m = forma.match(v);
    if (!m.hasMatch() || v.count(u'0') == v.size())
        return std::nullopt;
    const QDate dia(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime hora = m.hasCaptured(4)
                           ? QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt())
                           : QTime(0, 0);
    const QDateTime instante(dia, hora);
    if (!dia.isValid() || !hora.isValid() || !instante.isValid())
        return std::nullopt;
    return instante.toSecsSinceEpoch();
}

namespace {

// The families are all gauges, one sample each; label values escaped as the text
// format asks (backslash, quotation mark, line feed).
class Escrita {
public:
    using Rotulos = QList<std::pair<const char*, QString>>;

    void metrica(const char* nome, const char* ajuda, const Rotulos& rotulos, const QByteArray& valor) {
        texto_ += QByteArray("# HELP ") + nome + ' ' + ajuda + "\n# TYPE " + nome + " gauge\n" + nome;
        if (!rotulos.isEmpty()) {
            texto_ += '{';
            for (qsizetype i = 0; i < rotulos.size(); ++i) {
                QByteArray v = rotulos[i].second.toUtf8();
                v.replace('\\', "\\\\").replace('"', "\\\"").replace('\n', "\\n");
                texto_ += (i > 0 ? "," : "") + QByteArray(rotulos[i].first) + "=\"" + v + '"';
            }
            texto_ += '}';
        }
        texto_ += ' ' + valor + '\n';
    }
    void metrica(const char* nome, const char* ajuda, const QByteArray& valor) {
        metrica(nome, ajuda, {}, valor);
    }
    const QByteArray& texto() const { return texto_; }

private:
    QByteArray texto_;
};

QByteArray numero(qint64 n) {
    return QByteArray::number(n);
}
QByteArray decimal(double d) {
    return QByteArray::number(d, 'f', 3);
}

// A device's word as it is compared: capitals, no accents, "_" and "-" as blanks.
QString palavra(const QString& texto) {
    QString s = texto.normalized(QString::NormalizationForm_D);
    s.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    s = s.toUpper();
    s.replace(u'_', u' ').replace(u'-', u' ');
    return s.simplified();
}

// "192.168.015.020", as devices pad their addresses, as "192.168.15.20"; any other
// text as it came, without its padding blanks.
QString endereco(const QString& texto) {
    static const QRegularExpression ipv4(
        QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const QString v = texto.trimmed();
    const QRegularExpressionMatch m = ipv4.match(v);
    if (!m.hasMatch())
        return v;
    QStringList octetos;
    for (int i = 1; i <= 4; ++i) {
        const int n = m.captured(i).toInt();
        if (n > 255)
            return v;
        octetos.append(QString::number(n));
    }
    return octetos.join(u'.');
}

std::optional<int> estadoDaLan(const QString& texto) {
    const QString p = palavra(texto);
    if (p == u"CONECTADO" || p == u"CONECTADA")
        return 1;
    if (p.startsWith(u"NAO ") || p.startsWith(u"DESCONECTAD") || p == u"SEM CONEXAO" || p == u"OFFLINE")
        return 0;
    return std::nullopt;
}

std::optional<int> nivelDaBateria(const QString& texto) {
    const QString p = palavra(texto);
    if (p == u"ALTO")
        return 3;
    if (p == u"MEDIO")
        return 2;
    if (p == u"BAIXO")
        return 1;
    return std::nullopt;
}

const char* const estados[] = {"DESBLOQUEADO", "BLOQUEIO SEFAZ", "BLOQUEIO CONTRIBUINTE", "BLOQUEIO AUTONOMO",
                               "BLOQUEIO PARA DESATIVACAO"};

void valoresDoStatus(Escrita& e, const Leitura& leitura) {
    QHash<QString, QString> v;
    for (const CampoDoStatus& campo : camposDoStatus(leitura.status))
        v.insert(campo.nome, campo.texto.trimmed());
    const auto temTexto = [&v](const char* nome) { return !v.value(QLatin1String(nome)).isEmpty(); };

    if (temTexto("NSERIE") || temTexto("VER_SB") || temTexto("VER_LAYOUT"))
        e.metrica("sat_device_info", "O SAT lido: número de série, versão do software básico e do leiaute.",
                  {{"serial", v.value(QStringLiteral("NSERIE"))},
                   {"software_version", v.value(QStringLiteral("VER_SB"))},
                   {"layout_version", v.value(QStringLiteral("VER_LAYOUT"))}},
                  "1");
    if (temTexto("TIPO_LAN") || temTexto("LAN_IP") || temTexto("LAN_MAC"))
        e.metrica("sat_network_info", "A rede do SAT: tipo de LAN, endereço IP e MAC.",
                  {{"lan_type", v.value(QStringLiteral("TIPO_LAN"))},
                   {"ip", endereco(v.value(QStringLiteral("LAN_IP")))},
                   {"mac", v.value(QStringLiteral("LAN_MAC"))}},
                  "1");

    const auto data = [&](const char* campo, const char* nome, const char* ajuda) {
        if (const std::optional<qint64> s = instanteDoDispositivo(v.value(QLatin1String(campo))))
            e.metrica(nome, ajuda, numero(*s));
    };
    data("CERT_EMISSAO", "sat_certificate_issued_timestamp_seconds",
         "Emissão do certificado do SAT (CERT_EMISSAO, início do dia, hora local).");
    data("CERT_VENCIMENTO", "sat_certificate_expiry_timestamp_seconds",
         "Vencimento do certificado do SAT (CERT_VENCIMENTO, início do dia, hora local).");
    data("DH_ULTIMA", "sat_sefaz_last_communication_timestamp_seconds",
         "Última comunicação do SAT com a SEFAZ (DH_ULTIMA).");
    data("DH_CFe", "sat_last_cfe_timestamp_seconds",
         "Último CF-e-SAT emitido (DH_CFe); ausente antes do primeiro.");

    const std::optional<qint64> total = bytesDoTamanho(v.value(QStringLiteral("MT_TOTAL")));
    if (total && *total > 0)
        e.metrica("sat_memory_total_bytes", "Memória de trabalho do SAT (MT_TOTAL).", numero(*total));
    if (const std::optional<qint64> usada = bytesDoTamanho(v.value(QStringLiteral("MT_USADA"))))
        e.metrica("sat_memory_used_bytes", "Memória de trabalho usada (MT_USADA).", numero(*usada));

    // DH_ATUAL counts whole seconds: the device's clock was somewhere in that second,
    // taken at its middle so that a right clock reads about 0 rather than half a second slow.
    if (const std::optional<qint64> relogio = instanteDoDispositivo(v.value(QStringLiteral("DH_ATUAL")));
        relogio && leitura.instante.isValid())
        e.metrica("sat_clock_offset_seconds",
                  "Relógio do SAT (DH_ATUAL) menos o da estação, no instante da resposta.",
                  decimal(static_cast<double>(*relogio * 1000 + 500 - leitura.instante.toMSecsSinceEpoch()) /
                          1000.0));

    const QString estado = v.value(QStringLiteral("ESTADO_OPERACAO"));
    bool numerico = false;
    const int n = estado.toInt(&numerico);
    if (numerico && n >= 0) {
        e.metrica("sat_operation_state",
                  "ESTADO_OPERACAO: 0 desbloqueado, 1 bloqueio SEFAZ, 2 contribuinte, 3 autônomo, 4 para "
                  "desativação.",
                  numero(n));
        const QString nome = n < 5 ? QString::fromLatin1(estados[n]) : estado;
        e.metrica("sat_blocked", "1 quando o SAT está bloqueado; o rótulo state diz qual bloqueio.",
                  {{"state", nome}}, n == 0 ? "0" : "1");
    }
    const QString lan = v.value(QStringLiteral("STATUS_LAN"));
    if (const std::optional<int> conectada = estadoDaLan(lan))
        e.metrica("sat_lan_connected",
                  "1 quando a rede do SAT está conectada (STATUS_LAN, no rótulo status).", {{"status", lan}},
                  numero(*conectada));
    const QString bateria = v.value(QStringLiteral("NIVEL_BATERIA"));
    if (const std::optional<int> nivel = nivelDaBateria(bateria))
        e.metrica("sat_battery_level",
                  "Nível da bateria do SAT: 3 alto, 2 médio, 1 baixo (NIVEL_BATERIA no rótulo level).",
                  {{"level", bateria}}, numero(*nivel));
}

} // namespace

QByteArray texto(const Leitura& leitura, std::optional<qint64> ultimaBoa) {
    Escrita e;
    const bool sucesso = leitura.falha == Falha::Nenhuma;
    Escrita::Rotulos rotulos;
    if (!sucesso) {
        rotulos.append({"failure", rotulo(leitura.falha)});
        if (!leitura.codigo.isEmpty())
            rotulos.append({"code", QString::fromLatin1(leitura.codigo)});
    }
    e.metrica("sat_reading_success",
              "1 quando a leitura do SAT deu certo; 0 quando não, com o motivo no rótulo failure.", rotulos,
              sucesso ? "1" : "0");
    const qint64 fim = leitura.fim.toSecsSinceEpoch();
    e.metrica("sat_reading_timestamp_seconds", "Quando a leitura terminou.", numero(fim));
    if (sucesso)
        ultimaBoa = fim;
    if (ultimaBoa)
        e.metrica("sat_last_success_timestamp_seconds", "Quando terminou a última leitura que deu certo.",
                  numero(*ultimaBoa));
    e.metrica("sat_reading_duration_seconds", "Quanto a leitura levou, esperas incluídas.",
              decimal(leitura.duracao));
    e.metrica("sat_reading_busy_answers", "Respostas \"SAT em processamento\" (xx098) que a leitura esperou.",
              numero(leitura.ocupado));
    if (sucesso)
        valoresDoStatus(e, leitura);
    return e.texto();
}

std::optional<qint64> ultimaLeituraBoa(const QByteArray& textoAnterior) {
    static const QByteArray nome = "sat_last_success_timestamp_seconds ";
    for (const QByteArray& linha : textoAnterior.split('\n')) {
        if (!linha.startsWith(nome))
            continue;
        bool ok = false;
        const double valor = linha.mid(nome.size()).trimmed().toDouble(&ok);
        // A time no reading had (past the year 30000, say) is a damaged file, and too
        // large to convert.
        if (ok && valor > 0 && valor < 1e12)
            return static_cast<qint64>(valor);
    }
    return std::nullopt;
}

bool gravar(const QString& caminho, const QByteArray& texto, QString* motivo) {
    for (int tentativa = 1;; ++tentativa) {
        if (settings::writeFileAtomically(caminho, texto, motivo))
            return true;
        if (tentativa == 5 || !QFileInfo(caminho).absoluteDir().exists())
            return false;
        QThread::msleep(200);
    }
}

Trava::Trava(const QString& caminho) : arquivo_(std::make_unique<QLockFile>(caminho)) {
    // Never stale by age: a reading that waits out a busy device holds the lock longer
    // than QLockFile's default 30 seconds, and another must not take it meanwhile. (Qt
    // also keeps the file locked natively while held, which on a local disk already
    // stops that; the age rule would still apply where the native lock does not.)
    arquivo_->setStaleLockTime(0);
}

Trava::~Trava() = default;

bool Trava::obter() {
    if (arquivo_->tryLock(0))
        return true;
    qint64 processo = 0;
    QString maquina, programa;
    if (arquivo_->error() == QLockFile::LockFailedError &&
        arquivo_->getLockInfo(&processo, &maquina, &programa))
        motivo_ = QStringLiteral("outra leitura está em andamento (processo %1, %2, em %3)")
                      .arg(QString::number(processo), programa, maquina);
    else if (arquivo_->error() == QLockFile::LockFailedError)
        motivo_ = QStringLiteral("outra leitura está em andamento");
    else
        motivo_ = QStringLiteral("não foi possível criar a trava %1")
                      .arg(QDir::toNativeSeparators(arquivo_->fileName()));
    return false;
}

QString travaPadrao() {
    // A folder every user of the workstation shares, so that a technician's reading by
    // hand and the scheduled one (another user: root, SYSTEM) meet at the same lock.
#ifdef Q_OS_WIN
    const QString comum = qEnvironmentVariable("ProgramData");
#else
    const QString comum = QStringLiteral("/run/lock");
#endif
    const QFileInfo pasta(comum);
    const QString escolhida =
        !comum.isEmpty() && pasta.isDir() && pasta.isWritable() ? comum : QDir::tempPath();
    return QDir(escolhida).filePath(QStringLiteral("ativacao-sat-metricas.lock"));
}

} // namespace metricas
