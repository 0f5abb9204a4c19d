// The road of every call into the emulated device: faults, the state read
// from its file, the operation, the log, the stored answer, the state written
// back, and the answer text.
#ifndef SATEMU_DEVICE_H
#define SATEMU_DEVICE_H

#include "answer.h"
#include "faults.h"
#include "platform.h"
#include "state.h"

#include <filesystem>
#include <functional>
#include <string>

namespace satemu {

enum class Fn {
    ComunicarCertificadoICPBRASIL,
    EnviarDadosVenda,
    CancelarUltimaVenda,
    ConsultarSAT,
    TesteFimAFim,
    ConsultarStatusOperacional,
    ConsultarNumeroSessao,
    AssociarAssinatura,
    AtualizarSoftwareSAT,
    ExtrairLogs,
    BloquearSAT,
    DesbloquearSAT,
    TrocarCodigoDeAtivacao,
    ConfigurarInterfaceDeRede,
    AtivarSAT,
    SetDriver,
    ConsultarUltimaSessaoFiscal,
};

struct FnInfo {
    const char* name;
    int functionClass; // first two digits of its answer codes
    Layout layout;
    int base64Field; // position of Base64 data in a successful answer, -1 if none
    bool fiscal;     // a sale or cancellation: its success is the last fiscal session
};

const FnInfo& describe(Fn fn);

struct Context {
    DeviceState& state;
    platform::LocalTime now;
    int session;
    const Faults& faults;
    const FnInfo& function;
};

using Operation = std::function<Answer(Context&)>;

// The device's folder: $SATEMU_HOME if set, else the library's own folder.
std::filesystem::path homeDirectory();

// Runs one call. Never throws.
std::string callDevice(Fn fn, int session, const Operation& op);

} // namespace satemu

#endif
