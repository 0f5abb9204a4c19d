#include "settings/confrede.h"

#include "settings/atomicfile.h"
#include "settings/campos.h"
#include "settings/checkconfigs.h"
#include "settings/parameterstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace settings {

namespace {

// A character that an XML document can carry as text: tab, line breaks, everything
// from the blank up but the two non-characters at the end of the basic plane, and
// surrogates only in pairs.
bool cabeEmXml(QStringView valor, qsizetype& i) {
    const char16_t c = valor[i].unicode();
    if (QChar::isHighSurrogate(c)) {
        if (i + 1 >= valor.size() || !QChar::isLowSurrogate(valor[i + 1].unicode()))
            return false;
        ++i;
        return true;
    }
    return c == u'\t' || c == u'\n' || c == u'\r' ||
           (c >= 0x20 && !QChar::isLowSurrogate(c) && c != 0xFFFE && c != 0xFFFF);
}

// One element with its value as character data. Only "&", "<" and ">" become entity
// references; a quotation mark or an apostrophe stays as it stands, as a key or a
// password was typed. A line break becomes a character reference: the document is
// read back for sending with its line breaks dropped, and a raw one would vanish
// from the value (a key pasted with a line feed, a hand-edited Parametros.xml).
bool escreverElemento(QString& saida, const QString& nome, QStringView valor) {
    saida += u'<';
    saida += nome;
    saida += u'>';
    for (qsizetype i = 0; i < valor.size(); ++i) {
        const qsizetype inicio = i;
        if (!cabeEmXml(valor, i))
            return false;
        switch (valor[i].unicode()) {
        case u'&':
            saida += u"&amp;";
            break;
        case u'<':
            saida += u"&lt;";
            break;
        case u'>':
            saida += u"&gt;";
            break;
        case u'\r':
            saida += u"&#13;";
            break;
        case u'\n':
            saida += u"&#10;";
            break;
        default:
            saida += valor.sliced(inicio, i - inicio + 1);
        }
    }
    saida += u"</";
    saida += nome;
    saida += u'>';
    return true;
}

} // namespace

std::optional<QByteArray> documentoConfRede(const ParameterStore& cds) {
    // The declaration as the default document spells it, then the elements with no
    // whitespace between them.
    QString documento = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><config>");
    bool valido = true;
    const auto elemento = [&](QStringView nome) {
        valido = valido && escreverElemento(documento, nome.toString(), cds.text(nome));
    };

    elemento(campo::tipoInter);
    if (cds.text(campo::tipoInter) == u"WIFI") {
        elemento(campo::SSID);
        elemento(campo::seg);
        if (cds.text(campo::seg) != u"NONE")
            elemento(campo::codigo);
    }

    elemento(campo::tipoLan);
    const QString tipoLan = cds.text(campo::tipoLan);
    if (tipoLan == u"IPFIX") {
        for (QStringView nome : {campo::lanIP, campo::lanMask, campo::lanGW, campo::lanDNS1, campo::lanDNS2})
            elemento(nome);
    } else if (tipoLan == u"PPPoE") {
        elemento(campo::usuario);
        elemento(campo::senha);
    }

    elemento(campo::proxy);
    // Read as a whole number: a value that is none (only a hand-edited file holds one)
    // is no proxy with configuration.
    bool numero = false;
    if (cds.integer(campo::proxy, &numero) == 1 && numero) {
        for (QStringView nome : {campo::proxy_ip, campo::proxy_porta, campo::proxy_user, campo::proxy_senha})
            elemento(nome);
    }

    if (!valido)
        return std::nullopt;
    // One line with CR LF, as the default document: the default record gives the very
    // bytes written at start-up.
    documento += u"</config>\r\n";
    return documento.toUtf8();
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

    return {semQuebrasDeLinha(bytes), QString()};
}

QByteArray semQuebrasDeLinha(const QByteArray& bytes) {
    // Line by line, nothing between the lines: LF, CR LF and a lone CR end a line.
    QByteArray linha;
    linha.reserve(bytes.size());
    for (const char c : bytes)
        if (c != '\n' && c != '\r')
            linha.append(c);
    return linha;
}

} // namespace settings
