#include "operations/status.h"

#include "sat/resposta.h"

#include <array>
#include <QRegularExpression>

namespace {

enum class Exibicao { Texto, DataHora, Data, EstadoOperacao };

struct CampoStatus {
    const char* nome;
    Exibicao exibicao;
};

// The status fields in the order the device sends them, from position 5 of the answer.
constexpr std::array<CampoStatus, 23> NomesStatus{{
    {"NSERIE", Exibicao::Texto},          {"TIPO_LAN", Exibicao::Texto},
    {"LAN_IP", Exibicao::Texto},          {"LAN_MAC", Exibicao::Texto},
    {"LAN_MASK", Exibicao::Texto},        {"LAN_GW", Exibicao::Texto},
    {"LAN_DNS_1", Exibicao::Texto},       {"LAN_DNS_2", Exibicao::Texto},
    {"STATUS_LAN", Exibicao::Texto},      {"NIVEL_BATERIA", Exibicao::Texto},
    {"MT_TOTAL", Exibicao::Texto},        {"MT_USADA", Exibicao::Texto},
    {"DH_ATUAL", Exibicao::DataHora},     {"VER_SB", Exibicao::Texto},
    {"VER_LAYOUT", Exibicao::Texto},      {"ULTIMO_CF-E-SAT", Exibicao::Texto},
    {"LISTA_INICIAL", Exibicao::Texto},   {"LISTA_FINAL", Exibicao::Texto},
    {"DH_CFe", Exibicao::DataHora},       {"DH_ULTIMA", Exibicao::DataHora},
    {"CERT_EMISSAO", Exibicao::Data},     {"CERT_VENCIMENTO", Exibicao::Data},
    {"ESTADO_OPERACAO", Exibicao::EstadoOperacao},
}};

constexpr std::array<const char*, 5> EstadosOperacao{
    "DESBLOQUEADO", "BLOQUEIO SEFAZ", "BLOQUEIO CONTRIBUINTE", "BLOQUEIO AUTONOMO", "BLOQUEIO PARA DESATIVACAO",
};

constexpr qsizetype primeiroCampoStatus = 5;
constexpr qsizetype larguraNome = 17;

// Characters from..from+n-1 (counted from 1); a slice past the end is empty.
// Counted in characters, not UTF-16 units, so a slice never splits a surrogate pair.
QString fatia(const QString& v, qsizetype de, qsizetype n) {
    const QList<uint> caracteres = v.toUcs4();
    const qsizetype inicio = std::min(de - 1, caracteres.size());
    const qsizetype fim = std::min(inicio + n, caracteres.size());
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(caracteres.constData()) + inicio, fim - inicio);
}

QString dataHora(const QString& v) {
    return fatia(v, 7, 2) + u'/' + fatia(v, 5, 2) + u'/' + fatia(v, 1, 4) + QStringLiteral(" - ") + fatia(v, 9, 2) +
           u':' + fatia(v, 11, 2) + u':' + fatia(v, 13, 2);
}

QString data(const QString& v) { return fatia(v, 7, 2) + u'/' + fatia(v, 5, 2) + u'/' + fatia(v, 1, 4); }

QString estadoOperacao(const QString& v) {
    bool numero = false;
    const int indice = v.toInt(&numero);
    if (numero && indice >= 0 && indice < static_cast<int>(EstadosOperacao.size()))
        return QString::fromLatin1(EstadosOperacao[static_cast<std::size_t>(indice)]);
    return v; // a state this console does not know: what the device said
}

QString linha(const QString& nome, const QString& valor) {
    const qsizetype pontos = std::max<qsizetype>(0, larguraNome - nome.size());
    return u' ' + nome + u' ' + QString(pontos, u'.') + u' ' + valor;
}

} // namespace

