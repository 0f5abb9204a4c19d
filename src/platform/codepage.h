#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit code page of text handed to the SAT library and of files written for
// the user: the system ANSI code page on Windows, Windows-1252 elsewhere (what
// Brazilian Windows uses). Characters the code page cannot hold become '?', as the
// platform converter writes them.
namespace platform {

QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);

// Whether every character of text survives toAnsi unchanged.
bool ansiCanEncode(const QString& text);

} // namespace platform
