#pragma once

#include <optional>
#include <QByteArray>
#include <QString>

namespace settings {

class ParameterStore;

// The network configuration document, ConfRede.xml beside the executable: what the
// device receives as its network settings. It is a projection of the network fields
// of the parameter store's current record:
//
//   <?xml version="1.0" encoding="utf-8"?><config><tipoInter>…</tipoInter>…</config>
//
// with no whitespace between elements, UTF-8, followed by CR LF. An element is
// written only when it applies (the wireless details for "WIFI", the address group
// for "IPFIX", the access user for "PPPoE", the proxy details for proxy 1); every
// test is exact and case-sensitive. A due element whose field is empty is written
// empty. Values are character data with "&", "<" and ">" as entity references and
// every other character as it stands, quotation marks included. A line break inside a
// value is written as a character reference (&#13;, &#10;), so the document is one
// line and its read-back keeps every value whole.

// The document's bytes for the store's current record. Nothing when a value holds a
// character XML cannot carry (the store never keeps one, but a document that does not
// parse must never reach the device).
std::optional<QByteArray> documentoConfRede(const ParameterStore& cds);

// Writes the document over <pasta>/ConfRede.xml, whole or not at all. On failure the
// earlier file stays as it was and *motivo says why: the caller must not send that
// earlier file in place of the settings just stored.
bool geraxml(const ParameterStore& cds, const QString& pasta, QString* motivo = nullptr);

// The document read back for sending: the file's bytes as they stand, its line breaks
// dropped, or the message to show when it is missing or cannot be read.
struct ConfRedeLida {
    std::optional<QByteArray> documento;
    QString falha;
};
ConfRedeLida lerConfRede(const QString& pasta);

// A document's bytes as they are sent: every line break (LF, CR LF, a lone CR) dropped.
QByteArray semQuebrasDeLinha(const QByteArray& bytes);

} // namespace settings
