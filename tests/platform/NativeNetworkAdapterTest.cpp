// Win32_NetworkAdapter and Win32_NetworkAdapterConfiguration: from the fixture trees
// (with the addresses a fixture cannot hold handed in), and on this machine against
// what the kernel reports through ioctl and /proc/net/if_inet6.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/native/NetworkAdapterProvider.h"
#include "platform/native/NetworkParsers.h"
#include "tests/platform/NativeTestSupport.h"

namespace veskin {
namespace {

std::vector<InterfaceAddress> FixtureAddresses() {
    return {{"lo", false, "127.0.0.1", 8}, {"eth0", false, "192.168.1.20", 24}, {"lo", true, "::1", 128}, {"eth0", true, "fe80::5054:ff:fe12:3456", 64}, {"eth0:1", false, "192.168.1.21", 24}, {"wlan7", false, "10.9.9.9", 8}};
}

Service ConnectWithAddresses(const char* tree) {
    return Connect(std::make_shared<const NativeContext>(FixtureRoot(tree), [] { return FixtureAddresses(); }));
}

TEST(NativeNetworkAdapters, AdaptersFromFixture) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto adapters = All(s.Services, "SELECT * FROM Win32_NetworkAdapter");
    ASSERT_EQ(adapters.size(), 3u);  // lo, eth0, eth1 by index; bonding_masters is no interface
    const auto& lo = adapters[0];
    EXPECT_EQ(Val(lo, "NetConnectionID"), "lo");
    EXPECT_EQ(Val(lo, "AdapterType"), "<null>");
    EXPECT_EQ(Val(lo, "MACAddress"), "<null>");      // all zeros
    EXPECT_EQ(Val(lo, "NetConnectionStatus"), "2");  // state "unknown", carrier up
    EXPECT_EQ(Val(lo, "PhysicalAdapter"), "FALSE");
    const auto& eth0 = adapters[1];
    EXPECT_EQ(Val(eth0, "DeviceID"), "2");
    EXPECT_EQ(Val(eth0, "__RELPATH"), "Win32_NetworkAdapter.DeviceID=\"2\"");
    EXPECT_EQ(Val(eth0, "Index"), "2");
    EXPECT_EQ(Val(eth0, "InterfaceIndex"), "2");
    EXPECT_EQ(Val(eth0, "NetConnectionID"), "eth0");
    EXPECT_EQ(Val(eth0, "Name"), "Ethernet Connection (7) I219-LM");
    EXPECT_EQ(Val(eth0, "Caption"), "[00000002] Ethernet Connection (7) I219-LM");
    EXPECT_EQ(Val(eth0, "Manufacturer"), "Intel Corporation");
    EXPECT_EQ(Val(eth0, "MACAddress"), "52:54:00:12:34:56");
    EXPECT_EQ(Val(eth0, "AdapterType"), "Ethernet 802.3");
    EXPECT_EQ(Val(eth0, "AdapterTypeID"), "0");
    EXPECT_EQ(Val(eth0, "Speed"), "1000000000");
    EXPECT_EQ(Val(eth0, "NetEnabled"), "TRUE");
    EXPECT_EQ(Val(eth0, "NetConnectionStatus"), "2");
    EXPECT_EQ(Val(eth0, "PhysicalAdapter"), "TRUE");
    EXPECT_EQ(Val(eth0, "ServiceName"), "e1000e");
    EXPECT_EQ(Val(eth0, "GUID"), "<null>");
    const auto& eth1 = adapters[2];
    EXPECT_EQ(Val(eth1, "Name"), "eth1");  // no hardware database entry
    EXPECT_EQ(Val(eth1, "ProductName"), "<null>");
    EXPECT_EQ(Val(eth1, "NetEnabled"), "FALSE");
    EXPECT_EQ(Val(eth1, "NetConnectionStatus"), "0");
    EXPECT_EQ(Val(eth1, "Speed"), "<null>");  // -1: unknown
    EXPECT_EQ(Val(eth1, "PhysicalAdapter"), "FALSE");
    EXPECT_EQ(All(s.Services, "SELECT * FROM CIM_NetworkAdapter").size(), 3u);
    auto byName = All(s.Services, "SELECT DeviceID FROM Win32_NetworkAdapter WHERE NetConnectionID = 'eth1'");
    ASSERT_EQ(byName.size(), 1u);
    EXPECT_EQ(Val(byName[0], "DeviceID"), "3");

