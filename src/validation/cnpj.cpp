#include "validation/cnpj.h"

#include <array>

namespace validation {

namespace {

constexpr qsizetype kCnpjLength = 14;

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The expected check digit over the first `count` characters: weights 2 to 9
// from the right, starting again at 2 after 9. Returns -1 when one of those
// characters is not a digit, which matches no character.
int checkDigit(const QString& text, qsizetype count) {
    int sum = 0;
    int weight = 2;
    for (qsizetype i = count - 1; i >= 0; --i) {
        const QChar c = text.at(i);
        if (!isAsciiDigit(c))
            return -1;
        sum += (c.unicode() - u'0') * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int remainder = sum % 11;
    return remainder < 2 ? 0 : 11 - remainder;
}

bool holdsDigit(QChar c, int digit) {
    return digit >= 0 && isAsciiDigit(c) && c.unicode() - u'0' == digit;
}

} // namespace

bool isCNPJ(const QString& text) {
    // Fourteen equal digits pass the check-digit rule but are no company's number.
    static const std::array<QString, 10> kRepeated = [] {
        std::array<QString, 10> list;
        for (int d = 0; d < 10; ++d)
            list[static_cast<std::size_t>(d)] = QString(kCnpjLength, QChar(u'0' + d));
        return list;
    }();
    for (const QString& repeated : kRepeated) {
        if (text == repeated)
            return false;
    }
    if (text.size() != kCnpjLength)
        return false;

    const int first = checkDigit(text, 12);
    const int second = checkDigit(text, 13);
    return holdsDigit(text.at(12), first) && holdsDigit(text.at(13), second);
}

} // namespace validation
