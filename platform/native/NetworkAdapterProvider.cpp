#include "platform/native/NetworkAdapterProvider.h"

#include <algorithm>
#include <cstdio>

#include "platform/native/ClassSchema.h"
#include "platform/native/DeviceParsers.h"
#include "platform/native/NativeValues.h"
#include "platform/native/NetworkParsers.h"
#include "platform/native/TextFields.h"

namespace veskin {

WbemClassPtr NetworkAdapterClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_NetworkAdapter");
    return cls;
}

WbemClassPtr NetworkAdapterConfigurationClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_NetworkAdapterConfiguration");
    return cls;
}

namespace {

std::optional<std::string> LastPathPart(const std::optional<std::string>& link) {
    if (!link || link->empty()) return std::nullopt;
    return link->substr(link->find_last_of('/') + 1);
}

// udev's record of the interface ("n2"): the names of its hardware database.
void ReadHardwareNames(const SystemFiles& files, NetAdapterInfo& a) {
    const auto udev = ParseUdevProperties(files.Read("run/udev/data/n" + std::to_string(a.IfIndex), 64 * 1024).value_or(""));
    for (const auto& [key, target] : {std::pair{"ID_MODEL_FROM_DATABASE", &a.Product}, std::pair{"ID_VENDOR_FROM_DATABASE", &a.Vendor}})
        if (auto it = udev.find(key); it != udev.end() && !it->second.empty()) *target = it->second;
}

}  // namespace

std::vector<NetAdapterInfo> ReadNetAdapters(const NativeContext& context) {
    const SystemFiles& files = context.Files();
    std::vector<NetAdapterInfo> out;
    for (const auto& name : files.Entries("sys/class/net")) {
        const std::string dir = "sys/class/net/" + name + "/";
        auto index = ToU64(files.ReadLine(dir + "ifindex").value_or(""));
        if (!index || *index == 0 || *index > 0xFFFFFFFFu) continue;
        NetAdapterInfo a;
        a.Name = name;
        a.IfIndex = static_cast<std::uint32_t>(*index);
        if (auto type = ToU64(files.ReadLine(dir + "type").value_or("")); type && *type <= 0xFFFFu)
            a.ArpType = static_cast<std::uint32_t>(*type);
        a.Flags = ParseSysfsHex(files.ReadLine(dir + "flags").value_or(""));
        a.OperState = files.ReadLine(dir + "operstate");
        // Reading "carrier" fails while the interface is down; nothing is known then.
        if (auto carrier = files.ReadLine(dir + "carrier"); carrier && (*carrier == "0" || *carrier == "1"))
            a.Carrier = *carrier == "1";
        a.Mac = MacAddressText(files.ReadLine(dir + "address").value_or(""));
        if (auto speed = files.Read(dir + "speed", 256)) a.SpeedMbits = ParseLinkSpeed(*speed);
        a.Mtu = ToU64(files.ReadLine(dir + "mtu").value_or(""));
        a.Physical = files.ReadLink(dir + "device").has_value();
        a.Driver = LastPathPart(files.ReadLink(dir + "device/driver"));
        ReadHardwareNames(files, a);
        out.push_back(std::move(a));
    }
    std::sort(out.begin(), out.end(), [](const NetAdapterInfo& x, const NetAdapterInfo& y) { return x.IfIndex < y.IfIndex; });
    return out;
}

std::optional<AdapterMedium> AdapterMediumOf(std::uint32_t arpType) {
    switch (arpType) {
        case 1: return AdapterMedium{"Ethernet 802.3", 0};  // ARPHRD_ETHER (Wi-Fi too, as on Windows)
        case 6:
        case 800: return AdapterMedium{"Token Ring 802.5", 1};  // ARPHRD_IEEE802, _IEEE802_TR
        case 774: return AdapterMedium{"Fiber Distributed Data Interface (FDDI)", 2};
        case 512:
        case 513: return AdapterMedium{"Wide Area Network (WAN)", 3};  // PPP, Cisco HDLC
        case 7: return AdapterMedium{"ARCNET", 6};
        case 19: return AdapterMedium{"ATM", 8};
        case 801:
        case 802:
        case 803: return AdapterMedium{"Wireless", 9};            // 802.11 monitor interfaces
        case 783: return AdapterMedium{"Infrared Wireless", 10};  // ARPHRD_IRDA
        case 24: return AdapterMedium{"1394", 13};                // ARPHRD_IEEE1394
        default: return std::nullopt;
    }
}