QStringList relatorioStatus(const QByteArrayList& campos) {
    QStringList linhas{QStringLiteral(" ")};
    for (qsizetype p = primeiroCampoStatus; p < campos.size(); ++p) {
        const QString v = sat::decodificar(campos[p]);
        const qsizetype indice = p - primeiroCampoStatus;
        if (indice >= static_cast<qsizetype>(NomesStatus.size())) {
            linhas.append(linha(QStringLiteral("CAMPO_%1").arg(p), v));
            continue;
        }
        const CampoStatus& campo = NomesStatus[static_cast<std::size_t>(indice)];
        QString valor;
        switch (campo.exibicao) {
        case Exibicao::Texto: valor = v; break;
        case Exibicao::DataHora: valor = dataHora(v); break;
        case Exibicao::Data: valor = data(v); break;
        case Exibicao::EstadoOperacao: valor = estadoOperacao(v); break;
        }
        linhas.append(linha(QString::fromLatin1(campo.nome), valor));
    }
    return linhas;
}

namespace {

// "AAAAMMDDhhmmss" as "AAAA-MM-DDThh:mm:ss", "AAAAMMDD" as "AAAA-MM-DD"; no date (null)
// for an empty value or zeros (DH_CFe before the first CF-e); a value of another shape
// (a device's own form) as it came.
QVariant iso8601(const QString& v, Exibicao exibicao) {
    static const QRegularExpression dataHora(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})(\\d{2})(\\d{2})(\\d{2})$"));
    static const QRegularExpression data(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    if (const QString aparado = v.trimmed(); aparado.count(u'0') == aparado.size())
        return {};
    if (const auto m = dataHora.match(v); exibicao == Exibicao::DataHora && m.hasMatch())
        return QStringLiteral("%1-%2-%3T%4:%5:%6")
            .arg(m.captured(1), m.captured(2), m.captured(3), m.captured(4), m.captured(5), m.captured(6));
    if (const auto m = data.match(v); exibicao == Exibicao::Data && m.hasMatch())
        return QStringLiteral("%1-%2-%3").arg(m.captured(1), m.captured(2), m.captured(3));
    return v;
}

} // namespace

std::optional<qint64> bytesDoTamanho(const QString& tamanho) {
    static const QRegularExpression forma(
        QStringLiteral("^\\s*(\\d+(?:[.,]\\d+)?)\\s*(B|KB|MB|GB|TB|Kbytes|Mbytes|Gbytes|bytes)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = forma.match(tamanho);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double numero = QString(m.captured(1)).replace(u',', u'.').toDouble(&ok);
    if (!ok)
        return std::nullopt;
    const QString unidade = m.captured(2).toUpper();
    double fator = 1;
    if (unidade.startsWith(u'K'))
        fator = 1024.0;
    else if (unidade.startsWith(u'M'))
        fator = 1024.0 * 1024;
    else if (unidade.startsWith(u'G'))
        fator = 1024.0 * 1024 * 1024;
    else if (unidade.startsWith(u'T'))
        fator = 1024.0 * 1024 * 1024 * 1024;
    // A size no memory has (and no 64-bit count holds) is no size: converting it would
    // be undefined.
    const double bytes = numero * fator + 0.5;
    if (!(bytes < 9.0e18))
        return std::nullopt;
    return static_cast<qint64>(bytes);
}

QList<CampoDoStatus> camposDoStatus(const QByteArrayList& campos) {
    QList<CampoDoStatus> lista;
    for (qsizetype p = primeiroCampoStatus; p < campos.size(); ++p) {
        const QString v = sat::decodificar(campos[p]);
        const qsizetype indice = p - primeiroCampoStatus;
        if (indice >= static_cast<qsizetype>(NomesStatus.size())) {
            lista.append({QStringLiteral("CAMPO_%1").arg(p), v, v});
            continue;
        }
        const CampoStatus& campo = NomesStatus[static_cast<std::size_t>(indice)];
        const QString nome = QString::fromLatin1(campo.nome);
        QVariant valor = v;
        if (campo.exibicao == Exibicao::DataHora || campo.exibicao == Exibicao::Data) {
            valor = iso8601(v, campo.exibicao);
        } else if (nome == u"MT_TOTAL" || nome == u"MT_USADA") {
            if (const std::optional<qint64> bytes = bytesDoTamanho(v))
                valor = *bytes;
        } else if (campo.exibicao == Exibicao::EstadoOperacao) {
            valor = estadoOperacao(v);
        }
        lista.append({nome, v, valor});
    }
    return lista;
}
