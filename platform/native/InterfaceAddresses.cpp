#include "platform/native/InterfaceAddresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <bit>

namespace veskin {

namespace {

std::uint32_t PrefixOf(const unsigned char* mask, std::size_t bytes) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < bytes; ++i) bits += static_cast<std::uint32_t>(std::popcount(mask[i]));
    return bits;
}

}  // namespace

std::vector<InterfaceAddress> ReadSystemInterfaceAddresses() {
    std::vector<InterfaceAddress> out;
    struct ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return out;
    for (const struct ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || !a->ifa_name) continue;
        const int family = a->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6) continue;
        InterfaceAddress entry;
        entry.Interface = a->ifa_name;
        entry.Ipv6 = family == AF_INET6;
        char text[INET6_ADDRSTRLEN] = {};
        if (family == AF_INET) {
            const auto* in = reinterpret_cast<const struct sockaddr_in*>(a->ifa_addr);
            if (!::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) continue;
            if (a->ifa_netmask)
                entry.PrefixLength = PrefixOf(reinterpret_cast<const unsigned char*>(
                                                  &reinterpret_cast<const struct sockaddr_in*>(a->ifa_netmask)->sin_addr),
                                              4);
        } else {
            const auto* in6 = reinterpret_cast<const struct sockaddr_in6*>(a->ifa_addr);
            if (!::inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text)) continue;
            if (a->ifa_netmask)
                entry.PrefixLength = PrefixOf(
                    reinterpret_cast<const struct sockaddr_in6*>(a->ifa_netmask)->sin6_addr.s6_addr, 16);
        }
        entry.Address = text;
        out.push_back(std::move(entry));
    }
    ::freeifaddrs(list);
    return out;
}

}  // namespace veskin
