#pragma once

#include <QString>

namespace validation {

// Whether text is a valid CNPJ: exactly the 14 digits, no punctuation, with both
// modulo-11 check digits right. Never throws, has no side effects.
bool isCNPJ(const QString& text);

} // namespace validation
