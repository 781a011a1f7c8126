#include "platform/native/OperatingSystemProvider.h"

#include <utmp.h>

#include <cstring>

#include "platform/WbemObject.h"
#include "platform/native/ClassSchema.h"
#include "platform/native/DmtfTime.h"
#include "platform/native/LocaleInfo.h"
#include "platform/native/NativeValues.h"
#include "platform/native/SystemParsers.h"
#include "platform/native/TextFields.h"

namespace veskin {

WbemClassPtr OperatingSystemClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_OperatingSystem");
    return cls;
}

std::optional<std::uint32_t> CountUtmpUsers(const std::string& bytes) {
    if (bytes.size() % sizeof(struct utmp) != 0) return std::nullopt;
    std::uint32_t users = 0;
    for (std::size_t off = 0; off < bytes.size(); off += sizeof(struct utmp)) {
        struct utmp entry;
        std::memcpy(&entry, bytes.data() + off, sizeof entry);
        if (entry.ut_type == USER_PROCESS) ++users;
    }
    return users;
}

namespace {

// Whether a flag is among the "flags" of the first processor of /proc/cpuinfo.
std::optional<bool> CpuHasFlag(const std::optional<std::string>& cpuinfo, std::string_view flag) {
    if (!cpuinfo) return std::nullopt;
    for (std::string_view line : SplitLines(*cpuinfo)) {
        if (line.rfind("flags", 0) != 0) continue;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        for (std::string_view f : SplitFields(line.substr(colon + 1)))
            if (f == flag) return true;
        return false;
    }
    return std::nullopt;
}

std::optional<std::string> Find(const std::map<std::string, std::string>& kv, const char* key) {
    auto it = kv.find(key);
    if (it == kv.end() || it->second.empty()) return std::nullopt;
    return it->second;
}

}  // namespace

