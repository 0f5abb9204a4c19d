#pragma once

#include <string>

// Why a library file could not be loaded, in words a technician can act on. The
// loader's own message is terse and names the last thing it tried; the file's header
// says more: whether it is a library at all, and for which word size and processor.
namespace platform {

// One sentence naming the cause, read from the file at `caminho` and from the loader's
// message `mensagem`; "" when neither tells a cause this function knows. `bits`: the
// word size of the program that tried to load it (0: this one); the 32-bit helper
// loads 32-bit libraries for the 64-bit console.
std::string causaDaFalhaDeCarga(const std::string& caminho, const std::string& mensagem, int bits = 0);

// Whether the file at `caminho` is, by its header, a Windows library for 32-bit x86:
// the kind the 32-bit helper serves. False for anything else or a file that cannot be
// read.
bool dllX86De32Bits(const std::string& caminho);

} // namespace platform
