#include "log.h"

#include "network.h"
#include "text.h"

namespace satemu {

std::string logDateTime(const platform::LocalTime& t) {
    return zeroPad(t.day, 2) + "/" + zeroPad(t.month, 2) + "/" + zeroPad(t.year, 4) + " " +
           zeroPad(t.hour, 2) + ":" + zeroPad(t.minute, 2) + ":" + zeroPad(t.second, 2) + "." +
           zeroPad(t.millisecond, 3);
}

std::string timestamp14(const platform::LocalTime& t) {
    return zeroPad(t.year, 4) + zeroPad(t.month, 2) + zeroPad(t.day, 2) + zeroPad(t.hour, 2) +
           zeroPad(t.minute, 2) + zeroPad(t.second, 2);
}

void logInfo(DeviceState& s, const platform::LocalTime& t, const std::string& text) {
    appendLogLine(s, logDateTime(t) + "|SAT|info|" + printable(text, 400));
}

namespace {

const char* blockName(int state) {
    switch (state) {
    case kUnblocked:
        return "DESBLOQUEADO";
    case kBlockedBySefaz:
        return "BLOQUEIO SEFAZ";
    case kBlockedByTaxpayer:
        return "BLOQUEIO CONTRIBUINTE";
    case kBlockedAutonomously:
        return "BLOQUEIO AUTONOMO";
    default:
        return "BLOQUEIO PARA DESATIVACAO";
    }
}

} // namespace

void appendSuperLog(DeviceState& s, const platform::LocalTime& t) {
    const std::string prefix = logDateTime(t) + "|";
    auto line = [&](const std::string& text) { appendLogLine(s, prefix + "SAT|info|" + text); };
    appendLogLine(s, prefix + kSuperLogStart);
    line("Numero de serie ........ " + s.serial);
    line("Versao do SB ........... " + s.firmware + "  Layout " + kLayoutVersion);
    line(std::string("Situacao ............... ") + (s.activated ? "ATIVADO" : "NAO ATIVADO") + " - " +
         blockName(s.blockState));
    if (s.activated) {
        line("Contribuinte ........... CNPJ " + s.taxpayerCnpj + "  UF " + std::to_string(s.uf));
        line(std::string("Certificado ............ ") +
             (s.certificateType == 2 ? "ICP-BRASIL" : "AC-SAT SEFAZ") + " valido de " + s.certIssued + " a " +
             s.certExpires);
    }
    line("Vinculacao AC .......... " +
         (s.signature.empty() ? std::string("NAO VINCULADO") : "CNPJ Software House " + s.softwareHouseCnpj));
    line("CF-e emitidos .......... " + std::to_string(s.cfeIssued) + "  ultimo numero " +
         zeroPad(s.lastCfeNumber, 6));
    line("Ultimo CF-e ............ " + (s.lastCfeKey.empty() ? std::string("nenhum") : s.lastCfeKey));
    const LanStatus lan = lanStatus(s);
    line("Rede ................... " + s.network.tipoInter + " " + s.network.tipoLan + "  IP " + lan.ip +
         "  MASCARA " + lan.mask + "  GW " + lan.gateway);
    line("DNS .................... " + lan.dns1 + " " + lan.dns2 + "  MAC " + lan.mac);
    line("Proxy .................. " + s.network.proxy +
         (s.network.proxy == "1" ? " " + s.network.proxyIp + ":" + s.network.proxyPorta : std::string()));
    line("Sessoes guardadas ...... " + std::to_string(s.sessions.size()));
    appendLogLine(s, prefix + kSuperLogEnd);
}

std::string logText(const DeviceState& s) {
    std::string out;
    for (const auto& l : s.log) {
        out += l;
        out += '\n';
    }
    return out;
}

std::string padLog(const std::string& log, long long megabytes, const platform::LocalTime& t) {
    const std::size_t target = static_cast<std::size_t>(megabytes) * 1024u * 1024u;
    const std::string filler =
        logDateTime(t) + "|SAT|info|Registro antigo de preenchimento do log (arquivo de falhas)\n";
    std::string out;
    out.reserve(target + log.size());
    while (out.size() + log.size() < target)
        out += filler;
    return out + log;
}

} // namespace satemu
