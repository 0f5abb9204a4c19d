#include "platform/codepage.h"

#include <QList>

#include <array>

#ifdef Q_OS_WIN
// clang-format off
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// clang-format on
#endif

namespace platform {

#ifdef Q_OS_WIN

namespace {

// Win32's own conversion, with no "best fit": a character the code page lacks becomes
// one '?' as elsewhere, instead of a look-alike letter ("Ā" sent as "A") that would
// silently change what reaches the device or the file. By code point, so a character
// outside the basic plane is one '?', not two.
QByteArray paraPagina(UINT pagina, const QString& text) {
    QString bmp;
    bmp.reserve(text.size());
    for (const char32_t c : text.toUcs4())
        bmp.append(c > 0xFFFF ? QChar(u'?') : QChar(char16_t(c)));
    if (bmp.isEmpty())
        return {};
    const auto* origem = reinterpret_cast<const wchar_t*>(bmp.utf16());
    const int n =
        WideCharToMultiByte(pagina, WC_NO_BEST_FIT_CHARS, origem, int(bmp.size()), nullptr, 0, "?", nullptr);
    QByteArray bytes(n, Qt::Uninitialized);
    WideCharToMultiByte(pagina, WC_NO_BEST_FIT_CHARS, origem, int(bmp.size()), bytes.data(), n, "?", nullptr);
    return bytes;
}

QString daPagina(UINT pagina, const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    const int n = MultiByteToWideChar(pagina, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    QString text(n, Qt::Uninitialized);
    MultiByteToWideChar(pagina, 0, bytes.constData(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(text.data()), n);
    return text;
}

} // namespace

QByteArray toAnsi(const QString& text) {
    return paraPagina(CP_ACP, text);
}

QString fromAnsi(const QByteArray& bytes) {
    return daPagina(CP_ACP, bytes);
}

QString fromWindows1252(const QByteArray& bytes) {
    return daPagina(1252, bytes);
}

#else

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F. The five bytes it leaves
// undefined map to the C1 controls of the same value, as Windows converts them, so
// every byte survives a round trip.
constexpr std::array<char16_t, 32> faixa80{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char paraAnsi(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < faixa80.size(); ++i)
        if (faixa80[i] == c)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

QByteArray toAnsi(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    // By code point, so a character outside the basic plane becomes one '?'.
    for (const char32_t c : text.toUcs4())
        bytes.append(paraAnsi(c));
    return bytes;
}

QString fromWindows1252(const QByteArray& bytes) {
    return fromAnsi(bytes);
}

QString fromAnsi(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        text.append(u >= 0x80 && u < 0xA0 ? QChar(faixa80[u - 0x80]) : QChar(char16_t{u}));
    }
    return text;
}

#endif

bool ansiCanEncode(const QString& text) { return fromAnsi(toAnsi(text)) == text; }

} // namespace platform
