#include "platform/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform {

namespace {

#ifdef Q_OS_WIN
// Qt's System converter is the ANSI code page on Windows.
QStringEncoder makeEncoder() { return QStringEncoder(QStringConverter::System); }
QStringDecoder makeDecoder() { return QStringDecoder(QStringConverter::System); }
#else
// Qt knows Windows-1252 only by name (through ICU). Without ICU fall back to
// Latin-1, which agrees with it on every letter of Portuguese.
QStringEncoder makeEncoder() {
    QStringEncoder encoder("windows-1252");
    return encoder.isValid() ? std::move(encoder) : QStringEncoder(QStringConverter::Latin1);
}
QStringDecoder makeDecoder() {
    QStringDecoder decoder("windows-1252");
    return decoder.isValid() ? std::move(decoder) : QStringDecoder(QStringConverter::Latin1);
}
#endif

} // namespace

QByteArray toAnsi(const QString& text) {
    QStringEncoder encoder = makeEncoder();
    return encoder.encode(text);
}

QString fromAnsi(const QByteArray& bytes) {
    QStringDecoder decoder = makeDecoder();
    return decoder.decode(bytes);
}

bool ansiCanEncode(const QString& text) { return fromAnsi(toAnsi(text)) == text; }

} // namespace platform