WbemObjectPtr ReadOperatingSystem(const NativeContext& context, std::int64_t nowSeconds,
                                  std::uint32_t nowMicros, const std::string& localeName) {
    const SystemFiles& files = context.Files();
    std::map<std::string, std::string> osRelease;
    if (auto text = files.Read("etc/os-release", 64 * 1024)) osRelease = ParseOsRelease(*text);
    else if (auto alt = files.Read("usr/lib/os-release", 64 * 1024)) osRelease = ParseOsRelease(*alt);
    std::map<std::string, std::string> mem;
    if (auto text = files.Read("proc/meminfo")) mem = ParseKeyValues(*text);
    const auto cpuinfo = files.Read("proc/cpuinfo", 4 << 20);
    const LocaleInfo locale = ParseLocaleName(localeName);
    const auto machine = context.Machine();
    const auto rootDevice = context.RootDevice();
    const auto bootTime = context.BootTime();

    const WbemClassPtr& cls = OperatingSystemClass();
    ValueRow row(cls);
    row.Set("BootDevice", StrValue(rootDevice));
    row.Set("BuildNumber", StrValue(Find(osRelease, "BUILD_ID")));
    row.Set("Caption", StrValue(context.OsCaption()));
    row.Set("CodeSet", StrValue(locale.CodePage));
    row.Set("CreationClassName", StrValue("Win32_OperatingSystem"));
    row.Set("CSCreationClassName", StrValue("Win32_ComputerSystem"));
    row.Set("CSName", StrValue(context.HostName()));
    row.Set("CurrentTimeZone", S16Value(LocalUtcOffsetMinutes(nowSeconds)));
    row.Set("DataExecutionPrevention_Available", BoolValue(CpuHasFlag(cpuinfo, "nx")));
    row.Set("PAEEnabled", BoolValue(CpuHasFlag(cpuinfo, "pae")));
    row.Set("Debug", BoolValue(false));
    row.Set("Distributed", BoolValue(false));
    row.Set("PortableOperatingSystem", BoolValue(false));
    row.Set("Primary", BoolValue(true));

    const auto memTotal = LeadingU64(mem, "MemTotal");
    auto memAvailable = LeadingU64(mem, "MemAvailable");
    if (!memAvailable) memAvailable = LeadingU64(mem, "MemFree");
    const auto swapTotal = LeadingU64(mem, "SwapTotal");
    const auto swapFree = LeadingU64(mem, "SwapFree");
    row.Set("FreePhysicalMemory", U64Value(memAvailable));
    row.Set("FreeSpaceInPagingFiles", U64Value(swapFree));
    if (memAvailable && swapFree) row.Set("FreeVirtualMemory", U64Value(*memAvailable + *swapFree));
    row.Set("SizeStoredInPagingFiles", U64Value(swapTotal));
    row.Set("TotalSwapSpaceSize", U64Value(swapTotal));
    if (memTotal && swapTotal) row.Set("TotalVirtualMemorySize", U64Value(*memTotal + *swapTotal));
    row.Set("TotalVisibleMemorySize", U64Value(memTotal));

    if (bootTime) row.Set("LastBootUpTime", StrValue(DmtfFromUnix(*bootTime)));
    row.Set("LocalDateTime", StrValue(DmtfFromUnix(nowSeconds, nowMicros)));
    row.Set("Locale", StrValue(locale.LocaleHex));
    row.Set("OSLanguage", U32Value(locale.LangId));
    if (locale.Culture)
        row.Set("MUILanguages", Variant::ArrayOf({Variant(AnsiToWide(*locale.Culture))}));
    auto vendor = Find(osRelease, "VENDOR_NAME");
    row.Set("Manufacturer", StrValue(vendor ? vendor : Find(osRelease, "NAME")));
    if (auto pidMax = files.ReadLine("proc/sys/kernel/pid_max")) row.Set("MaxNumberOfProcesses", U32Value(ToU64(*pidMax)));
    if (machine) {
        const bool is64 = machine->find("64") != std::string::npos || *machine == "s390x";
        row.Set("OSArchitecture", StrValue(is64 ? "64-bit" : "32-bit"));
        // The user address space: 128 TiB on 64-bit kernels, 3 GiB on 32-bit ones.
        row.Set("MaxProcessMemorySize", U64Value(is64 ? (1ull << 47) / 1024 : 3ull << 20));
    }
    row.Set("Name", StrValue(context.OsName()));
    row.Set("NumberOfLicensedUsers", U32Value(0));
    row.Set("NumberOfProcesses", U32Value(files.NumericEntries("proc").size()));
    // No login records means nobody is logged in; records that cannot be read as such
    // leave the count unknown.
    const auto utmp = files.Read("run/utmp", 4 << 20);
    row.Set("NumberOfUsers", U32Value(utmp ? CountUtmpUsers(*utmp) : std::optional<std::uint32_t>(0)));
    row.Set("OperatingSystemSKU", U32Value(0));
    row.Set("OSProductSuite", U32Value(0));
    row.Set("OSType", U16Value(36));  // LINUX in the CIM numbering
    row.Set("SerialNumber", StrValue(files.ReadLine("etc/machine-id")));
    row.Set("ServicePackMajorVersion", U16Value(0));
    row.Set("ServicePackMinorVersion", U16Value(0));
    row.Set("Status", StrValue("OK"));
    row.Set("SystemDevice", StrValue(rootDevice));
    row.Set("Version", StrValue(context.KernelRelease()));
    return MakeNativeInstance(cls, std::move(row));
}

WbemObjectProducer EnumerateOperatingSystem(std::shared_ptr<const NativeContext> context) {
    auto done = std::make_shared<bool>(false);
    return [context, done](WbemObjectPtr& out) -> HRESULT {
        if (*done) return S_FALSE;
        *done = true;
        struct timespec now {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        out = ReadOperatingSystem(*context, now.tv_sec, static_cast<std::uint32_t>(now.tv_nsec / 1000),
                                  CurrentLocaleName());
        return S_OK;
    };
}

}  // namespace veskin
