#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit code page of text handed to the SAT library and of files written for
// the user: the system ANSI code page on Windows, Windows-1252 elsewhere (what
// Brazilian Windows uses). A character the code page cannot hold becomes one '?'
// everywhere (on Windows through Win32's conversion, with its "best fit" look-alikes
// turned off).
namespace platform {

QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);

// Bytes in Windows-1252 whatever the system's code page (a file that declares it).
QString fromWindows1252(const QByteArray& bytes);

// Whether every character of text survives toAnsi unchanged.
bool ansiCanEncode(const QString& text);

} // namespace platform