std::optional<std::uint32_t> NetConnectionStatusOf(const NetAdapterInfo& a) {
    if (!a.Flags) return std::nullopt;
    if (!a.IsUp()) return 0;  // Disconnected: switched off by the administrator
    const std::string state = a.OperState.value_or("");
    if (state == "up") return 2;                                 // Connected
    if (state == "dormant") return 8;                            // Authenticating (802.1X, Wi-Fi association)
    if (state == "notpresent") return 4;                         // Hardware not present
    if (state == "down" || state == "lowerlayerdown") return 7;  // Media disconnected
    // "unknown" (loopback, tunnels): the carrier decides.
    if (a.Carrier) return *a.Carrier ? 2 : 7;
    return std::nullopt;
}

namespace {

// "[00000002] Intel(R) Ethernet ...": Windows' caption of an adapter and its setting.
std::string CaptionOf(std::uint32_t index, const std::string& description) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "[%08u] ", index);
    return prefix + description;
}

std::string DescriptionOf(const NetAdapterInfo& a) { return a.Product.value_or(a.Name); }

}  // namespace

WbemObjectProducer EnumerateNetworkAdapters(std::shared_ptr<const NativeContext> context) {
    const WbemClassPtr& cls = NetworkAdapterClass();
    std::vector<WbemObjectPtr> out;
    for (const NetAdapterInfo& a : ReadNetAdapters(*context)) {
        ValueRow row(cls);
        auto medium = a.ArpType ? AdapterMediumOf(*a.ArpType) : std::nullopt;
        row.Set("AdapterType", StrValue(medium ? std::optional<std::string>(medium->Text) : std::nullopt));
        row.Set("AdapterTypeID", U16Value(medium ? std::optional<std::uint32_t>(medium->Id) : std::nullopt));
        const std::string description = DescriptionOf(a);
        row.Set("Caption", StrValue(CaptionOf(a.IfIndex, description)));
        row.Set("ConfigManagerErrorCode", U32Value(0));  // the kernel has the device working
        row.Set("CreationClassName", StrValue("Win32_NetworkAdapter"));
        row.Set("Description", StrValue(description));
        row.Set("DeviceID", StrValue(std::to_string(a.IfIndex)));
        row.Set("Index", U32Value(a.IfIndex));
        row.Set("Installed", BoolValue(true));
        row.Set("InterfaceIndex", U32Value(a.IfIndex));
        row.Set("MACAddress", StrValue(a.Mac));
        row.Set("Manufacturer", StrValue(a.Vendor));
        row.Set("Name", StrValue(description));
        row.Set("NetConnectionID", StrValue(a.Name));
        row.Set("NetConnectionStatus", U16Value(NetConnectionStatusOf(a)));
        row.Set("NetEnabled", BoolValue(a.Flags ? std::optional<bool>(a.IsUp()) : std::nullopt));
        row.Set("PhysicalAdapter", BoolValue(a.Physical));
        row.Set("ProductName", StrValue(a.Product));
        row.Set("ServiceName", StrValue(a.Driver));
        row.Set("Speed", U64Value(a.SpeedMbits ? std::optional<std::uint64_t>(*a.SpeedMbits * 1000000) : std::nullopt));
        row.Set("SystemCreationClassName", StrValue("Win32_ComputerSystem"));
        row.Set("SystemName", StrValue(context->HostName()));
        out.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    return ProduceList(std::move(out));
}

namespace {

Variant StrArray(const std::vector<std::string>& items) {
    if (items.empty()) return Variant::Null();
    std::vector<Variant> v;
    for (const auto& s : items) v.push_back(StrValue(s));
    return Variant::ArrayOf(std::move(v));
}

// The resolver's configuration; behind systemd-resolved's local stub, the servers it
// forwards to.
ResolverConfig ReadResolver(const SystemFiles& files) {
    ResolverConfig config = ParseResolvConf(files.Read("etc/resolv.conf", 64 * 1024).value_or(""));
    if (config.NameServers.size() == 1 && config.NameServers[0] == "127.0.0.53") {
        if (auto upstream = files.Read("run/systemd/resolve/resolv.conf", 64 * 1024)) {
            ResolverConfig resolved = ParseResolvConf(*upstream);
            config.NameServers = resolved.NameServers;
        }
    }
    return config;
}

// The DHCP lease that gave one of the interface's addresses: systemd-networkd's,
// NetworkManager's or dhclient's.
std::optional<DhcpLease> FindLease(const SystemFiles& files, const NetAdapterInfo& a,
                                   const std::vector<std::string>& addresses) {
    auto current = [&addresses](const std::optional<DhcpLease>& lease) {
        return lease && std::find(addresses.begin(), addresses.end(), lease->Address) != addresses.end();
    };
    std::optional<DhcpLease> lease;
    if (auto text = files.Read("run/systemd/netif/leases/" + std::to_string(a.IfIndex), 64 * 1024))
        if (lease = ParseKeyValueLease(*text); current(lease)) return lease;
    const std::string nmSuffix = "-" + a.Name + ".lease";
    for (const auto& entry : files.Entries("var/lib/NetworkManager")) {
        if (entry.size() <= nmSuffix.size() || entry.compare(entry.size() - nmSuffix.size(), nmSuffix.size(), nmSuffix) != 0)
            continue;
        if (auto text = files.Read("var/lib/NetworkManager/" + entry, 64 * 1024))
            if (lease = ParseKeyValueLease(*text); current(lease)) return lease;
    }
    for (const auto& entry : files.Entries("var/lib/dhcp")) {
        if (entry.rfind("dhclient", 0) != 0) continue;
        if (auto text = files.Read("var/lib/dhcp/" + entry))
            if (lease = ParseDhclientLeases(*text, a.Name); current(lease)) return lease;
    }
    return std::nullopt;
}

// The system-wide TCP/IP settings that Windows reports on every IP-enabled adapter.
struct TcpIpSettings {
    std::optional<std::uint32_t> DefaultTtl;
    std::optional<std::uint64_t> KeepAliveSeconds, KeepAliveIntervalSeconds, SynRetries, DataRetries;
    std::optional<bool> PmtuDiscovery;
    static TcpIpSettings Read(const SystemFiles& files) {
        auto number = [&files](const char* name) {
            return ToU64(files.ReadLine(std::string("proc/sys/net/ipv4/") + name).value_or(""));
        };
        TcpIpSettings s;
        if (auto ttl = number("ip_default_ttl")) s.DefaultTtl = static_cast<std::uint32_t>(std::min<std::uint64_t>(*ttl, 255));
        s.KeepAliveSeconds = number("tcp_keepalive_time");
        s.KeepAliveIntervalSeconds = number("tcp_keepalive_intvl");
        s.SynRetries = number("tcp_syn_retries");
        s.DataRetries = number("tcp_retries2");
        if (auto noPmtu = number("ip_no_pmtu_disc")) s.PmtuDiscovery = *noPmtu == 0;
        return s;
    }
};

std::optional<std::uint64_t> Millis(const std::optional<std::uint64_t>& seconds) {
    return seconds ? std::optional<std::uint64_t>(*seconds * 1000) : std::nullopt;
}

}  // namespace

WbemObjectProducer EnumerateNetworkAdapterConfigurations(std::shared_ptr<const NativeContext> context) {
    const SystemFiles& files = context->Files();
    const WbemClassPtr& cls = NetworkAdapterConfigurationClass();
    const std::vector<InterfaceAddress> addresses = context->InterfaceAddresses();
    std::vector<DefaultRoute> gateways = ParseIpv4DefaultRoutes(files.Read("proc/net/route").value_or(""));
    for (auto& r : ParseIpv6DefaultRoutes(files.Read("proc/net/ipv6_route").value_or(""))) gateways.push_back(std::move(r));
    const ResolverConfig resolver = ReadResolver(files);
    const TcpIpSettings tcp = TcpIpSettings::Read(files);
    std::string hostName = context->HostName();
    hostName = hostName.substr(0, hostName.find('.'));
    std::vector<WbemObjectPtr> out;
    for (const NetAdapterInfo& a : ReadNetAdapters(*context)) {
        ValueRow row(cls);
        // Windows lists the IPv4 addresses first, IPv6 prefixes as their length.
        std::vector<std::string> ips, subnets, ipv4;
        for (bool v6 : {false, true}) {
            for (const auto& addr : addresses) {
                // IPv4 addresses with a label ("eth0:1") belong to their interface too.
                const bool ours = addr.Interface == a.Name ||
                                  (addr.Interface.size() > a.Name.size() && addr.Interface.rfind(a.Name + ":", 0) == 0);
                if (!ours || addr.Ipv6 != v6) continue;
                ips.push_back(addr.Address);
                subnets.push_back(v6 ? std::to_string(addr.PrefixLength) : Ipv4MaskText(addr.PrefixLength).value_or(""));
                if (!v6) ipv4.push_back(addr.Address);
            }
        }
        std::vector<std::string> gatewayTexts;
        std::vector<Variant> metrics;
        for (const auto& g : gateways) {
            if (g.Interface != a.Name) continue;
            gatewayTexts.push_back(g.Gateway);
            metrics.push_back(U16Value(g.Metric));
        }
        const bool ipEnabled = !ips.empty();
        const std::string description = DescriptionOf(a);
        row.Set("Caption", StrValue(CaptionOf(a.IfIndex, description)));
        row.Set("Description", StrValue(description));
        row.Set("Index", U32Value(a.IfIndex));
        row.Set("InterfaceIndex", U32Value(a.IfIndex));
        row.Set("IPEnabled", BoolValue(ipEnabled));
        row.Set("IPAddress", StrArray(ips));
        row.Set("IPSubnet", StrArray(subnets));
        row.Set("DefaultIPGateway", StrArray(gatewayTexts));
        row.Set("GatewayCostMetric", metrics.empty() ? Variant::Null() : Variant::ArrayOf(std::move(metrics)));
        row.Set("MACAddress", StrValue(a.Mac));
        row.Set("ServiceName", StrValue(a.Driver));
        if (auto lease = FindLease(files, a, ipv4)) {
            row.Set("DHCPEnabled", BoolValue(true));
            row.Set("DHCPServer", StrValue(lease->Server));
        } else if (a.IsLoopback()) {
            row.Set("DHCPEnabled", BoolValue(false));
        }
        if (ipEnabled) {
            row.Set("DatabasePath", StrValue("/etc"));  // hosts, networks, protocols, services
            row.Set("DefaultTTL", U8Value(tcp.DefaultTtl));
            row.Set("KeepAliveTime", U32Value(Millis(tcp.KeepAliveSeconds)));
            row.Set("KeepAliveInterval", U32Value(Millis(tcp.KeepAliveIntervalSeconds)));
            row.Set("MTU", U32Value(a.Mtu));
            row.Set("PMTUDiscoveryEnabled", BoolValue(tcp.PmtuDiscovery));
            row.Set("TcpMaxConnectRetransmissions", U32Value(tcp.SynRetries));
            row.Set("TcpMaxDataRetransmissions", U32Value(tcp.DataRetries));
            if (!a.IsLoopback()) {
                row.Set("DNSHostName", StrValue(hostName));
                row.Set("DNSDomain", StrValue(resolver.Domain));
                row.Set("DNSDomainSuffixSearchOrder", StrArray(resolver.Search));
                row.Set("DNSServerSearchOrder", StrArray(resolver.NameServers));
            }
        }
        out.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    return ProduceList(std::move(out));
}

}  // namespace veskin
