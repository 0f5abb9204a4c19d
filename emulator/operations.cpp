#include "operations.h"

#include "cfe.h"
#include "icp.h"
#include "log.h"
#include "network.h"
#include "text.h"

#include <random>

namespace satemu::ops {

namespace {

constexpr std::size_t kMinCode = 8;
constexpr std::size_t kMaxCode = 32;
constexpr std::size_t kMaxSaleBytes = 1500u * 1024u;
constexpr long long kCancelWindowSeconds = 30 * 60;

constexpr int kUfCodes[] = {11, 12, 13, 14, 15, 16, 17, 21, 22, 23, 24, 25, 26, 27,
                            28, 29, 31, 32, 33, 35, 41, 42, 43, 50, 51, 52, 53};

bool isUf(int uf) {
    for (int u : kUfCodes)
        if (u == uf)
            return true;
    return false;
}

bool validNewCode(const std::string& code) {
    const std::size_t n = utf8Length(code);
    return n >= kMinCode && n <= kMaxCode;
}

// The common refusals: a device not yet activated, then a wrong activation code.
std::optional<Answer> gate(const Context& c, int notActivated, const std::string& code) {
    if (!c.state.activated)
        return makeAnswer(c.function.functionClass, notActivated);
    if (code != c.state.activationCode)
        return makeAnswer(c.function.functionClass, 1);
    return std::nullopt;
}

std::string addYears(const std::string& date8, int years) {
    return zeroPad(std::stoi(date8.substr(0, 4)) + years, 4) + date8.substr(4);
}

void startCertificate(DeviceState& s, const platform::LocalTime& now) {
    const std::string ts = timestamp14(now);
    s.certIssued = ts.substr(0, 8);
    s.certExpires = addYears(s.certIssued, 5);
    if (s.certExpires.substr(4) == "0229")
        s.certExpires.replace(6, 2, "28");
    s.lastSefazContactAt = ts;
}

int randomCode() {
    std::random_device rd;
    std::mt19937 gen(rd());
    return std::uniform_int_distribution<int>(0, 999999)(gen);
}

Issuer issuerFor(const Context& c) {
    Issuer i;
    i.serial = c.state.serial;
    i.firmware = c.state.firmware;
    i.taxpayerCnpj = c.state.taxpayerCnpj;
    i.uf = c.state.uf;
    i.now = c.now;
    i.number = c.state.lastCfeNumber >= 999999 ? 1 : c.state.lastCfeNumber + 1;
    i.randomCode = randomCode();
    return i;
}

void recordIssued(Context& c, const IssuedCfe& cfe, long long number) {
    DeviceState& s = c.state;
    s.lastCfeNumber = number;
    s.cfeIssued += 1;
    s.cfeBytes += static_cast<long long>(cfe.document.size());
    s.lastCfeKey = cfe.key;
    s.lastCfeAt = cfe.timestamp;
    s.lastSefazContactAt = cfe.timestamp;
}

// A new certificate request for the device: its public key is kept, so that the
// certificate given back can be matched with it, and the request goes in the answer.
// A request that cannot be made changes nothing and answers 04007.
std::optional<Answer> requestCertificate(DeviceState& s, const std::string& cnpj, int subCommand) {
    const icp::Request r = icp::makeRequest(s.serial, cnpj);
    if (r.der.empty())
        return std::nullopt;
    s.pendingIcp = subCommand;
    s.requestKey = base64Encode(r.publicKey);
    Answer a = makeAnswer(4, 6);
    a.data.push_back(base64Encode(r.der));
    return a;
}

} // namespace

Answer consultarSat(Context& c) {
    if (c.state.activated && c.state.blockState == kBlockedForDeactivation)
        return makeAnswer(8, 97);
    return makeAnswer(8, 0);
}

Answer ativar(Context& c, int subCommand, const std::string& code, const std::string& cnpj, int uf) {
    DeviceState& s = c.state;
    if (subCommand < 1 || subCommand > 3)
        return makeAnswer(4, 9, "use 1 (AC-SAT SEFAZ), 2 (ICP-BRASIL) ou 3 (renovação ICP-BRASIL)");
    if (s.activated) {
        if (subCommand != 3)
            return makeAnswer(4, 3);
        if (code != s.activationCode)
            return makeAnswer(4, 1);
        std::optional<Answer> a = requestCertificate(s, s.taxpayerCnpj, 3);
        if (!a)
            return makeAnswer(4, 7, "a chave do SAT não pôde ser gerada");
        logInfo(s, c.now, "CSR de renovacao ICP-BRASIL gerado");
        return *a;
    }
    if (subCommand == 3)
        return makeAnswer(4, 7, "a renovação exige um SAT ativado");
    if (!validNewCode(code))
        return makeAnswer(4, 1, "deve ter de 8 a 32 caracteres");
    if (!isValidCnpj(cnpj))
        return makeAnswer(4, 2);
    if (!isUf(uf))
        return makeAnswer(4, 8, std::to_string(uf));
    if (subCommand == 2) {
        std::optional<Answer> a = requestCertificate(s, cnpj, 2);
        if (!a)
            return makeAnswer(4, 7, "a chave do SAT não pôde ser gerada");
        s.activationCode = code;
        s.taxpayerCnpj = cnpj;
        s.uf = uf;
        logInfo(s, c.now, "CSR ICP-BRASIL gerado para o CNPJ " + cnpj + "; aguardando o certificado");
        return *a;
    }
    s.activationCode = code;
    s.taxpayerCnpj = cnpj;
    s.uf = uf;
    s.activated = true;
    s.pendingIcp = 0;
    s.certificateType = 1;
    s.activatedAt = timestamp14(c.now);
    startCertificate(s, c.now);
    logInfo(s, c.now,
            "SAT ativado para o CNPJ " + cnpj + ", UF " + std::to_string(uf) + ", certificado AC-SAT SEFAZ");
    return makeAnswer(4, 0);
}

Answer comunicarCertificado(Context& c, const std::string& code, const std::string& certificate) {
    DeviceState& s = c.state;
    if (s.pendingIcp == 0)
        return makeAnswer(5, 3);
    if (code != s.activationCode)
        return makeAnswer(5, 1);
    std::string b64;
    for (const auto& line : split(certificate, '\n')) {
        const std::string t = trim(line);
        if (t.rfind("-----", 0) == 0)
            continue;
        b64 += t;
    }
    const auto der = base64Decode(b64);
    if (!der)
        return makeAnswer(5, 2, "esperado um certificado X.509 em Base64 (DER ou PEM)");
    const auto key = base64Decode(s.requestKey);
    const icp::Verdict verdict = icp::checkCertificate(*der, key.value_or(std::string()));
    if (!verdict.accepted) {
        logInfo(s, c.now, "Certificado ICP-BRASIL recusado: " + verdict.reason);
        return makeAnswer(5, 2, verdict.reason);
    }
    if (s.pendingIcp == 2) {
        s.activated = true;
        s.activatedAt = timestamp14(c.now);
    }
    s.certificateType = 2;
    s.pendingIcp = 0;
    s.requestKey.clear();
    startCertificate(s, c.now);
    // The status report gives the certificate's own dates when they are known.
    if (!verdict.notBefore.empty()) {
        s.certIssued = verdict.notBefore;
        s.certExpires = verdict.notAfter;
    }
    logInfo(s, c.now, "Certificado ICP-BRASIL instalado; valido ate " + s.certExpires);
    return makeAnswer(5, 0);
}

Answer trocarCodigo(Context& c, const std::string& code, int option, const std::string& newCode,
                    const std::string& confirmation) {
    DeviceState& s = c.state;
    if (!s.activated)
        return makeAnswer(18, 3);
    if (option != 1 && option != 2)
        return makeAnswer(18, 6, "use 1 (código de ativação) ou 2 (código de emergência)");
    if (option == 1 && code != s.activationCode)
        return makeAnswer(18, 1);
    if (option == 2 && code != s.emergencyCode)
        return makeAnswer(18, 2);
    if (!validNewCode(newCode))
        return makeAnswer(18, 4, "deve ter de 8 a 32 caracteres");
    if (newCode != confirmation)
        return makeAnswer(18, 5);
    s.activationCode = newCode;
    logInfo(s, c.now,
            std::string("Codigo de ativacao alterado com o ") +
                (option == 1 ? "codigo de ativacao" : "codigo de emergencia"));
    return makeAnswer(18, 0);
}

Answer associarAssinatura(Context& c, const std::string& code, const std::string& cnpjs,
                          const std::string& signature) {
    if (auto refusal = gate(c, 6, code))
        return *refusal;
    DeviceState& s = c.state;
    if (cnpjs.size() != 28 || !allDigits(cnpjs) || !isValidCnpj(cnpjs.substr(0, 14)) ||
        !isValidCnpj(cnpjs.substr(14)))
        return makeAnswer(13, 4,
                          "informe 28 dígitos, o CNPJ da Software House seguido do CNPJ do contribuinte");
    if (cnpjs.substr(14) != s.taxpayerCnpj)
        return makeAnswer(13, 5);
    const auto decoded = signature.size() == 344 ? base64Decode(signature) : std::nullopt;
    if (!decoded || decoded->size() != 256)
        return makeAnswer(13, 3, "esperados 344 caracteres em Base64 (assinatura RSA de 2048 bits)");
    s.softwareHouseCnpj = cnpjs.substr(0, 14);
    s.signature = signature;
    s.lastSefazContactAt = timestamp14(c.now);
    logInfo(s, c.now, "SAT vinculado ao aplicativo comercial da Software House " + s.softwareHouseCnpj);
    return makeAnswer(13, 0);
}

Answer consultarStatus(Context& c, const std::string& code) {
    if (auto refusal = gate(c, 2, code))
        return *refusal;
    const DeviceState& s = c.state;
    const LanStatus lan = lanStatus(s);
    const std::string zeros(44, '0');
    const long long usedKb = (s.cfeBytes + static_cast<long long>(logText(s).size()) + 1023) / 1024;
    Answer a = makeAnswer(10, 0);
    // Addresses with three digits per octet, as real devices report them.
    a.data = {s.serial,
              s.network.tipoLan,
              threeDigitOctets(lan.ip),
              lan.mac,
              threeDigitOctets(lan.mask),
              threeDigitOctets(lan.gateway),
              threeDigitOctets(lan.dns1),
              threeDigitOctets(lan.dns2),
              "CONECTADO",
              "ALTO",
              "4 GB",
              std::to_string(usedKb) + " KB",
              timestamp14(c.now),
              s.firmware,
              kLayoutVersion,
              s.lastCfeKey.empty() ? zeros : s.lastCfeKey,
              zeros,
              zeros,
              s.lastCfeAt.empty() ? std::string(14, '0') : s.lastCfeAt,
              s.lastSefazContactAt.empty() ? s.activatedAt : s.lastSefazContactAt,
              s.certIssued,
              s.certExpires,
              std::to_string(s.blockState)};
    return a;
}

Answer configurarRede(Context& c, const std::string& code, const std::string& document) {
    if (auto refusal = gate(c, 3, code))
        return *refusal;
    try {
        c.state.network = parseNetworkConfig(document);
    } catch (const NetworkError& e) {
        return makeAnswer(12, 2, e.what());
    }
    const LanStatus lan = lanStatus(c.state);
    logInfo(c.state, c.now,
            "Rede configurada: " + c.state.network.tipoInter + " " + c.state.network.tipoLan + " IP " +
                lan.ip + " proxy " + c.state.network.proxy);
    return makeAnswer(12, 0);
}

Answer bloquear(Context& c, const std::string& code) {
    if (auto refusal = gate(c, 2, code))
        return *refusal;
    if (c.state.blockState != kUnblocked)
        return makeAnswer(16, 3);
    c.state.blockState = kBlockedByTaxpayer;
    logInfo(c.state, c.now, "SAT bloqueado pelo contribuinte");
    return makeAnswer(16, 0);
}

Answer desbloquear(Context& c, const std::string& code) {
    if (auto refusal = gate(c, 2, code))
        return *refusal;
    if (c.state.blockState == kUnblocked)
        return makeAnswer(17, 3);
    if (c.state.blockState != kBlockedByTaxpayer)
        return makeAnswer(17, 4);
    c.state.blockState = kUnblocked;
    logInfo(c.state, c.now, "SAT desbloqueado pelo contribuinte");
    return makeAnswer(17, 0);
}

Answer atualizarSoftware(Context& c, const std::string& code) {
    if (auto refusal = gate(c, 2, code))
        return *refusal;
    if (c.state.firmware == kLatestFirmware)
        return makeAnswer(14, 3, c.state.firmware);
    logInfo(c.state, c.now, "Software basico atualizado de " + c.state.firmware + " para " + kLatestFirmware);
    c.state.firmware = kLatestFirmware;
    return makeAnswer(14, 0);
}

Answer extrairLogs(Context& c, const std::string& code) {
    if (auto refusal = gate(c, 2, code))
        return *refusal;
    logInfo(c.state, c.now, "Extracao do log solicitada");
    appendSuperLog(c.state, c.now);
    const std::string text = logText(c.state);
    Answer a = makeAnswer(15, 0);
    a.data.push_back(base64Encode(text));
    return a;
}

Answer testeFimAFim(Context& c, const std::string& code, const std::string& document) {
    if (auto refusal = gate(c, 2, code))
        return *refusal;
    DeviceState& s = c.state;
    if (s.blockState != kUnblocked)
        return makeAnswer(9, 3);
    if (document.size() > kMaxSaleBytes)
        return makeAnswer(9, 4, "documento maior que 1.500KB");
    IssuedCfe cfe;
    const Issuer issuer = issuerFor(c);
    try {
        const XmlElement sale = parseSaleDocument(document);
        const XmlElement& ide = *sale.child("infCFe")->child("ide");
        const std::string& shCnpj = ide.child("CNPJ")->text;
        const std::string& signAC = ide.child("signAC")->text;
        const bool activationKind = shCnpj == std::string(14, '0') && signAC == std::string(344, '0');
        if (!activationKind) {
            if (s.signature.empty())
                return makeAnswer(9, 5);
            if (shCnpj != s.softwareHouseCnpj || signAC != s.signature)
                return makeAnswer(9, 6,
                                  shCnpj != s.softwareHouseCnpj ? "CNPJ da Software House difere do vinculado"
                                                                : "assinatura difere da vinculada");
        }
        cfe = buildCfe(sale, issuer);
    } catch (const ContentError& e) {
        return makeAnswer(9, 4, e.what());
    }
    recordIssued(c, cfe, issuer.number);
    logInfo(s, c.now, "Teste fim-a-fim: CF-e " + zeroPad(issuer.number, 6) + " chave " + cfe.key);
    appendSuperLog(s, c.now);
    Answer a = makeAnswer(9, 0);
    a.data = {base64Encode(cfe.document), cfe.timestamp, zeroPad(issuer.number, 6), "CFe" + cfe.key};
    return a;
}

Answer enviarDadosVenda(Context& c, const std::string& code, const std::string& saleDocument) {
    if (auto refusal = gate(c, 2, code))
        return *refusal;
    DeviceState& s = c.state;
    switch (s.blockState) {
    case kUnblocked:
        break;
    case kBlockedByTaxpayer:
        return makeAnswer(6, 6);
    case kBlockedAutonomously:
        return makeAnswer(6, 8);
    default:
        return makeAnswer(6, 7);
    }
    if (saleDocument.size() > kMaxSaleBytes)
        return makeAnswer(6, 5);
    if (s.signature.empty())
        return makeAnswer(6, 3);
    IssuedCfe cfe;
    const Issuer issuer = issuerFor(c);
    try {
        const XmlElement sale = parseSaleDocument(saleDocument);
        const XmlElement& ide = *sale.child("infCFe")->child("ide");
        if (ide.child("CNPJ")->text != s.softwareHouseCnpj || ide.child("signAC")->text != s.signature)
            return makeAnswer(6, 4);
        cfe = buildCfe(sale, issuer);
    } catch (const ContentError& e) {
        Answer a = makeAnswer(6, 10, e.what());
        a.alert = "1999";
        return a;
    }
    recordIssued(c, cfe, issuer.number);
    s.lastSaleKey = "CFe" + cfe.key;
    s.lastSaleAt = cfe.timestamp;
    s.lastSaleCfe = cfe.document;
    logInfo(s, c.now,
            "Venda: CF-e " + zeroPad(issuer.number, 6) + " chave " + cfe.key + " total " + cfe.total);
    Answer a = makeAnswer(6, 0);
    a.data = {
        base64Encode(cfe.document), cfe.timestamp, "CFe" + cfe.key, cfe.total, cfe.customer, cfe.qrSignature};
    return a;
}

Answer cancelarUltimaVenda(Context& c, const std::string& code, const std::string& key,
                           const std::string& request) {
    if (auto refusal = gate(c, 3, code))
        return *refusal;
    DeviceState& s = c.state;
    if (s.blockState != kUnblocked)
        return makeAnswer(7, 5);
    if (s.lastSaleKey.empty())
        return makeAnswer(7, 2, "não há venda a cancelar");
    if (key != s.lastSaleKey)
        return makeAnswer(7, 2, "a chave não é a da última venda");
    platform::LocalTime saleTime;
    saleTime.year = std::stoi(s.lastSaleAt.substr(0, 4));
    saleTime.month = std::stoi(s.lastSaleAt.substr(4, 2));
    saleTime.day = std::stoi(s.lastSaleAt.substr(6, 2));
    saleTime.hour = std::stoi(s.lastSaleAt.substr(8, 2));
    saleTime.minute = std::stoi(s.lastSaleAt.substr(10, 2));
    saleTime.second = std::stoi(s.lastSaleAt.substr(12, 2));
    if (platform::toEpochSeconds(c.now) - platform::toEpochSeconds(saleTime) > kCancelWindowSeconds)
        return makeAnswer(7, 2, "prazo de 30 minutos para o cancelamento esgotado");
    if (request.size() > kMaxSaleBytes)
        return makeAnswer(7, 6, "documento maior que 1.500KB");
    IssuedCfe cfe;
    const Issuer issuer = issuerFor(c);
    try {
        XmlElement doc;
        try {
            doc = parseXml(toUtf8(request));
        } catch (const XmlError& e) {
            throw ContentError(e.what());
        }
        const XmlElement* inf = doc.child("infCFe");
        const std::string* chCanc = inf != nullptr ? inf->attribute("chCanc") : nullptr;
        if (chCanc != nullptr && *chCanc != key)
            return makeAnswer(7, 6, "chCanc difere da chave informada");
        const XmlElement* ide = inf != nullptr ? inf->child("ide") : nullptr;
        if (ide != nullptr && ide->child("CNPJ") != nullptr && ide->child("signAC") != nullptr &&
            (ide->child("CNPJ")->text != s.softwareHouseCnpj || ide->child("signAC")->text != s.signature))
            return makeAnswer(7, 4);
        cfe = buildCancellation(doc, s.lastSaleCfe, issuer);
    } catch (const ContentError& e) {
        Answer a = makeAnswer(7, 6, e.what());
        a.alert = "1999";
        return a;
    }
    recordIssued(c, cfe, issuer.number);
    logInfo(s, c.now, "Cancelamento da venda " + s.lastSaleKey + ": CF-e " + zeroPad(issuer.number, 6));
    s.lastSaleKey.clear();
    s.lastSaleAt.clear();
    s.lastSaleCfe.clear();
    Answer a = makeAnswer(7, 0);
    a.data = {
        base64Encode(cfe.document), cfe.timestamp, "CFe" + cfe.key, cfe.total, cfe.customer, cfe.qrSignature};
    return a;
}

Answer consultarNumeroSessao(Context& c, const std::string& code, int asked) {
    if (auto refusal = gate(c, 2, code))
        return *refusal;
    const auto it = c.state.sessions.find(asked);
    if (it == c.state.sessions.end())
        return makeAnswer(11, 3, sessionText(asked));
    Answer a;
    a.code = "11000";
    a.message = "Sessão " + sessionText(asked) + " encontrada";
    a.verbatim = it->second;
    return a;
}

Answer consultarUltimaSessaoFiscal(Context& c, const std::string& code) {
    if (auto refusal = gate(c, 2, code))
        return *refusal;
    if (c.state.lastFiscalAnswer.empty())
        return makeAnswer(19, 3);
    Answer a;
    a.code = "19000";
    a.message = "Última sessão fiscal encontrada";
    a.verbatim = c.state.lastFiscalAnswer;
    return a;
}

Answer setDriver(Context& c, const std::string& driver) {
    std::string name;
    for (char ch : trim(driver))
        name += (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    if (name != "USB" && name != "SERIAL" && name != "ETHERNET")
        return makeAnswer(20, 1, "use USB, SERIAL ou ETHERNET");
    c.state.driver = name;
    logInfo(c.state, c.now, "Driver de comunicacao: " + name);
    Answer a = makeAnswer(20, 0, name);
    return a;
}

} // namespace satemu::ops
