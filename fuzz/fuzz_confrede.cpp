// The network document both ways. Any bytes as ConfRede.xml read back as those bytes
// without their line breaks. Any network values in the parameter store give either no
// document or one that, written and read back as the device receives it, parses as
// <config> with the elements due for those values, each carrying its value exactly.
//
// Input: the file's bytes; the same bytes, read as UTF-8 and split at NUL, are the
// values of the network fields in the order of `nomes`.
#include "comum.h"
#include "settings/checkconfigs.h"
#include "settings/confrede.h"
#include "settings/parameterstore.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QXmlStreamReader>

namespace {

const char* const nomes[] = {"tipoInter", "SSID",     "seg",         "codigo",     "tipoLan",    "lanIP",
                             "lanMask",   "lanGW",    "lanDNS1",     "lanDNS2",    "usuario",    "senha",
                             "proxy",     "proxy_ip", "proxy_porta", "proxy_user", "proxy_senha"};

QString pasta() {
    static const QString p = QString::fromStdString(fuzz::pastaTemporaria().string());
    return p;
}

void gravar(const QString& caminho, const QByteArray& bytes) {
    QFile arquivo(caminho);
    EXIGIR(arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate) && arquivo.write(bytes) == bytes.size(),
           "não foi possível gravar o arquivo de trabalho");
}

// The default parameters, opened once; every input assigns every network field.
settings::ParameterStore& repositorio() {
    static settings::ParameterStore cds;
    static const bool aberto = [] {
        const QString caminho = pasta() + QStringLiteral("/Parametros.xml");
        gravar(caminho, settings::defaultParametrosXml());
        return cds.open(caminho).ok();
    }();
    EXIGIR(aberto, "os parâmetros padrão abrem");
    return cds;
}

// The elements the document must carry for the store's values, in order.
QList<QString> elementosDevidos(const settings::ParameterStore& cds) {
    QList<QString> e{QStringLiteral("tipoInter")};
    if (cds.text(u"tipoInter") == u"WIFI") {
        e << QStringLiteral("SSID") << QStringLiteral("seg");
        if (cds.text(u"seg") != u"NONE")
            e << QStringLiteral("codigo");
    }
    e << QStringLiteral("tipoLan");
    if (cds.text(u"tipoLan") == u"IPFIX")
        e << QStringLiteral("lanIP") << QStringLiteral("lanMask") << QStringLiteral("lanGW")
          << QStringLiteral("lanDNS1") << QStringLiteral("lanDNS2");
    else if (cds.text(u"tipoLan") == u"PPPoE")
        e << QStringLiteral("usuario") << QStringLiteral("senha");
    e << QStringLiteral("proxy");
    bool numero = false;
    if (cds.integer(u"proxy", &numero) == 1 && numero)
        e << QStringLiteral("proxy_ip") << QStringLiteral("proxy_porta") << QStringLiteral("proxy_user")
          << QStringLiteral("proxy_senha");
    return e;
}

void lerArquivoQualquer(const QByteArray& bytes) {
    gravar(pasta() + QStringLiteral("/ConfRede.xml"), bytes);
    const settings::ConfRedeLida lida = settings::lerConfRede(pasta());
    EXIGIR(lida.documento && lida.falha.isEmpty(), "um arquivo que existe é lido");
    QByteArray semQuebras = bytes;
    semQuebras.replace('\r', QByteArray()).replace('\n', QByteArray());
    EXIGIR(*lida.documento == semQuebras, "o documento lido são os bytes do arquivo sem as quebras de linha");
}

void idaEVolta(const QByteArray& bytes) {
    settings::ParameterStore& cds = repositorio();
    const QList<QByteArray> valores = bytes.split('\0');
    cds.first();
    cds.edit();
    for (qsizetype i = 0; i < qsizetype(std::size(nomes)); ++i) {
        const QString nome = QString::fromLatin1(nomes[i]);
        if (i >= valores.size() || !cds.setText(nome, QString::fromUtf8(valores[i])))
            cds.setNull(nome);
    }
    cds.post();

    QString motivo;
    if (!settings::geraxml(cds, pasta(), &motivo)) {
        EXIGIR(!settings::documentoConfRede(cds) && !motivo.isEmpty(),
               "sem documento só quando um valor não cabe em XML, e com a razão");
        return;
    }
    const settings::ConfRedeLida lida = settings::lerConfRede(pasta());
    EXIGIR(lida.documento.has_value(), "o documento gravado é lido de volta");

    QXmlStreamReader xml(*lida.documento);
    EXIGIR(xml.readNextStartElement() && xml.name() == u"config", "o documento é <config>");
    for (const QString& nome : elementosDevidos(cds)) {
        EXIGIR(xml.readNextStartElement(), "cada elemento devido está no documento");
        EXIGIR(xml.name() == nome, "os elementos devidos, na ordem");
        const QString valor = xml.readElementText();
        if (valor != cds.text(nome))
            std::fprintf(stderr, "%s: \"%s\" / \"%s\"\n", qPrintable(nome), qPrintable(valor),
                         qPrintable(cds.text(nome)));
        EXIGIR(valor == cds.text(nome), "o dispositivo recebe cada valor como ficou guardado");
    }
    EXIGIR(!xml.readNextStartElement() && !xml.hasError(), "nada além dos elementos devidos");
    EXIGIR(xml.isEndElement() && xml.name() == u"config", "o documento termina em </config>");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const QByteArray bytes(reinterpret_cast<const char*>(dados), static_cast<qsizetype>(tamanho));
    lerArquivoQualquer(bytes);
    idaEVolta(bytes);
    return 0;
}
