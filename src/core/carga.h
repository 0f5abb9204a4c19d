#pragma once

#include <optional>
#include <QString>

class CaminhoSat;

// Finding and loading the maker's library, as the window and the command line both do:
// the same file names in the same folder, the same helper program, the same plain-words
// message when the library does not load.
namespace carga {

// The library the console uses in `pasta`: "SAT_x64.DLL", else "SAT.DLL"; "" when
// neither exists. Only the first name that exists counts: SAT.DLL is no fallback for a
// SAT_x64.DLL that fails to load.
QString bibliotecaEscolhida(const QString& pasta);

// The library helper for the library file `biblioteca`, among the programs in
// `pastaDosProgramas`. On Windows (`windows`) a 32-bit x86 DLL is served by
// sat-host32.exe when it is there; anything else, or a 32-bit DLL without it, by
// sat-host.exe (which then says in its load error why it cannot). Elsewhere sat-host.
QString hospedeiroPara(const QString& pastaDosProgramas, const QString& biblioteca, bool windows);
#ifdef _WIN32
inline constexpr bool noWindows = true;
#else
inline constexpr bool noWindows = false;
#endif

// Whether `hospedeiro` is the 32-bit helper, whose load failures are explained for a
// 32-bit program.
bool ehHospedeiro32(const QString& hospedeiro);

// What the user reads when the library at `caminho` does not load: the path, the cause
// in plain words read from the file's header and the loader's text, then that text
// itself for whoever knows what to do with it. `bitsDoPrograma`: of the program that
// tried (0: this one).
QString mensagemDeFalha(const QString& caminho, const QString& motivo, int bitsDoPrograma);

// The two steps of a load, as the window and the command line both take them. First
// the helper that serves `biblioteca` (`hospedeiro` when given, else the one
// hospedeiroPara chooses among `pastaDosProgramas`) is put on the road when it exists,
// with the load started at once when `antecipar`; without it the library is loaded into
// this process. Returns the helper put on the road, or "".
QString usarHospedeiro(CaminhoSat& caminho, const QString& pastaDosProgramas, const QString& biblioteca,
                       QString hospedeiro = {}, bool antecipar = false);
// Then the library at `biblioteca` is loaded through the road's executor: nothing, or
// what the user reads when it does not load (`hospedeiro`: what usarHospedeiro returned).
std::optional<QString> carregar(CaminhoSat& caminho, const QString& biblioteca, const QString& hospedeiro);

// Whether the library at `caminho` is the emulated device, which says so in its version
// resource: its product name is "satemu" or starts with "satemu ". A maker's library, a
// file without a product name (every ELF file) or one that cannot be read is not.
bool ehSatemu(const QString& caminho);

// What the window adds to its caption and library label, and the command line to its
// consult, when the library answering is satemu: the technician must never take the
// emulated device for the client's. Nothing is added for any other library.
inline constexpr char16_t marcaDoSatemu[] = u" - SAT EMULADO (satemu)";
inline constexpr char16_t avisoDoSatemu[] =
    u"Atenção: quem responde é o SAT EMULADO (satemu), não um equipamento SAT.";

} // namespace carga
