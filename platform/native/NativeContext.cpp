#include "platform/native/NativeContext.h"

#include <sys/utsname.h>
#include <unistd.h>

#include "platform/native/DeviceParsers.h"
#include "platform/native/SystemParsers.h"

namespace veskin {

NativeContext::NativeContext(std::string root) : FFiles(std::move(root)) {
    FClockTicks = ::sysconf(_SC_CLK_TCK);
    if (FClockTicks <= 0) FClockTicks = 100;
    FPageSize = ::sysconf(_SC_PAGESIZE);
    if (FPageSize <= 0) FPageSize = 4096;
}

NativeContext::NativeContext(std::string root, InterfaceAddressReader addresses)
    : NativeContext(std::move(root)) {
    FAddresses = std::move(addresses);
}

std::vector<InterfaceAddress> NativeContext::InterfaceAddresses() const {
    if (FAddresses) return FAddresses();
    if (FFiles.IsRealRoot()) return ReadSystemInterfaceAddresses();
    return {};
}

std::string NativeContext::HostName() const {
    auto name = FFiles.ReadLine("proc/sys/kernel/hostname");
    if (name && !name->empty()) return *name;
    if (FFiles.IsRealRoot()) {
        char buf[256] = {};
        if (::gethostname(buf, sizeof buf - 1) == 0 && buf[0]) return buf;
    }
    return "localhost";
}

std::optional<std::string> NativeContext::KernelRelease() const {
    auto r = FFiles.ReadLine("proc/sys/kernel/osrelease");
    if (r && !r->empty()) return r;
    struct utsname u {};
    if (FFiles.IsRealRoot() && ::uname(&u) == 0) return std::string(u.release);
    return std::nullopt;
}

std::optional<std::string> NativeContext::Machine() const {
    auto r = FFiles.ReadLine("proc/sys/kernel/arch");
    if (r && !r->empty()) return r;
    struct utsname u {};
    if (FFiles.IsRealRoot() && ::uname(&u) == 0) return std::string(u.machine);
    return std::nullopt;
}

std::optional<std::int64_t> NativeContext::BootTime() const {
    auto text = FFiles.Read("proc/stat");
    if (!text) return std::nullopt;
    auto bt = ParseProcStat(*text).BootTime;
    if (!bt || *bt > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
    return static_cast<std::int64_t>(*bt);
}

std::string NativeContext::OsCaption() const {
    auto text = FFiles.Read("etc/os-release", 64 * 1024);
    if (!text) text = FFiles.Read("usr/lib/os-release", 64 * 1024);
    if (text) {
        auto kv = ParseOsRelease(*text);
        for (const char* key : {"PRETTY_NAME", "NAME"}) {
            auto it = kv.find(key);
            if (it != kv.end() && !it->second.empty()) return it->second;
        }
    }
    return "Linux";
}

std::optional<std::string> NativeContext::RootDevice() const {
    auto text = FFiles.Read("proc/mounts");
    if (!text) return std::nullopt;
    std::optional<std::string> device;
    // The last mount over "/" is the one in effect.
    for (const auto& m : ParseMounts(*text))
        if (m.MountPoint == "/") device = m.Device;
    return device;
}

std::string NativeContext::OsName() const {
    return OsCaption() + "|/|" + RootDevice().value_or("");
}

}  // namespace veskin
