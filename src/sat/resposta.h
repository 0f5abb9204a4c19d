#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <bitset>
#include <optional>

// Reading the library's answers: one line of fields separated by "|", field 0 the
// session number, field 1 the five-digit code, then its message, the SEFAZ code and
// message and the operation's data. The bytes are kept as the library gave them;
// text shown to the user is decoded as UTF-8.
namespace sat {

// A set of 8-bit character codes.
using ConjuntoCaracteres = std::bitset<256>;
ConjuntoCaracteres conjunto(std::initializer_list<char> caracteres);

// Splits `conteudo` at every separator, appending the fields to `lista` (which is not
// emptied first) and returning how many were appended. White space is skipped at the
// start of each field; empty fields keep their place, so n separators give n + 1
// fields; an empty text gives none. Characters above 255 never separate.
qsizetype ExtractStrings2(const ConjuntoCaracteres& separadores, const ConjuntoCaracteres& brancos,
                          const QByteArray& conteudo, QByteArrayList& lista);
qsizetype ExtractStrings2(const ConjuntoCaracteres& separadores, const ConjuntoCaracteres& brancos,
                          const QString& conteudo, QStringList& lista);

// The fields of an answer, split at "|".
QByteArrayList campos(const QByteArray& retorno);

// The answer's bytes as the user reads them: UTF-8, each invalid sequence shown as U+FFFD.
QString decodificar(const QByteArray& bytes);

// The status-bar echo of an answer: decoded and cut to 110 characters followed by " ...".
QString textoStatus(const QByteArray& mensagem);

// "code: message" of an ordinary answer (fields 1 and 2). Throws std::out_of_range
// when the answer has no field 2, as operations treat a short answer as a failure.
QString mensagemResposta(const QByteArrayList& campos);

// The text of the SEFAZ message window for an answer, or nothing when the answer
// carries no SEFAZ code. Answers whose code starts with "130" have an alert code
// in field 2, which moves the SEFAZ fields one place on.
std::optional<QString> textoSefaz(const QByteArrayList& campos);

// The field at `posicao`, or std::out_of_range: operations read fields under a guard
// that turns a short answer into their own failure outcome.
const QByteArray& campo(const QByteArrayList& campos, qsizetype posicao);

// Text as the content of an XML element: "&", "<" and ">" escaped, everything else
// as it is.
QString escaparTexto(QStringView texto);

// The XML document re-indented: its declaration kept, each element on its own line,
// two spaces per level, CR LF after every line. Throws std::runtime_error with the
// parser's message, line and column when the text is not well-formed.
QString FormatXMLString(const QString& xml);

} // namespace sat
