#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

// What the log page shows of the device's log (the answer's field 5, in Base64), as a
// text whose every line ends with a line feed, for MemoDeLinhas::definirTexto.
namespace conteudolog {

// The page's modes, kept in the tag of its title panel.
inline constexpr int modoLogInteiro = 1;
inline constexpr int modoSuperLog = 2;

// The line that closes the whole log.
inline const QString linhaDeHifens = QString(54, u'-');

// The SuperLog markers, found anywhere in a line, case counting.
inline constexpr char inicioSuperLogDuvra[] = "SAT|info|================= SuperLog DUVRA ==================";
inline constexpr char inicioSuperLog[] = "SAT|info|==================== SuperLog =====================";
inline constexpr char fimSuperLog[] = "SAT|info|===================================================";

inline const QString semSuperLog = QStringLiteral("Não foi encontrado SuperLog neste trecho do Log");

// The log decoded from Base64 (characters outside the alphabet skipped) and shown by
// mode:
// - modoLogInteiro: every line of the log, read as UTF-8, then the hyphen line. A log
//   that ends with a line feed has an empty line before the hyphens; an empty log shows
//   the hyphen line alone.
// - any other mode: the last SuperLog section. The section starts at the last line that
//   holds a start marker of either form and ends at the first line, from that one on,
//   that holds the end marker. It is shown after an empty line, each of its lines as
//   three blanks and the line without its first 24 bytes (the date and time), read as
//   UTF-8. Without a complete section: two empty lines, semSuperLog, two empty lines.
// The log's lines are found by the line feed only; the bytes are searched as they are,
// so a log of tens of megabytes is decoded once and never split into a list. The
// Base64 text is let go as soon as it is decoded (hand it over with std::move).
QString textoDoLog(QByteArray base64, int modo);

// The SuperLog text of a log already decoded, as textoDoLog shows it in any mode
// other than modoLogInteiro.
QString textoSuperLog(QByteArrayView log);

// The same for an answer split into its fields: field 5 is taken out of campos (left
// empty) so that the largest field is not held twice. std::out_of_range when the
// answer has no field 5.
QString textoDoLog(QByteArrayList& campos, int modo);

} // namespace conteudolog
