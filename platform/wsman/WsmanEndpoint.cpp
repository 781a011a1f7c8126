#include "platform/wsman/WsmanEndpoint.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <string_view>

#include "rtl/TextFold.h"

namespace veskin {

namespace {

bool IsIPv6(const std::string& text) {
    in6_addr address{};
    return inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

bool IsIPv4(const std::string& text) {
    in_addr address{};
    return inet_pton(AF_INET, text.c_str(), &address) == 1;
}

// A DNS name: letters, digits, '-', '_' and '.' (no empty label at the start).
bool IsHostName(std::string_view text) {
    if (text.empty() || text.size() > 253 || text.front() == '.' || text.front() == '-') return false;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '-' && c != '_' && c != '.') return false;
    }
    return true;
}

bool ParsePort(std::string_view text, std::uint16_t& port) {
    if (text.empty() || text.size() > 5) return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

std::string WsmanEndpoint::Url() const {
    return std::string(Tls ? "https://" : "http://") + HostHeader() + Path;
}

std::string WsmanEndpoint::HostHeader() const {
    const std::string host = IsIPv6(Host) ? "[" + Host + "]" : Host;
    return host + ":" + std::to_string(Port);
}

bool WsmanEndpoint::HostIsAddress() const { return IsIPv4(Host) || IsIPv6(Host); }

bool ParseWsmanEndpoint(const std::string& computer, WsmanEndpoint& endpoint) {
    std::string_view text = computer;
    if (text.substr(0, 2) == "\\\\") text.remove_prefix(2);
    for (char c : text)
        if (std::isspace(static_cast<unsigned char>(c)) || std::iscntrl(static_cast<unsigned char>(c)))
            return false;

    WsmanEndpoint result;
    bool schemeGiven = false;
    if (SameText(text.substr(0, 8), "https://")) {
        result.Tls = true;
        result.Port = 5986;
        schemeGiven = true;
        text.remove_prefix(8);
    } else if (SameText(text.substr(0, 7), "http://")) {
        schemeGiven = true;
        text.remove_prefix(7);
    } else if (text.find("://") != std::string_view::npos) {
        return false;
    }

    // The path belongs to URLs only; "/" alone keeps the default.
    if (const auto slash = text.find('/'); slash != std::string_view::npos) {
        if (!schemeGiven) return false;
        const std::string_view path = text.substr(slash);
        if (path != "/") result.Path = std::string(path);
        text = text.substr(0, slash);
    }

    std::string_view portText;
    bool portGiven = false;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) return false;
        result.Host = std::string(text.substr(1, close - 1));
        if (!IsIPv6(result.Host)) return false;
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            portText = rest.substr(1);
            portGiven = true;
        }
    } else if (std::count(text.begin(), text.end(), ':') > 1) {
        // A bare IPv6 address has no port.
        result.Host = std::string(text);
        if (!IsIPv6(result.Host)) return false;
    } else {
        const auto colon = text.find(':');
        result.Host = std::string(text.substr(0, colon));
        if (colon != std::string_view::npos) {
            portText = text.substr(colon + 1);
            portGiven = true;
        }
        if (!IsHostName(result.Host)) return false;
    }
    if (portGiven) {
        if (!ParsePort(portText, result.Port)) return false;
        if (!schemeGiven && result.Port == 5986) result.Tls = true;
    }
    endpoint = std::move(result);
    return true;
}

}  // namespace veskin
