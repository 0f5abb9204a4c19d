#include "network.h"

#include "text.h"
#include "xml.h"

#include <cstdint>
#include <set>

namespace satemu {

namespace {

[[noreturn]] void refuse(const std::string& why) {
    throw NetworkError(why);
}

std::uint32_t ipValue(const std::string& s) {
    std::uint32_t v = 0;
    for (const auto& part : split(s, '.'))
        v = (v << 8) | static_cast<std::uint32_t>(std::stoi(part));
    return v;
}

bool isNetmask(const std::string& s) {
    if (!isIPv4(s))
        return false;
    const std::uint32_t v = ipValue(s);
    const std::uint32_t inverted = ~v;
    return v != 0 && (inverted & (inverted + 1)) == 0;
}

} // namespace

bool isIPv4(const std::string& s) {
    const auto parts = split(s, '.');
    if (parts.size() != 4)
        return false;
    for (const auto& p : parts) {
        if (p.empty() || p.size() > 3 || !allDigits(p) || (p.size() > 1 && p[0] == '0') || std::stoi(p) > 255)
            return false;
    }
    return true;
}

NetworkSettings parseNetworkConfig(const std::string& document) {
    if (document.size() > 64 * 1024)
        refuse("documento de configuração grande demais");
    XmlElement root;
    try {
        root = parseXml(toUtf8(document));
    } catch (const XmlError& e) {
        refuse(e.what());
    }
    if (root.name != "config")
        refuse("o elemento raiz deve ser <config>");
    static const std::set<std::string> known = {
        "tipoInter", "SSID",     "seg",         "codigo",     "tipoLan",    "lanIP",
        "lanMask",   "lanGW",    "lanDNS1",     "lanDNS2",    "usuario",    "senha",
        "proxy",     "proxy_ip", "proxy_porta", "proxy_user", "proxy_senha"};
    std::set<std::string> seen;
    for (const auto& c : root.children) {
        if (known.count(c.name) == 0)
            refuse("elemento <" + printable(c.name, 40) + "> desconhecido");
        if (!seen.insert(c.name).second)
            refuse("elemento <" + c.name + "> repetido");
        if (!c.children.empty())
            refuse("elemento <" + c.name + "> não pode conter elementos");
    }
    auto value = [&](const char* name, std::size_t width, bool required) -> std::string {
        const XmlElement* e = root.child(name);
        if (e == nullptr) {
            if (required)
                refuse(std::string("elemento <") + name + "> ausente");
            return {};
        }
        if (utf8Length(e->text) > width)
            refuse(std::string("<") + name + "> com mais de " + std::to_string(width) + " caracteres");
        return e->text;
    };
    auto address = [&](const char* name, bool required) {
        std::string v = value(name, 15, required);
        if ((required || !v.empty()) && !isIPv4(v))
            refuse(std::string("<") + name + "> não é um endereço IPv4 válido ('" + printable(v, 20) + "')");
        return v;
    };

    NetworkSettings n;
    n.tipoInter = value("tipoInter", 4, true);
    if (n.tipoInter != "ETHE" && n.tipoInter != "WIFI")
        refuse("<tipoInter> deve ser ETHE ou WIFI");
    if (n.tipoInter == "WIFI") {
        n.ssid = value("SSID", 32, true);
        if (n.ssid.empty())
            refuse("<SSID> vazio");
        n.seg = value("seg", 8, true);
        if (n.seg != "NONE" && n.seg != "WEP" && n.seg != "WPA-PERS" && n.seg != "WPA PROF")
            refuse("<seg> deve ser NONE, WEP, WPA-PERS ou WPA PROF");
        if (n.seg != "NONE") {
            n.codigo = value("codigo", 64, true);
            if (n.codigo.empty())
                refuse("<codigo> vazio para rede sem fio protegida");
        }
    }
    n.tipoLan = value("tipoLan", 8, true);
    if (n.tipoLan == "IPFIX") {
        n.lanIP = address("lanIP", true);
        n.lanMask = value("lanMask", 15, true);
        if (!isNetmask(n.lanMask))
            refuse("<lanMask> não é uma máscara de rede válida ('" + printable(n.lanMask, 20) + "')");
        n.lanGW = address("lanGW", true);
        n.lanDNS1 = address("lanDNS1", true);
        n.lanDNS2 = address("lanDNS2", false);
        const std::uint32_t mask = ipValue(n.lanMask);
        if ((ipValue(n.lanIP) & mask) != (ipValue(n.lanGW) & mask))
            refuse("o gateway " + n.lanGW + " não pertence à rede de " + n.lanIP + "/" + n.lanMask);
        if (n.lanIP == n.lanGW)
            refuse("o endereço do SAT é igual ao do gateway");
    } else if (n.tipoLan == "PPPoE") {
        n.usuario = value("usuario", 64, true);
        if (n.usuario.empty())
            refuse("<usuario> vazio para PPPoE");
        n.senha = value("senha", 64, true);
    } else if (n.tipoLan != "DHCP") {
        refuse("<tipoLan> deve ser DHCP, IPFIX ou PPPoE");
    }
    n.proxy = value("proxy", 1, true);
    if (n.proxy != "0" && n.proxy != "1" && n.proxy != "2")
        refuse("<proxy> deve ser 0, 1 ou 2");
    if (n.proxy == "1") {
        n.proxyIp = address("proxy_ip", true);
        n.proxyPorta = value("proxy_porta", 5, true);
        if (n.proxyPorta.empty() || !allDigits(n.proxyPorta) || std::stoi(n.proxyPorta) < 1 ||
            std::stoi(n.proxyPorta) > 65535)
            refuse("<proxy_porta> deve ser um número de 1 a 65535");
        n.proxyUser = value("proxy_user", 64, true);
        n.proxySenha = value("proxy_senha", 64, true);
    }
    return n;
}

std::string threeDigitOctets(const std::string& address) {
    if (!isIPv4(address))
        return address;
    std::string out;
    for (const auto& octet : split(address, '.')) // one to three digits each
        out += (out.empty() ? "" : ".") + std::string(3 - octet.size(), '0') + octet;
    return out;
}

LanStatus lanStatus(const DeviceState& s) {
    LanStatus st;
    const long serial = std::stol(s.serial);
    static constexpr char hex[] = "0123456789ABCDEF";
    auto byte = [](long v) {
        std::string out;
        out += hex[(v >> 4) & 15];
        out += hex[v & 15];
        return out;
    };
    st.mac = "02:53:41:54:" + byte(serial >> 8) + ":" + byte(serial);
    const std::string host = std::to_string(100 + serial % 100);
    if (s.network.tipoLan == "IPFIX") {
        st.ip = s.network.lanIP;
        st.mask = s.network.lanMask;
        st.gateway = s.network.lanGW;
        st.dns1 = s.network.lanDNS1;
        st.dns2 = s.network.lanDNS2;
    } else if (s.network.tipoLan == "PPPoE") {
        st.ip = "100.64.10." + host;
        st.mask = "255.255.255.255";
        st.gateway = "100.64.0.1";
        st.dns1 = "100.64.0.53";
        st.dns2 = "100.64.0.54";
    } else {
        st.ip = "192.168.0." + host;
        st.mask = "255.255.255.0";
        st.gateway = "192.168.0.1";
        st.dns1 = "192.168.0.1";
        st.dns2 = "8.8.8.8";
    }
    return st;
}

} // namespace satemu