    // Unreadable values give nulls; an entry without an index is left out.
    Service broken = Connect(FixtureRoot("native-broken"));
    auto bad = All(broken.Services, "SELECT * FROM Win32_NetworkAdapter");
    ASSERT_EQ(bad.size(), 1u);
    for (const char* p : {"AdapterType", "MACAddress", "NetEnabled", "NetConnectionStatus", "Speed"})
        EXPECT_EQ(Val(bad[0], p), "<null>") << p;
    EXPECT_EQ(Val(bad[0], "NetConnectionID"), "eth9");
}

TEST(NativeNetworkAdapters, ConfigurationsFromFixture) {
    Service s = ConnectWithAddresses("native-basic");
    auto configs = All(s.Services, "SELECT * FROM Win32_NetworkAdapterConfiguration");
    ASSERT_EQ(configs.size(), 3u);
    const auto& lo = configs[0];
    EXPECT_EQ(Items(lo, "IPAddress"), "127.0.0.1,::1");
    EXPECT_EQ(Items(lo, "IPSubnet"), "255.0.0.0,128");
    EXPECT_EQ(Val(lo, "DHCPEnabled"), "FALSE");
    EXPECT_EQ(Items(lo, "DNSServerSearchOrder"), "<null>");
    EXPECT_EQ(Items(lo, "DefaultIPGateway"), "<null>");  // the unreachable ::/0 route is none
    const auto& eth0 = configs[1];
    EXPECT_EQ(Val(eth0, "__RELPATH"), "Win32_NetworkAdapterConfiguration.Index=2");
    EXPECT_EQ(Val(eth0, "IPEnabled"), "TRUE");
    EXPECT_EQ(Items(eth0, "IPAddress"), "192.168.1.20,192.168.1.21,fe80::5054:ff:fe12:3456");
    EXPECT_EQ(Items(eth0, "IPSubnet"), "255.255.255.0,255.255.255.0,64");
    EXPECT_EQ(Items(eth0, "DefaultIPGateway"), "192.168.1.1,fe80::1");
    EXPECT_EQ(Items(eth0, "GatewayCostMetric"), "100,1024");
    EXPECT_EQ(Val(eth0, "DHCPEnabled"), "TRUE");
    EXPECT_EQ(Val(eth0, "DHCPServer"), "192.168.1.1");
    // Behind systemd-resolved's stub, the servers it asks.
    EXPECT_EQ(Items(eth0, "DNSServerSearchOrder"), "192.168.1.1,2001:db8::53");
    EXPECT_EQ(Items(eth0, "DNSDomainSuffixSearchOrder"), "example.test,lab.example.test");
    EXPECT_EQ(Val(eth0, "DNSDomain"), "example.test");
    EXPECT_EQ(Val(eth0, "DNSHostName"), "fixturehost");
    EXPECT_EQ(Val(eth0, "MACAddress"), "52:54:00:12:34:56");
    EXPECT_EQ(Val(eth0, "MTU"), "1500");
    EXPECT_EQ(Val(eth0, "DefaultTTL"), "64");
    EXPECT_EQ(Val(eth0, "KeepAliveTime"), "7200000");
    EXPECT_EQ(Val(eth0, "KeepAliveInterval"), "75000");
    EXPECT_EQ(Val(eth0, "PMTUDiscoveryEnabled"), "TRUE");
    EXPECT_EQ(Val(eth0, "WINSPrimaryServer"), "<null>");
    const auto& eth1 = configs[2];
    EXPECT_EQ(Val(eth1, "IPEnabled"), "FALSE");
    EXPECT_EQ(Items(eth1, "IPAddress"), "<null>");
    EXPECT_EQ(Items(eth1, "DefaultIPGateway"), "<null>");  // its default route is down
    EXPECT_EQ(Val(eth1, "DHCPEnabled"), "<null>");         // no lease: static or unknown
    EXPECT_EQ(Val(eth1, "MTU"), "<null>");                 // settings of IP only where IP is bound
    EXPECT_EQ(All(s.Services, "SELECT Index FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = TRUE").size(), 2u);

    // Damaged routes, resolver and lease files give nothing; a lease whose address the
    // interface no longer has does not count.
    Service broken = ConnectWithAddresses("native-broken");
    auto bad = All(broken.Services, "SELECT * FROM Win32_NetworkAdapterConfiguration");
    ASSERT_EQ(bad.size(), 1u);
    EXPECT_EQ(Val(bad[0], "IPEnabled"), "FALSE");
    for (const char* p : {"DefaultIPGateway", "DNSServerSearchOrder", "DHCPEnabled", "MACAddress", "MTU"})
        EXPECT_EQ(Val(bad[0], p), "<null>") << p;
}

TEST(NativeNetworkAdapters, NetworkFileParsers) {
    EXPECT_EQ(MacAddressText("0a:1b:2c:3d:4e:5f"), "0A:1B:2C:3D:4E:5F");
    for (const char* bad : {"", "00:00:00:00:00:00", "0a:1b:", "0a:1b:2c:3d:4e:5", "zz:00"})
        EXPECT_FALSE(MacAddressText(bad)) << bad;
    EXPECT_EQ(Ipv4MaskText(0), "0.0.0.0");
    EXPECT_EQ(Ipv4MaskText(32), "255.255.255.255");
    EXPECT_EQ(Ipv4MaskText(20), "255.255.240.0");
    EXPECT_FALSE(Ipv4MaskText(33));
    EXPECT_EQ(ParseSysfsHex("0x1003\n"), 0x1003u);
    EXPECT_FALSE(ParseSysfsHex("0x"));

    auto resolver = ParseResolvConf("domain corp.test\nsearch a.test b.test\n; comment\nnameserver 10.0.0.1\nnameserver\n");
    EXPECT_EQ(resolver.Domain, "corp.test");
    EXPECT_EQ(resolver.NameServers, std::vector<std::string>{"10.0.0.1"});
    EXPECT_EQ(resolver.Search.size(), 2u);
    EXPECT_FALSE(ParseResolvConf("").Domain);

    // The last lease of the interface counts; other interfaces' and unfinished blocks not.
    const char* leases =
        "lease {\n  interface \"eth0\";\n  fixed-address 10.0.0.5;\n  option dhcp-server-identifier 10.0.0.1;\n}\n"
        "lease {\n  interface \"eth1\";\n  fixed-address 10.1.0.5;\n  option dhcp-server-identifier 10.1.0.1;\n}\n"
        "lease {\n  interface \"eth0\";\n  fixed-address 10.0.0.6;\n  option dhcp-server-identifier 10.0.0.2;\n}\n"
        "lease {\n  interface \"eth0\";\n  fixed-address 10.0.0.7;\n";
    auto lease = ParseDhclientLeases(leases, "eth0");
    ASSERT_TRUE(lease);
    EXPECT_EQ(lease->Address, "10.0.0.6");
    EXPECT_EQ(lease->Server, "10.0.0.2");
    EXPECT_FALSE(ParseDhclientLeases(leases, "eth"));
    EXPECT_FALSE(ParseKeyValueLease("SERVER_ADDRESS=10.0.0.1\n"));  // no address leased
}

// The kernel's own answers, without getifaddrs: ioctl for IPv4 and link addresses,
// /proc/net/if_inet6 for IPv6.
struct KernelInterface {
    std::set<std::string> Addresses;  // "address/subnet" as Windows writes them
    std::string Mac;
};

std::map<std::string, KernelInterface> KernelInterfaces() {
    std::map<std::string, KernelInterface> out;
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return out;
    struct if_nameindex* names = ::if_nameindex();
    for (auto* n = names; n && n->if_index != 0; ++n) {
        KernelInterface& k = out[n->if_name];
        struct ifreq req {};
        std::snprintf(req.ifr_name, IFNAMSIZ, "%s", n->if_name);
        if (::ioctl(fd, SIOCGIFHWADDR, &req) == 0 && req.ifr_hwaddr.sa_family == 1) {
            char mac[18];
            const auto* b = reinterpret_cast<const unsigned char*>(req.ifr_hwaddr.sa_data);
            std::snprintf(mac, sizeof mac, "%02X:%02X:%02X:%02X:%02X:%02X", b[0], b[1], b[2], b[3], b[4], b[5]);
            if (std::string(mac) != "00:00:00:00:00:00") k.Mac = mac;
        }
    }
    if (names) ::if_freenameindex(names);
    struct ifreq reqs[64];
    struct ifconf conf {};
    conf.ifc_len = sizeof reqs;
    conf.ifc_req = reqs;
    if (::ioctl(fd, SIOCGIFCONF, &conf) == 0) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(conf.ifc_len) / sizeof(struct ifreq); ++i) {
            char addr[INET_ADDRSTRLEN], mask[INET_ADDRSTRLEN];
            ::inet_ntop(AF_INET, &reinterpret_cast<struct sockaddr_in*>(&reqs[i].ifr_addr)->sin_addr, addr, sizeof addr);
            struct ifreq m = reqs[i];
            if (::ioctl(fd, SIOCGIFNETMASK, &m) != 0) continue;
            ::inet_ntop(AF_INET, &reinterpret_cast<struct sockaddr_in*>(&m.ifr_netmask)->sin_addr, mask, sizeof mask);
            std::string name = reqs[i].ifr_name;
            out[name.substr(0, name.find(':'))].Addresses.insert(std::string(addr) + "/" + mask);
        }
    }
    ::close(fd);
    std::ifstream inet6("/proc/net/if_inet6");
    std::string hex, index, prefix, scope, flags, name;
    while (inet6 >> hex >> index >> prefix >> scope >> flags >> name) {
        struct in6_addr a {};
        for (int i = 0; i < 16; ++i) a.s6_addr[i] = static_cast<unsigned char>(std::stoul(hex.substr(i * 2, 2), nullptr, 16));
        char text[INET6_ADDRSTRLEN];
        ::inet_ntop(AF_INET6, &a, text, sizeof text);
        out[name].Addresses.insert(std::string(text) + "/" + std::to_string(std::stoul(prefix, nullptr, 16)));
    }
    return out;
}

