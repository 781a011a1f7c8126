#pragma once
// Win32_NetworkAdapter and Win32_NetworkAdapterConfiguration: one instance each per
// interface of sys/class/net, keyed by the kernel's interface index (Index, DeviceID),
// so that an adapter and its configuration share their index as on Windows.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr NetworkAdapterClass();
WbemClassPtr NetworkAdapterConfigurationClass();

// What sys/class/net/<name> tells of one interface.
struct NetAdapterInfo {
    std::string Name;  // "eth0": NetConnectionID
    std::uint32_t IfIndex = 0;
    std::optional<std::uint32_t> ArpType;  // the ARPHRD_* number of "type"
    std::optional<std::uint32_t> Flags;    // IFF_* of "flags"
    std::optional<std::string> OperState;
    std::optional<bool> Carrier;
    std::optional<std::string> Mac;  // as Windows writes it
    std::optional<std::uint64_t> SpeedMbits;
    std::optional<std::uint64_t> Mtu;
    bool Physical = false;                       // has a device link
    std::optional<std::string> Driver;           // the device's driver module
    std::optional<std::string> Product, Vendor;  // udev's hardware database
    bool IsLoopback() const { return ArpType == 772u; }
    bool IsUp() const { return Flags && (*Flags & 0x1u); }
};
// The interfaces in the order of their index; entries without an index (gone since the
// listing, or no interface) are left out.
std::vector<NetAdapterInfo> ReadNetAdapters(const NativeContext& context);

struct AdapterMedium {
    const char* Text;
    std::uint32_t Id;
};
// Windows' AdapterType / AdapterTypeID of a link type; nothing for loopback, tunnels and
// other types Windows has no medium for.
std::optional<AdapterMedium> AdapterMediumOf(std::uint32_t arpType);
// NetConnectionStatus from the interface's state.
std::optional<std::uint32_t> NetConnectionStatusOf(const NetAdapterInfo& adapter);

WbemObjectProducer EnumerateNetworkAdapters(std::shared_ptr<const NativeContext> context);
WbemObjectProducer EnumerateNetworkAdapterConfigurations(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
