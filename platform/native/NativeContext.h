#pragma once
// What every provider of the local computer's service needs: the files under the
// root, the kernel's constants, the host name and the operating system's name.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/native/InterfaceAddresses.h"
#include "platform/native/SystemFiles.h"

namespace veskin {

class NativeContext {
public:
    explicit NativeContext(std::string root = "/");
    // A context whose interface addresses come from the reader (fixture trees).
    NativeContext(std::string root, InterfaceAddressReader addresses);

    const SystemFiles& Files() const { return FFiles; }
    long ClockTicks() const { return FClockTicks; }
    long PageSize() const { return FPageSize; }

    // proc/sys/kernel/hostname, else the system's host name on the real root.
    std::string HostName() const;
    // proc/sys/kernel/osrelease, else uname's release on the real root.
    std::optional<std::string> KernelRelease() const;
    // proc/sys/kernel/arch, else uname's machine on the real root.
    std::optional<std::string> Machine() const;
    // btime of proc/stat (seconds since 1970 UTC).
    std::optional<std::int64_t> BootTime() const;
    // PRETTY_NAME of etc/os-release (else NAME, else "Linux").
    std::string OsCaption() const;
    // The device mounted at "/" (nothing when the mounts cannot be read).
    std::optional<std::string> RootDevice() const;
    // "<caption>|/|<root device>", the name Win32_OperatingSystem and processes share.
    std::string OsName() const;
    // The interfaces' IP addresses: the reader's, else the system's on the real root,
    // else none.
    std::vector<InterfaceAddress> InterfaceAddresses() const;

private:
    SystemFiles FFiles;
    long FClockTicks;
    long FPageSize;
    InterfaceAddressReader FAddresses;
};

}  // namespace veskin