TEST(NativeNetworkAdaptersRealSystem, AgreesWithTheKernel) {
    Service s = Connect(std::make_shared<const NativeContext>("/"));
    auto kernel = KernelInterfaces();
    auto adapters = All(s.Services, "SELECT * FROM Win32_NetworkAdapter");
    ASSERT_EQ(adapters.size(), kernel.size());
    for (const auto& a : adapters) {
        const std::string name = Val(a, "NetConnectionID");
        ASSERT_TRUE(kernel.count(name)) << name;
        EXPECT_EQ(Val(a, "InterfaceIndex"), std::to_string(::if_nametoindex(name.c_str()))) << name;
        EXPECT_EQ(Val(a, "MACAddress"), kernel[name].Mac.empty() ? "<null>" : kernel[name].Mac) << name;
    }
    for (const auto& c : All(s.Services, "SELECT * FROM Win32_NetworkAdapterConfiguration")) {
        const std::string name = Val(All(s.Services, ("SELECT NetConnectionID FROM Win32_NetworkAdapter WHERE DeviceID = '" +
                                                      Val(c, "Index") + "'")
                                                         .c_str())
                                         .at(0),
                                     "NetConnectionID");
        std::set<std::string> reported;
        std::istringstream ips(Items(c, "IPAddress")), subnets(Items(c, "IPSubnet"));
        std::string ip, subnet;
        while (std::getline(ips, ip, ',') && std::getline(subnets, subnet, ','))
            if (ip != "<null>") reported.insert(ip + "/" + subnet);
        EXPECT_EQ(reported, kernel[name].Addresses) << name;
        EXPECT_EQ(Val(c, "IPEnabled"), reported.empty() ? "FALSE" : "TRUE") << name;
    }
}

}  // namespace
}  // namespace veskin
