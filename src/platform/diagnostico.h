#pragma once

#include <string>

// Why a library file could not be loaded, in words a technician can act on. The
// loader's own message is terse and names the last thing it tried; the file's header
// says more: whether it is a library at all, and for which word size and processor.
namespace platform {

// One sentence naming the cause, read from the file at `caminho` and from the loader's
// message `mensagem`; "" when neither tells a cause this function knows.
std::string causaDaFalhaDeCarga(const std::string& caminho, const std::string& mensagem);

} // namespace platform
