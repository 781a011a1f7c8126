#pragma once
// Where a WS-Management service listens: scheme, host, port and path, from the forms a
// user types as the computer name.
#include <cstdint>
#include <string>

namespace veskin {

struct WsmanEndpoint {
    bool Tls = false;
    std::string Host;  // a DNS name or an address; IPv6 without brackets
    std::uint16_t Port = 5985;
    std::string Path = "/wsman";

    // "http://host:5985/wsman"; an IPv6 address in brackets.
    std::string Url() const;
    // The Host header: "host:port" ("[::1]:5985").
    std::string HostHeader() const;
    // True when Host is an IPv4 or IPv6 address rather than a name.
    bool HostIsAddress() const;
};

// Accepts "host", "host:port", an IPv4 address, an IPv6 address bare or in brackets
// ("[::1]:5985"), "http://host[:port][/path]" and "https://host[:port][/path]" (scheme
// in any case; a leading "\\" is ignored). A bare name means http on 5985; https, or
// port 5986 without a scheme, means TLS (https defaults to 5986). False for text that
// is none of these (empty host, bad port, other schemes, blanks inside).
bool ParseWsmanEndpoint(const std::string& computer, WsmanEndpoint& endpoint);

}  // namespace veskin
