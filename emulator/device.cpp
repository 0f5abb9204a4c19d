#include "device.h"

#include "log.h"
#include "text.h"

#include <chrono>
#include <thread>

namespace satemu {

const FnInfo& describe(Fn fn) {
    static const FnInfo table[] = {
        {"ComunicarCertificadoICPBRASIL", 5, Layout::Ordinary, -1, false},
        {"EnviarDadosVenda", 6, Layout::WithAlert, 6, true},
        {"CancelarUltimaVenda", 7, Layout::WithAlert, 6, true},
        {"ConsultarSAT", 8, Layout::Ordinary, -1, false},
        {"TesteFimAFim", 9, Layout::Ordinary, 5, false},
        {"ConsultarStatusOperacional", 10, Layout::Ordinary, -1, false},
        {"ConsultarNumeroSessao", 11, Layout::Ordinary, -1, false},
        {"AssociarAssinatura", 13, Layout::WithAlert, -1, false},
        {"AtualizarSoftwareSAT", 14, Layout::Ordinary, -1, false},
        {"ExtrairLogs", 15, Layout::Ordinary, 5, false},
        {"BloquearSAT", 16, Layout::Ordinary, -1, false},
        {"DesbloquearSAT", 17, Layout::Ordinary, -1, false},
        {"TrocarCodigoDeAtivacao", 18, Layout::Ordinary, -1, false},
        {"ConfigurarInterfaceDeRede", 12, Layout::Ordinary, -1, false},
        {"AtivarSAT", 4, Layout::Ordinary, 5, false},
        {"SetDriver", 20, Layout::Ordinary, -1, false},
        {"ConsultarUltimaSessaoFiscal", 19, Layout::Ordinary, -1, false},
    };
    return table[static_cast<int>(fn)];
}

std::filesystem::path homeDirectory() {
    if (auto home = platform::environmentPath("SATEMU_HOME"))
        return *home;
    auto dir = platform::libraryDirectory();
    return dir.empty() ? std::filesystem::path(".") : dir;
}

namespace {

// A code forced by the fault file for this function: "code.EntryPoint=NNNNN",
// "code=NNNNN" (only for the function whose class it names) or "code=NNN"
// (any function, with its own class in front).
std::optional<std::string> forcedCode(const Faults& faults, const FnInfo& fi) {
    const std::string own = zeroPad(fi.functionClass, 2);
    if (auto specific = faults.values.find(std::string("code.") + fi.name); specific != faults.values.end()) {
        const std::string& v = specific->second;
        if (isDigitsOfLength(v, 5))
            return v;
        if (isDigitsOfLength(v, 3))
            return own + v;
        return std::nullopt;
    }
    if (auto general = faults.values.find("code"); general != faults.values.end()) {
        const std::string& v = general->second;
        if (isDigitsOfLength(v, 5) && v.compare(0, 2, own) == 0)
            return v;
        if (isDigitsOfLength(v, 3))
            return own + v;
    }
    return std::nullopt;
}

int messageField(const FnInfo& fi) {
    return fi.layout == Layout::WithAlert ? 3 : 2;
}

} // namespace

std::string callDevice(Fn fn, int session, const Operation& op) {
    const FnInfo& fi = describe(fn);
    try {
        const std::filesystem::path home = homeDirectory();
        const std::filesystem::path faultFile = home / kFaultFileName;
        const Faults faults = loadFaults(faultFile);
        if (auto delay = faults.number("delay_ms", fi.name, 0, 600000))
            std::this_thread::sleep_for(std::chrono::milliseconds(*delay));

        if (session < 1 || session > 999999)
            return formatAnswer(
                session, fi.layout,
                makeAnswer(fi.functionClass, 99, "número de sessão inválido (use de 1 a 999999)"));

        DeviceState state;
        try {
            state = loadState(home / kStateFileName);
        } catch (const StateError& e) {
            return formatAnswer(
                session, fi.layout,
                makeAnswer(fi.functionClass, 99,
                           std::string(e.what()) + "; corrija ou apague o arquivo " + kStateFileName));
        }
        Context ctx{state, platform::now(), session, faults, fi};

        Answer a;
        const auto forced = forcedCode(faults, fi);
        const auto forcedLeft = faultCount(faults, "code_count");
        if (forced && (!forcedLeft || *forcedLeft > 0)) {
            a.code = *forced;
            a.message = faults.get("message", fi.name).value_or(standardMessage(*forced));
            if (a.message.empty())
                a.message = "Código forçado pelo arquivo de falhas do emulador";
            if (forcedLeft)
                consumeCount(faultFile, "code_count");
        } else {
            try {
                a = op(ctx);
            } catch (const std::exception& e) {
                a = makeAnswer(fi.functionClass, 99, printable(e.what(), 200));
            }
        }
        if (!a.verbatim) {
            if (auto sc = faults.get("sefaz_code", fi.name)) {
                a.sefazCode = *sc;
                a.sefazMessage = faults.get("sefaz_message", fi.name).value_or("");
            }
            if (auto alert = faults.get("alert", fi.name); alert && isDigitsOfLength(*alert, 4))
                a.alert = *alert;
        }

        const std::string text = formatAnswer(session, fi.layout, a);
        logInfo(state, ctx.now,
                "Sessao " + sessionText(session) + " " + fi.name + ": " + a.code + " " + a.message);
        if (!a.verbatim)
            rememberSession(state, session, text);
        if (fi.fiscal && a.code.size() == 5 && a.code.compare(2, 3, "000") == 0)
            state.lastFiscalAnswer = text;
        if (!saveState(home / kStateFileName, state))
            return formatAnswer(session, fi.layout,
                                makeAnswer(fi.functionClass, 99,
                                           "não foi possível gravar o estado do SAT na pasta " +
                                               printable(platform::utf8Path(home), 200)));

        std::string sent = text;
        if (fn == Fn::ExtrairLogs && !a.data.empty() && a.code == "15000") {
            // The padding goes only into this answer: the stored session and the state stay small.
            if (auto mb = faults.number("log_padding_mb", fi.name, 1, 64)) {
                if (auto log = base64Decode(a.data.front())) {
                    a.data.front() = base64Encode(padLog(*log, *mb, ctx.now));
                    sent = formatAnswer(session, fi.layout, a);
                }
            }
        }

        const auto malformation = parseMalformation(faults.get("malformed", fi.name).value_or(""));
        const auto malformedLeft = faultCount(faults, "malformed_count");
        if (malformation != Malformation::None && (!malformedLeft || *malformedLeft > 0)) {
            if (malformedLeft)
                consumeCount(faultFile, "malformed_count");
            return malform(sent, malformation, messageField(fi), fi.base64Field);
        }
        return sent;
    } catch (const std::exception& e) {
        return formatAnswer(session, fi.layout, makeAnswer(fi.functionClass, 99, printable(e.what(), 200)));
    } catch (...) {
        return formatAnswer(session, fi.layout, makeAnswer(fi.functionClass, 99));
    }
}

} // namespace satemu
