#include "settings/confrede.h"

#include "settings/atomicfile.h"
#include "settings/checkconfigs.h"
#include "settings/parameterstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamWriter>

namespace settings {

std::optional<QByteArray> documentoConfRede(const ParameterStore& cds) {
    QByteArray documento;
    QXmlStreamWriter xml(&documento); // UTF-8; no automatic formatting, so no whitespace
    // The declaration as the default document spells it: writeStartDocument() would
    // write the encoding in capitals.
    xml.writeProcessingInstruction(QStringLiteral("xml"),
                                   QStringLiteral("version=\"1.0\" encoding=\"utf-8\""));
    xml.writeStartElement(QStringLiteral("config"));
    // Character data: "&", "<" and ">" become entity references. A line break inside a
    // value is written as a character reference: the document is read back for sending
    // with its line breaks dropped, and a raw one would vanish from the value (a key
    // pasted with a line feed, a hand-edited Parametros.xml).
    const auto elemento = [&](const QString& nome) {
        const QString valor = cds.text(nome);
        xml.writeStartElement(nome);
        qsizetype inicio = 0;
        for (qsizetype i = 0; i < valor.size(); ++i) {
            if (valor[i] != u'\r' && valor[i] != u'\n')
                continue;
            xml.writeCharacters(valor.sliced(inicio, i - inicio));
            xml.writeEntityReference(valor[i] == u'\r' ? QStringLiteral("#13") : QStringLiteral("#10"));
            inicio = i + 1;
        }
        xml.writeCharacters(valor.sliced(inicio));
        xml.writeEndElement();
    };

    elemento(QStringLiteral("tipoInter"));
    if (cds.text(u"tipoInter") == u"WIFI") {
        elemento(QStringLiteral("SSID"));
        elemento(QStringLiteral("seg"));
        if (cds.text(u"seg") != u"NONE")
            elemento(QStringLiteral("codigo"));
    }

    elemento(QStringLiteral("tipoLan"));
    const QString tipoLan = cds.text(u"tipoLan");
    if (tipoLan == u"IPFIX") {
        for (const char* nome : {"lanIP", "lanMask", "lanGW", "lanDNS1", "lanDNS2"})
            elemento(QString::fromLatin1(nome));
    } else if (tipoLan == u"PPPoE") {
        elemento(QStringLiteral("usuario"));
        elemento(QStringLiteral("senha"));
    }

    elemento(QStringLiteral("proxy"));
    // Read as a whole number: a value that is none (only a hand-edited file holds one)
    // is no proxy with configuration.
    bool numero = false;
    if (cds.integer(u"proxy", &numero) == 1 && numero) {
        for (const char* nome : {"proxy_ip", "proxy_porta", "proxy_user", "proxy_senha"})
            elemento(QString::fromLatin1(nome));
    }

    xml.writeEndElement();
    if (xml.hasError())
        return std::nullopt;
    // One line with CR LF, as the default document: the default record gives the very
    // bytes written at start-up.
    documento.append("\r\n");
    return documento;
}

bool geraxml(const ParameterStore& cds, const QString& pasta, QString* motivo) {
    const std::optional<QByteArray> documento = documentoConfRede(cds);
    if (!documento) {
        if (motivo != nullptr)
            *motivo = QStringLiteral("um dos valores contém caracteres que o XML não admite");
        return false;
    }
    return writeFileAtomically(QDir(pasta).filePath(kConfRedeFileName), *documento, motivo);
}

ConfRedeLida lerConfRede(const QString& pasta) {
    const QString caminho = QDir(pasta).filePath(kConfRedeFileName);
    if (!QFileInfo::exists(caminho))
        return {std::nullopt, QStringLiteral("Arquivo ConfRede.xml não foi encontrado!")};
    const QString falha = QStringLiteral("Erro ao tentar acessar o arquivo ConfRede.xml!");
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        return {std::nullopt, falha};
    const QByteArray bytes = arquivo.readAll();
    if (arquivo.error() != QFileDevice::NoError)
        return {std::nullopt, falha};

    // Line by line, nothing between the lines: LF, CR LF and a lone CR end a line.
    QByteArray linha;
    linha.reserve(bytes.size());
    for (const char c : bytes)
        if (c != '\n' && c != '\r')
            linha.append(c);
    return {linha, QString()};
}

} // namespace settings
