#pragma once
// Parsers for the network files: /proc/net/route, /proc/net/ipv6_route, resolv.conf,
// DHCP lease files, and the address texts Windows shows (dotted masks, MAC addresses).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veskin {

// A route with a gateway to everywhere (0.0.0.0/0 or ::/0) through an interface.
struct DefaultRoute {
    std::string Interface;
    std::string Gateway;  // "192.0.2.1", "fe80::1"
    std::uint32_t Metric = 0;
};
// /proc/net/route: addresses in hexadecimal as the kernel holds them in memory (so the
// text depends on the machine's byte order). Routes that are down are left out.
std::vector<DefaultRoute> ParseIpv4DefaultRoutes(std::string_view text);
// /proc/net/ipv6_route: addresses as 32 hexadecimal digits in network order.
std::vector<DefaultRoute> ParseIpv6DefaultRoutes(std::string_view text);

struct ResolverConfig {
    std::vector<std::string> NameServers;  // in the file's order
    std::vector<std::string> Search;       // the last "search" line's domains
    std::optional<std::string> Domain;     // "domain", else the first search domain
};
ResolverConfig ParseResolvConf(std::string_view text);

// What a DHCP client's lease file tells: the address it leased and the server that
// gave it (a lease counts only while its address is still on the interface).
struct DhcpLease {
    std::string Address;
    std::optional<std::string> Server;
};
// systemd-networkd's and NetworkManager's KEY=value lease files.
std::optional<DhcpLease> ParseKeyValueLease(std::string_view text);
// dhclient's lease blocks; the last block for the interface counts.
std::optional<DhcpLease> ParseDhclientLeases(std::string_view text, std::string_view interfaceName);

// sysfs' hexadecimal numbers ("0x1003"); nothing when malformed.
std::optional<std::uint32_t> ParseSysfsHex(std::string_view text);

// "255.255.255.0" for 24; nothing above 32.
std::optional<std::string> Ipv4MaskText(std::uint32_t prefixLength);
// "02:FC:00:00:00:01" from sysfs' "02:fc:00:00:00:01"; nothing for an address that is
// malformed, empty or all zeros.
std::optional<std::string> MacAddressText(std::string_view sysfsAddress);

}  // namespace veskin
