#include "state.h"

#include "platform.h"
#include "text.h"

#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

namespace satemu {

namespace {

constexpr const char* kHeader = "SATEMU-ESTADO 1";
constexpr std::size_t kMaxSessions = 200;
constexpr std::size_t kMaxSessionBytes = 8u * 1024u * 1024u;
constexpr std::size_t kMaxLogLines = 4000;
constexpr std::size_t kMaxLogBytes = 1024u * 1024u;

// Values are kept on one line: backslash, line ends and other control bytes
// are escaped; every other byte (also non-UTF-8 ones) is kept as it is.
std::string escape(const std::string& v) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(v.size());
    for (char ch : v) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '\\') {
            out += "\\\\";
        } else if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

bool unescape(const std::string& v, std::string& out) {
    out.clear();
    out.reserve(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\') {
            out += v[i];
            continue;
        }
        if (++i >= v.size())
            return false;
        switch (v[i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 'x': {
            if (i + 2 >= v.size())
                return false;
            int value = 0;
            for (int k = 1; k <= 2; ++k) {
                const char h = v[i + static_cast<std::size_t>(k)];
                int d = -1;
                if (h >= '0' && h <= '9')
                    d = h - '0';
                else if (h >= 'A' && h <= 'F')
                    d = h - 'A' + 10;
                if (d < 0)
                    return false;
                value = value * 16 + d;
            }
            out += static_cast<char>(value);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

bool isTimestamp(const std::string& v) {
    return v.empty() || isDigitsOfLength(v, 14);
}
bool isDate(const std::string& v) {
    return v.empty() || isDigitsOfLength(v, 8);
}
bool isCnpjOrEmpty(const std::string& v) {
    return v.empty() || isDigitsOfLength(v, 14);
}

bool parseInt(const std::string& v, long long lo, long long hi, long long& out) {
    if (v.empty() || v.size() > 18 || !allDigits(v))
        return false;
    out = std::stoll(v);
    return out >= lo && out <= hi;
}

struct Field {
    const char* key;
    std::function<std::string(const DeviceState&)> get;
    std::function<bool(DeviceState&, const std::string&)> set;
};

Field text(const char* key, std::string DeviceState::*member, bool (*valid)(const std::string&) = nullptr) {
    return {key, [member](const DeviceState& s) { return s.*member; },
            [member, valid](DeviceState& s, const std::string& v) {
                if (valid != nullptr && !valid(v))
                    return false;
                s.*member = v;
                return true;
            }};
}

Field net(const char* key, std::string NetworkSettings::*member) {
    return {key, [member](const DeviceState& s) { return s.network.*member; },
            [member](DeviceState& s, const std::string& v) {
                s.network.*member = v;
                return true;
            }};
}

template <typename T> Field number(const char* key, T DeviceState::*member, long long lo, long long hi) {
    return {key, [member](const DeviceState& s) { return std::to_string(s.*member); },
            [member, lo, hi](DeviceState& s, const std::string& v) {
                long long n = 0;
                if (!parseInt(v, lo, hi, n))
                    return false;
                s.*member = static_cast<T>(n);
                return true;
            }};
}

const std::vector<Field>& fields() {
    static const std::vector<Field> all = {
        text("serie", &DeviceState::serial, [](const std::string& v) { return isDigitsOfLength(v, 9); }),
        text("versao_sb", &DeviceState::firmware,
             [](const std::string& v) {
                 return v.size() == 8 && v[2] == '.' && v[5] == '.' && allDigits(v.substr(0, 2)) &&
                        allDigits(v.substr(3, 2)) && allDigits(v.substr(6, 2));
             }),
        {"ativado", [](const DeviceState& s) { return std::string(s.activated ? "1" : "0"); },
         [](DeviceState& s, const std::string& v) {
             if (v != "0" && v != "1")
                 return false;
             s.activated = v == "1";
             return true;
         }},
        text("codigo_ativacao", &DeviceState::activationCode),
        text("codigo_emergencia", &DeviceState::emergencyCode),
        text("cnpj_contribuinte", &DeviceState::taxpayerCnpj, isCnpjOrEmpty),
        number("uf", &DeviceState::uf, 0, 99),
        number("tipo_certificado", &DeviceState::certificateType, 0, 2),
        number("icp_pendente", &DeviceState::pendingIcp, 0, 3),
        text("icp_chave_csr", &DeviceState::requestKey,
             [](const std::string& v) { return v.empty() || base64Decode(v).has_value(); }),
        text("data_ativacao", &DeviceState::activatedAt, isTimestamp),
        text("cert_emissao", &DeviceState::certIssued, isDate),
        text("cert_vencimento", &DeviceState::certExpires, isDate),
        text("cnpj_software_house", &DeviceState::softwareHouseCnpj, isCnpjOrEmpty),
        text("assinatura_ac", &DeviceState::signature),
        number("estado_operacao", &DeviceState::blockState, 0, 4),
        net("rede.tipoInter", &NetworkSettings::tipoInter),
        net("rede.SSID", &NetworkSettings::ssid),
        net("rede.seg", &NetworkSettings::seg),
        net("rede.codigo", &NetworkSettings::codigo),
        net("rede.tipoLan", &NetworkSettings::tipoLan),
        net("rede.lanIP", &NetworkSettings::lanIP),
        net("rede.lanMask", &NetworkSettings::lanMask),
        net("rede.lanGW", &NetworkSettings::lanGW),
        net("rede.lanDNS1", &NetworkSettings::lanDNS1),
        net("rede.lanDNS2", &NetworkSettings::lanDNS2),
        net("rede.usuario", &NetworkSettings::usuario),
        net("rede.senha", &NetworkSettings::senha),
        net("rede.proxy", &NetworkSettings::proxy),
        net("rede.proxy_ip", &NetworkSettings::proxyIp),
        net("rede.proxy_porta", &NetworkSettings::proxyPorta),
        net("rede.proxy_user", &NetworkSettings::proxyUser),
        net("rede.proxy_senha", &NetworkSettings::proxySenha),
        text("driver", &DeviceState::driver),
        number("ultimo_ncfe", &DeviceState::lastCfeNumber, 0, 999999),
        number("cfe_emitidos", &DeviceState::cfeIssued, 0, 999999999999LL),
        number("memoria_usada", &DeviceState::cfeBytes, 0, 999999999999LL),
        text("ultimo_cfe", &DeviceState::lastCfeKey,
             [](const std::string& v) { return v.empty() || isDigitsOfLength(v, 44); }),
        text("dh_ultimo_cfe", &DeviceState::lastCfeAt, isTimestamp),
        text("dh_ultima_comunicacao", &DeviceState::lastSefazContactAt, isTimestamp),
        text("ultima_venda_chave", &DeviceState::lastSaleKey,
             [](const std::string& v) {
                 return v.empty() ||
                        (v.size() == 47 && v.compare(0, 3, "CFe") == 0 && allDigits(v.substr(3)));
             }),
        text("ultima_venda_dh", &DeviceState::lastSaleAt, isTimestamp),
        text("ultima_venda_cfe", &DeviceState::lastSaleCfe),
        text("ultima_sessao_fiscal", &DeviceState::lastFiscalAnswer),
    };
    return all;
}

} // namespace

std::string serializeState(const DeviceState& s) {
    std::string out;
    out += kHeader;
    out += "\n# Estado do SAT emulado (satemu). Apague este arquivo para voltar ao estado de fabrica.\n";
    for (const auto& f : fields()) {
        out += f.key;
        out += '=';
        out += escape(f.get(s));
        out += '\n';
    }
    out += "[log]\n";
    for (const auto& line : s.log) {
        out += escape(line);
        out += '\n';
    }
    out += "[sessoes]\n";
    for (int number : s.sessionOrder) {
        const auto it = s.sessions.find(number);
        if (it == s.sessions.end())
            continue;
        out += std::to_string(number);
        out += '=';
        out += escape(it->second);
        out += '\n';
    }
    out += "[fim]\n";
    return out;
}

DeviceState parseState(const std::string& text) {
    DeviceState s;
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    enum class Section { Header, Fields, Log, Sessions, End } section = Section::Header;
    auto damaged = [&](const std::string& why) {
        throw StateError("arquivo de estado danificado (linha " + std::to_string(lineNo) + ": " + why + ")");
    };
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (section == Section::End)
            damaged("conteúdo após [fim]");
        if (section == Section::Header) {
            if (line != kHeader)
                damaged("cabeçalho inválido");
            section = Section::Fields;
            continue;
        }
        if (line == "[log]" && section == Section::Fields) {
            section = Section::Log;
            continue;
        }
        if (line == "[sessoes]" && section == Section::Log) {
            section = Section::Sessions;
            continue;
        }
        if (line == "[fim]" && section == Section::Sessions) {
            section = Section::End;
            continue;
        }
        std::string value;
        switch (section) {
        case Section::Fields: {
            if (line.empty() || line[0] == '#')
                continue;
            const std::size_t eq = line.find('=');
            if (eq == std::string::npos)
                damaged("linha sem '='");
            const std::string key = line.substr(0, eq);
            const Field* field = nullptr;
            for (const auto& f : fields())
                if (key == f.key)
                    field = &f;
            if (field == nullptr)
                damaged("chave desconhecida " + printable(key, 40));
            if (!unescape(line.substr(eq + 1), value) || !field->set(s, value))
                damaged("valor inválido para " + key);
            break;
        }
        case Section::Log:
            if (!unescape(line, value))
                damaged("linha de log inválida");
            s.log.push_back(std::move(value));
            break;
        case Section::Sessions: {
            const std::size_t eq = line.find('=');
            long long number = 0;
            if (eq == std::string::npos || !parseInt(line.substr(0, eq), 1, 999999, number) ||
                !unescape(line.substr(eq + 1), value))
                damaged("sessão inválida");
            const int n = static_cast<int>(number);
            if (s.sessions.count(n) == 0)
                s.sessionOrder.push_back(n);
            s.sessions[n] = std::move(value);
            break;
        }
        default:
            damaged("seção inesperada");
        }
    }
    if (section != Section::End)
        damaged("arquivo incompleto: falta [fim]");
    if (s.activated && s.activationCode.empty())
        damaged("SAT ativado sem código de ativação");
    return s;
}

DeviceState loadState(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        if (ec)
            throw StateError("não foi possível ler o arquivo de estado");
        return DeviceState{};
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw StateError("não foi possível ler o arquivo de estado");
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
        throw StateError("não foi possível ler o arquivo de estado");
    return parseState(buffer.str());
}

bool saveState(const std::filesystem::path& file, const DeviceState& s) {
    std::error_code ec;
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), ec);
    return platform::replaceFileAtomically(file, serializeState(s));
}

void rememberSession(DeviceState& s, int session, const std::string& answer) {
    if (s.sessions.count(session) != 0) {
        for (auto it = s.sessionOrder.begin(); it != s.sessionOrder.end(); ++it)
            if (*it == session) {
                s.sessionOrder.erase(it);
                break;
            }
    }
    s.sessions[session] = answer;
    s.sessionOrder.push_back(session);
    std::size_t total = 0;
    for (const auto& [n, a] : s.sessions)
        total += a.size();
    while (s.sessionOrder.size() > 1 && (s.sessionOrder.size() > kMaxSessions || total > kMaxSessionBytes)) {
        const int oldest = s.sessionOrder.front();
        s.sessionOrder.pop_front();
        total -= s.sessions[oldest].size();
        s.sessions.erase(oldest);
    }
}

void appendLogLine(DeviceState& s, std::string line) {
    s.log.push_back(std::move(line));
    std::size_t total = 0;
    for (const auto& l : s.log)
        total += l.size() + 1;
    while (s.log.size() > 1 && (s.log.size() > kMaxLogLines || total > kMaxLogBytes)) {
        total -= s.log.front().size() + 1;
        s.log.pop_front();
    }
}

} // namespace satemu
