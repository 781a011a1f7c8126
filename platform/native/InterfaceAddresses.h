#pragma once
// The IP addresses of the network interfaces. The kernel gives them only through a
// system call (getifaddrs), not as files, so the native service reads them there on
// the real root; a service over a fixture tree is handed its addresses instead.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace veskin {

struct InterfaceAddress {
    std::string Interface;  // "eth0"
    bool Ipv6 = false;
    std::string Address;             // "192.0.2.10", "fe80::1" (without a zone)
    std::uint32_t PrefixLength = 0;  // from the netmask
};

using InterfaceAddressReader = std::function<std::vector<InterfaceAddress>()>;

// This computer's addresses, in the order the kernel lists them.
std::vector<InterfaceAddress> ReadSystemInterfaceAddresses();

}  // namespace veskin
