#include "text.h"

#include <array>

namespace satemu {

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        std::uint32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1Fu;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0Fu;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07u;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cc & 0xC0u) != 0x80u)
                return false;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

std::size_t utf8Length(std::string_view s) {
    if (!isValidUtf8(s))
        return s.size();
    std::size_t count = 0;
    for (char ch : s)
        if ((static_cast<unsigned char>(ch) & 0xC0u) != 0x80u)
            ++count;
    return count;
}

namespace {

// Code points of Windows-1252 bytes 0x80..0x9F (0 where the code page has none).
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string toUtf8(std::string_view s) {
    if (isValidUtf8(s))
        return std::string(s);
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        std::uint32_t cp = c;
        if (c >= 0x80 && c <= 0x9F) {
            cp = kCp1252High[c - 0x80u];
            if (cp == 0)
                cp = 0xFFFD;
        }
        appendUtf8(out, cp);
    }
    return out;
}

std::string utf8ToLatin1(std::string_view s) {
    std::string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if ((c & 0xE0u) == 0xC0u && i + 1 < s.size()) {
            const std::uint32_t cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
            out += cp <= 0xFF ? static_cast<char>(cp) : '?';
            i += 2;
        } else {
            out += '?';
            ++i;
            while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0u) == 0x80u)
                ++i;
        }
    }
    return out;
}

namespace {
constexpr char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int b64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}
} // namespace

std::string base64Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    while (i + 3 <= bytes.size()) {
        const std::uint32_t v = (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16) |
                                (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8) |
                                static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 2]));
        out += kB64[(v >> 18) & 63];
        out += kB64[(v >> 12) & 63];
        out += kB64[(v >> 6) & 63];
        out += kB64[v & 63];
        i += 3;
    }
    const std::size_t rest = bytes.size() - i;
    if (rest == 1) {
        const std::uint32_t v = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        out += kB64[(v >> 18) & 63];
        out += kB64[(v >> 12) & 63];
        out += "==";
    } else if (rest == 2) {
        const std::uint32_t v = (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16) |
                                (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
        out += kB64[(v >> 18) & 63];
        out += kB64[(v >> 12) & 63];
        out += kB64[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

std::optional<std::string> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + static_cast<std::size_t>(k)];
            if (c == '=' && last && k >= 2) {
                v[k] = 0;
                ++pad;
                continue;
            }
            if (pad > 0)
                return std::nullopt;
            v[k] = b64Value(c);
            if (v[k] < 0)
                return std::nullopt;
        }
        const std::uint32_t n = (static_cast<std::uint32_t>(v[0]) << 18) |
                                (static_cast<std::uint32_t>(v[1]) << 12) |
                                (static_cast<std::uint32_t>(v[2]) << 6) | static_cast<std::uint32_t>(v[3]);
        out += static_cast<char>((n >> 16) & 0xFF);
        if (pad < 2)
            out += static_cast<char>((n >> 8) & 0xFF);
        if (pad < 1)
            out += static_cast<char>(n & 0xFF);
    }
    return out;
}

bool allDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool isDigitsOfLength(std::string_view s, std::size_t n) {
    return s.size() == n && allDigits(s);
}

bool isValidCnpj(std::string_view cnpj) {
    if (!isDigitsOfLength(cnpj, 14))
        return false;
    bool allSame = true;
    for (char c : cnpj)
        allSame = allSame && c == cnpj[0];
    if (allSame)
        return false;
    auto digit = [&](std::size_t len) {
        static constexpr int w[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
        int sum = 0;
        const std::size_t offset = 13 - len;
        for (std::size_t i = 0; i < len; ++i)
            sum += (cnpj[i] - '0') * w[offset + i];
        const int r = sum % 11;
        return r < 2 ? 0 : 11 - r;
    };
    return digit(12) == cnpj[12] - '0' && digit(13) == cnpj[13] - '0';
}

std::string printable(std::string_view s, std::size_t maxBytes) {
    std::string out;
    const bool cut = s.size() > maxBytes;
    std::size_t end = cut ? maxBytes : s.size();
    while (cut && end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0u) == 0x80u)
        --end;
    out.reserve(end + 3);
    for (std::size_t i = 0; i < end; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        out += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
    }
    if (cut)
        out += "...";
    return toUtf8(out);
}

std::string zeroPad(long long value, int width) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    while (static_cast<int>(digits.size()) < width)
        digits.insert(digits.begin(), '0');
    return value < 0 ? "-" + digits : digits;
}

std::string trim(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return std::string(s.substr(b, e - b));
}

std::vector<std::string> split(std::string_view s, char sep) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = s.find(sep, start);
        if (pos == std::string_view::npos) {
            out.emplace_back(s.substr(start));
            return out;
        }
        out.emplace_back(s.substr(start, pos - start));
        start = pos + 1;
    }
}

std::optional<std::int64_t> parseDecimal(std::string_view s, int maxInt, int minFrac, int maxFrac,
                                         int scale) {
    const std::size_t dot = s.find('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    const std::string_view ip = s.substr(0, dot);
    const std::string_view fp = s.substr(dot + 1);
    if (static_cast<int>(ip.size()) > maxInt || static_cast<int>(fp.size()) < minFrac ||
        static_cast<int>(fp.size()) > maxFrac || !allDigits(ip) || !allDigits(fp) || scale < maxFrac)
        return std::nullopt;
    std::int64_t v = 0;
    for (char c : ip) {
        if (__builtin_mul_overflow(v, 10, &v) || __builtin_add_overflow(v, c - '0', &v))
            return std::nullopt;
    }
    for (int k = 0; k < scale; ++k) {
        const int d = k < static_cast<int>(fp.size()) ? fp[static_cast<std::size_t>(k)] - '0' : 0;
        if (__builtin_mul_overflow(v, 10, &v) || __builtin_add_overflow(v, d, &v))
            return std::nullopt;
    }
    return v;
}

std::string formatDecimal(std::int64_t scaled, int decimals) {
    const bool negative = scaled < 0;
    std::string digits = std::to_string(negative ? -scaled : scaled);
    while (static_cast<int>(digits.size()) <= decimals)
        digits.insert(digits.begin(), '0');
    if (decimals > 0)
        digits.insert(digits.end() - decimals, '.');
    return negative ? "-" + digits : digits;
}

std::optional<std::int64_t> mulDivRound(std::int64_t a, std::int64_t b, std::int64_t divisor) {
    std::int64_t product = 0;
    if (divisor <= 0 || __builtin_mul_overflow(a, b, &product))
        return std::nullopt;
    const bool negative = product < 0;
    const std::int64_t magnitude = negative ? -product : product;
    const std::int64_t q = magnitude / divisor;
    const std::int64_t r = magnitude % divisor;
    const std::int64_t rounded = (r * 2 >= divisor) ? q + 1 : q;
    return negative ? -rounded : rounded;
}

} // namespace satemu
