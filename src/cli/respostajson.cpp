#include "cli/respostajson.h"

#include "sat/resposta.h"

#include <QJsonArray>

namespace cli {

namespace {

QJsonArray camposEmJson(const QByteArrayList& campos) {
    QJsonArray lista;
    for (const QByteArray& campo : campos)
        lista.append(sat::decodificar(campo));
    return lista;
}

} // namespace

QJsonObject respostaEmJson(const CaminhoSat& caminho, const QByteArrayList& campos) {
    const bool comAlerta = campos.size() > 1 && campos[1].startsWith("130");
    const auto campo = [&](qsizetype i) {
        return i < campos.size() ? sat::decodificar(campos[i]) : QString();
    };
    QJsonObject objeto{{QStringLiteral("sessao"), caminho.numsessao()},
                       {QStringLiteral("codigo"), campo(1)},
                       {QStringLiteral("mensagem"), campo(comAlerta ? 3 : 2)},
                       {QStringLiteral("campos"), camposEmJson(campos)}};
    if (comAlerta)
        objeto.insert(QStringLiteral("alerta"), campo(2));
    const qsizetype sefaz = comAlerta ? 4 : 3;
    if (campos.size() > sefaz && !campos[sefaz].isEmpty())
        objeto.insert(QStringLiteral("sefaz"), QJsonObject{{QStringLiteral("codigo"), campo(sefaz)},
                                                           {QStringLiteral("mensagem"), campo(sefaz + 1)}});
    else
        objeto.insert(QStringLiteral("sefaz"), QJsonValue::Null);
    return objeto;
}

} // namespace cli
