#pragma once

#include <QString>
#include <QStringView>

// Qt lays out a line of text in time that grows with the square of its length: a
// message of half a megabyte on one line takes seconds to show, one of two megabytes
// freezes the console for over a minute. Whatever a device answers (a log without line
// breaks, a SEFAZ message, any answer text), no memo, message box or window is given a
// line longer than this, in UTF-16 units: such a line is shown as its start followed by
// a note that says how long it is. Files written for the user keep every line whole.
inline constexpr qsizetype limiteDeLinha = 64 * 1024;

// The characters at which a text widget starts a new line or paragraph: line feed,
// carriage return, the paragraph separator and the two frame marks of Qt's documents.
// The line separator (U+2028) only moves the rest of its paragraph down, and a
// paragraph is laid out whole, so it does not count as the end of a line here.
constexpr bool terminaLinha(char16_t c) {
    return c == u'\n' || c == u'\r' || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1;
}

// The line as a widget may show it: the line itself when it has at most limiteDeLinha
// units; otherwise its start, cut between two characters, followed by
// " … [linha de N caracteres; mostrados os primeiros M]", limiteDeLinha units in all.
QString linhaExibivel(QStringView linha);

// The text with every line longer than limiteDeLinha shown by linhaExibivel and the
// rest untouched; the same text, not a copy, when no line is that long.
QString textoExibivel(const QString& texto);
