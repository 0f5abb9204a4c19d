// The network configuration document the device receives and the addresses
// it reports in its status.
#ifndef SATEMU_NETWORK_H
#define SATEMU_NETWORK_H

#include "state.h"

#include <stdexcept>
#include <string>

namespace satemu {

class NetworkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads and checks a <config> document; throws NetworkError saying which value is out of pattern.
NetworkSettings parseNetworkConfig(const std::string& document);

bool isIPv4(const std::string& s);

// The addresses the interface has now: the fixed ones, or those a DHCP
// server or the PPPoE provider would have handed out.
struct LanStatus {
    std::string ip, mask, gateway, dns1, dns2, mac;
};
LanStatus lanStatus(const DeviceState& s);

// An IPv4 address as the status report gives it, three digits per octet
// ("010.000.000.108"); anything else (an empty DNS 2) as it is.
std::string threeDigitOctets(const std::string& address);

} // namespace satemu

#endif
