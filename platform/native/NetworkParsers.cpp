#include "platform/native/NetworkParsers.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>

#include "platform/native/TextFields.h"

namespace veskin {

namespace {

constexpr std::uint32_t kRouteUp = 0x1, kRouteGateway = 0x2;

std::optional<std::uint32_t> Hex32(std::string_view text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    std::uint32_t v = 0;
    for (char c : text) {
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                             : c >= 'A' && c <= 'F'   ? c - 'A' + 10
                                                                      : -1;
        if (d < 0) return std::nullopt;
        v = v * 16 + static_cast<std::uint32_t>(d);
    }
    return v;
}

// 32 hexadecimal digits as IPv6 text.
std::optional<std::string> Ipv6FromHex(std::string_view hex) {
    if (hex.size() != 32) return std::nullopt;
    struct in6_addr addr {};
    for (std::size_t i = 0; i < 16; ++i) {
        auto byte = Hex32(hex.substr(i * 2, 2));
        if (!byte) return std::nullopt;
        addr.s6_addr[i] = static_cast<unsigned char>(*byte);
    }
    char text[INET6_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET6, &addr, text, sizeof text)) return std::nullopt;
    return std::string(text);
}

}  // namespace

std::vector<DefaultRoute> ParseIpv4DefaultRoutes(std::string_view text) {
    std::vector<DefaultRoute> out;
    for (std::string_view line : SplitLines(text)) {
        // Iface Destination Gateway Flags RefCnt Use Metric Mask MTU Window IRTT
        auto f = SplitFields(line);
        if (f.size() < 8) continue;
        auto dest = Hex32(f[1]), gateway = Hex32(f[2]), flags = Hex32(f[3]), mask = Hex32(f[7]);
        auto metric = ToU64(f[6]);
        if (!dest || !gateway || !flags || !mask || !metric || *metric > 0xFFFFFFFFu) continue;
        if (*dest != 0 || *mask != 0 || (*flags & (kRouteUp | kRouteGateway)) != (kRouteUp | kRouteGateway)) continue;
        struct in_addr addr {};
        std::memcpy(&addr.s_addr, &*gateway, 4);  // the kernel's in-memory (network) order
        char buf[INET_ADDRSTRLEN] = {};
        if (!::inet_ntop(AF_INET, &addr, buf, sizeof buf)) continue;
        out.push_back(DefaultRoute{std::string(f[0]), buf, static_cast<std::uint32_t>(*metric)});
    }
    return out;
}

std::vector<DefaultRoute> ParseIpv6DefaultRoutes(std::string_view text) {
    std::vector<DefaultRoute> out;
    for (std::string_view line : SplitLines(text)) {
        // dest prefix src srcprefix nexthop metric refcnt use flags iface
        auto f = SplitFields(line);
        if (f.size() < 10) continue;
        auto prefix = Hex32(f[1]), metric = Hex32(f[5]), flags = Hex32(f[8]);
        auto nextHop = Ipv6FromHex(f[4]);
        if (!prefix || !metric || !flags || !nextHop) continue;
        if (*prefix != 0 || f[0] != std::string_view("00000000000000000000000000000000")) continue;
        if ((*flags & (kRouteUp | kRouteGateway)) != (kRouteUp | kRouteGateway) || *nextHop == "::") continue;
        out.push_back(DefaultRoute{std::string(f[9]), *nextHop, *metric});
    }
    return out;
}

ResolverConfig ParseResolvConf(std::string_view text) {
    ResolverConfig config;
    std::optional<std::string> domain;
    for (std::string_view line : SplitLines(text)) {
        line = TrimBlanks(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        auto f = SplitFields(line);
        if (f.size() < 2) continue;
        if (f[0] == "nameserver") {
            config.NameServers.emplace_back(f[1]);
        } else if (f[0] == "domain") {
            domain = std::string(f[1]);
        } else if (f[0] == "search") {
            config.Search.clear();
            for (std::size_t i = 1; i < f.size() && f[i][0] != '#'; ++i) config.Search.emplace_back(f[i]);
        }
    }
    config.Domain = domain ? domain : config.Search.empty() ? std::nullopt
                                                            : std::optional<std::string>(config.Search[0]);
    return config;
}

std::optional<DhcpLease> ParseKeyValueLease(std::string_view text) {
    DhcpLease lease;
    for (std::string_view line : SplitLines(text)) {
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = TrimBlanks(line.substr(0, eq)), value = TrimBlanks(line.substr(eq + 1));
        if (key == "ADDRESS") lease.Address = std::string(value);
        if (key == "SERVER_ADDRESS" && !value.empty()) lease.Server = std::string(value);
    }
    if (lease.Address.empty()) return std::nullopt;
    return lease;
}

std::optional<DhcpLease> ParseDhclientLeases(std::string_view text, std::string_view interfaceName) {
    // One statement per line: "lease {", "  interface \"eth0\";", "  option
    // dhcp-server-identifier 192.0.2.1;", "}".
    std::optional<DhcpLease> found;
    std::optional<DhcpLease> block;
    bool ours = false;
    for (std::string_view line : SplitLines(text)) {
        line = TrimBlanks(line);
        if (!line.empty() && line.back() == ';') line.remove_suffix(1);
        auto f = SplitFields(line);
        if (f.size() == 2 && f[0] == "lease" && f[1] == "{") {
            block = DhcpLease{};
            ours = false;
        } else if (block && line == "}") {
            if (ours && !block->Address.empty()) found = block;
            block.reset();
        } else if (block && f.size() == 2 && f[0] == "interface") {
            // Compared without building a quoted copy (GCC 12 at -O3 reports a false
            // overlap for "\"" + text).
            const std::string_view quoted = f[1];
            ours = quoted.size() == interfaceName.size() + 2 && quoted.front() == '"' && quoted.back() == '"' &&
                   quoted.substr(1, interfaceName.size()) == interfaceName;
        } else if (block && f.size() == 2 && f[0] == "fixed-address") {
            block->Address = std::string(f[1]);
        } else if (block && f.size() == 3 && f[0] == "option" && f[1] == "dhcp-server-identifier") {
            block->Server = std::string(f[2]);
        }
    }
    return found;
}

std::optional<std::uint32_t> ParseSysfsHex(std::string_view text) {
    text = TrimBlanks(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    return Hex32(text);
}

std::optional<std::string> Ipv4MaskText(std::uint32_t prefixLength) {
    if (prefixLength > 32) return std::nullopt;
    std::uint32_t mask = prefixLength == 0 ? 0 : 0xFFFFFFFFu << (32 - prefixLength);
    return std::to_string(mask >> 24) + "." + std::to_string((mask >> 16) & 0xFF) + "." +
           std::to_string((mask >> 8) & 0xFF) + "." + std::to_string(mask & 0xFF);
}

std::optional<std::string> MacAddressText(std::string_view sysfsAddress) {
    std::string out;
    bool nonZero = false;
    auto parts = sysfsAddress;
    while (!parts.empty()) {
        std::size_t colon = parts.find(':');
        std::string_view part = parts.substr(0, colon);
        auto byte = Hex32(part);
        if (!byte || part.size() != 2) return std::nullopt;
        nonZero = nonZero || *byte != 0;
        for (char c : part) out.push_back(c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c);
        if (colon == std::string_view::npos) break;
        out.push_back(':');
        parts.remove_prefix(colon + 1);
        if (parts.empty()) return std::nullopt;
    }
    if (!nonZero) return std::nullopt;
    return out;
}

}  // namespace veskin
