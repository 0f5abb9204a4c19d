// Small text helpers of the emulated device: UTF-8 checks, Windows-1252
// conversion, Base64, digits, CNPJ check digits and fixed-point money.
#ifndef SATEMU_TEXT_H
#define SATEMU_TEXT_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace satemu {

bool isValidUtf8(std::string_view s);
// Number of code points of valid UTF-8 text (bytes otherwise).
std::size_t utf8Length(std::string_view s);
// Text as the device reads an 8-bit argument: UTF-8 when it is valid UTF-8,
// otherwise Windows-1252 converted to UTF-8.
std::string toUtf8(std::string_view s);
// UTF-8 text converted to Latin-1 bytes (characters above U+00FF become '?').
std::string utf8ToLatin1(std::string_view s);

std::string base64Encode(std::string_view bytes);
// Strict decoding: only the standard alphabet, correct padding. Empty on error.
std::optional<std::string> base64Decode(std::string_view text);

bool allDigits(std::string_view s);
bool isDigitsOfLength(std::string_view s, std::size_t n);
bool isValidCnpj(std::string_view cnpj);

// Replaces control characters by blanks and cuts the text to at most maxBytes
// (on a UTF-8 boundary), adding "..." when it was cut: safe to put in a log line.
std::string printable(std::string_view s, std::size_t maxBytes = 80);

std::string zeroPad(long long value, int width);
std::string trim(std::string_view s);
std::vector<std::string> split(std::string_view s, char sep);

// Fixed-point decimals kept as integers scaled by 10^scale.
// parseDecimal accepts exactly: 1..maxInt digits, '.', minFrac..maxFrac digits,
// and returns the value scaled to `scale` decimals (scale >= maxFrac).
std::optional<std::int64_t> parseDecimal(std::string_view s, int maxInt, int minFrac, int maxFrac, int scale);
std::string formatDecimal(std::int64_t scaled, int decimals);
// a * b / divisor rounded half up; nullopt on overflow.
std::optional<std::int64_t> mulDivRound(std::int64_t a, std::int64_t b, std::int64_t divisor);

} // namespace satemu

#endif
