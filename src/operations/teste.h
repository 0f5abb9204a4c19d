#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>

// The end-to-end test's document and the readings of a test's or a session query's
// answer, with no window: the test page and the command line share them.

// The two end-to-end tests: the activation kind fills the software house's CNPJ,
// the signature and the IE with zeros; the production kind sends what the user gave
// and names a recipient.
enum class VarianteTeste { Ativacao, Producao };

struct DadosTeste {
    QString cnpjContribuinte = {};
    QString ieContribuinte = {};
    QString cnpjSoftwareHouse = {};
    QString assinatura = {};
};

// The CF-e test document handed to TesteFimAFim: one line, no blanks between tags.
// The values are written as XML text (escaped), so a stray "&" or "<" in a signature
// cannot change the document's structure.
QString documentoTeste(VarianteTeste variante, const DadosTeste& dados);

// The lines of a text as a memo reads it: a line ends at CR, LF or CR LF, and a break
// at the very end starts no further line. An empty text has no line.
QByteArrayList linhasDeBytes(const QByteArray& texto);
QStringList linhasDeTexto(const QString& texto);

// The CF-e a sale answer carries: the answer's fields (its line breaks also separate)
// from the 6th to the 6th from last joined, as a sale answer may split the Base64 over
// two fields, then decoded (characters outside the alphabet are skipped).
QByteArray cfeDaVenda(const QByteArray& retorno);

// The test's CF-e (the device's bytes) as text: its lines decoded, each ended with CR LF.
QString textoDoCfe(const QByteArray& cfe);
// That text indented as the test page shows it (FormatXMLString); throws when it is not
// well-formed XML.
QString cfeIndentado(const QByteArray& cfe);

// The bytes of CFe.xml: every line followed by CR LF, each byte as it was.
QByteArray conteudoCFe(const QByteArrayList& linhas);
