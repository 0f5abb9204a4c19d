// The device state and the text file that keeps it between calls.
#ifndef SATEMU_STATE_H
#define SATEMU_STATE_H

#include <deque>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

namespace satemu {

// Factory values of a new device.
inline constexpr const char* kFactorySerial = "900004019";
inline constexpr const char* kFactoryEmergencyCode = "EMERGENCIA-SATEMU";
inline constexpr const char* kFactoryFirmware = "01.05.00";
inline constexpr const char* kLatestFirmware = "01.06.00";
inline constexpr const char* kLayoutVersion = "00.08";

// ESTADO_OPERACAO values of the status report.
enum BlockState {
    kUnblocked = 0,
    kBlockedBySefaz = 1,
    kBlockedByTaxpayer = 2,
    kBlockedAutonomously = 3,
    kBlockedForDeactivation = 4,
};

struct NetworkSettings {
    std::string tipoInter = "ETHE";
    std::string ssid, seg, codigo;
    std::string tipoLan = "DHCP";
    std::string lanIP, lanMask, lanGW, lanDNS1, lanDNS2;
    std::string usuario, senha;
    std::string proxy = "0";
    std::string proxyIp, proxyPorta, proxyUser, proxySenha;
};

struct DeviceState {
    std::string serial = kFactorySerial;
    std::string firmware = kFactoryFirmware;
    bool activated = false;
    std::string activationCode;
    std::string emergencyCode = kFactoryEmergencyCode;
    std::string taxpayerCnpj;
    int uf = 0;              // IBGE code of the taxpayer's state
    int certificateType = 0; // 1 AC-SAT SEFAZ, 2 ICP-Brasil
    int pendingIcp = 0;      // sub-command (2 or 3) waiting for its ICP-Brasil certificate
    std::string requestKey;  // Base64 of the public key (SubjectPublicKeyInfo) of the last CSR
    std::string activatedAt; // AAAAMMDDhhmmss
    std::string certIssued;  // AAAAMMDD
    std::string certExpires; // AAAAMMDD
    std::string softwareHouseCnpj;
    std::string signature; // commercial application's signature (empty: not associated)
    int blockState = kUnblocked;
    NetworkSettings network;
    std::string driver = "USB";
    long long lastCfeNumber = 0; // nCFe of the last CF-e issued
    long long cfeIssued = 0;     // CF-e issued since the factory (sales, cancellations, tests)
    long long cfeBytes = 0;      // memory taken by issued CF-e
    std::string lastCfeKey;      // 44 digits
    std::string lastCfeAt;       // AAAAMMDDhhmmss
    std::string lastSefazContactAt;
    std::string lastSaleKey; // "CFe" + 44 digits of the last sale that may be cancelled
    std::string lastSaleAt;
    std::string lastSaleCfe;             // the last sale's CF-e document
    std::string lastFiscalAnswer;        // answer of the last sale or cancellation
    std::deque<std::string> log;         // lines without line ends
    std::map<int, std::string> sessions; // answers by session number
    std::deque<int> sessionOrder;        // oldest first
};

class StateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kStateFileName = "satemu-state.txt";

// Reads the state file; a missing file is a factory-new device. Throws
// StateError (with the line at fault) when the file cannot be read or is damaged.
DeviceState loadState(const std::filesystem::path& file);
std::string serializeState(const DeviceState& s);
DeviceState parseState(const std::string& text);
bool saveState(const std::filesystem::path& file, const DeviceState& s);

// Keeps the answer for the session query, dropping the oldest beyond the limits.
void rememberSession(DeviceState& s, int session, const std::string& answer);
void appendLogLine(DeviceState& s, std::string line);

} // namespace satemu

#endif
