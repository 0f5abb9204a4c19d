// SHA-256 (FIPS 180-4), used for the digest of the CF-e signature block.
#ifndef SATEMU_SHA256_H
#define SATEMU_SHA256_H

#include <string>
#include <string_view>

namespace satemu {

// The 32-byte digest of the bytes, as raw bytes.
std::string sha256(std::string_view bytes);

} // namespace satemu

#endif
