#include "operations/arquivotexto.h"

#include "platform/codepage.h"

#include <QFile>

std::optional<QString> LeArquivosCert(const QString& caminho) {
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = arquivo.readAll();
    if (arquivo.error() != QFileDevice::NoError)
        return std::nullopt;

    QByteArray juntas;
    juntas.reserve(bytes.size());
    for (const char c : bytes)
        if (c != '\n' && c != '\r')
            juntas.append(c);
    return platform::fromAnsi(juntas);
}
