#include "platform/native/ComputerSystemProvider.h"

#include <ctime>
#include <set>

#include "platform/native/ClassSchema.h"
#include "platform/native/DmiInfo.h"
#include "platform/native/DmtfTime.h"
#include "platform/native/NativeValues.h"
#include "platform/native/TextFields.h"
#include "platform/native/UserAccountProvider.h"

namespace veskin {

WbemClassPtr ComputerSystemClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_ComputerSystem");
    return cls;
}

std::uint32_t PcSystemTypeOfChassis(std::uint64_t chassisType) {
    switch (chassisType) {
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 13:
        case 15:
        case 16:
        case 24:
        case 35:
        case 36:
            return 1;  // desktop
        case 8:
        case 9:
        case 10:
        case 11:
        case 12:
        case 14:
        case 30:
        case 31:
        case 32:
            return 2;  // mobile
        case 17:
        case 23:
        case 28:
        case 29:
            return 4;  // enterprise server
        default:
            return 0;  // unspecified
    }
}

namespace {

struct CpuCount {
    std::uint32_t Logical = 0;
    std::set<std::string> Packages;  // "physical id" values
    std::optional<bool> Hypervisor;  // the "hypervisor" flag, where processors list flags
};

CpuCount CountProcessors(std::string_view cpuinfo) {
    CpuCount c;
    for (std::string_view line : SplitLines(cpuinfo)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view key = line.substr(0, colon);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
        const std::string_view value = line.substr(colon + 1);
        if (key == "processor") ++c.Logical;
        else if (key == "physical id") c.Packages.insert(std::string(SplitFields(value).empty() ? "" : SplitFields(value)[0]));
        else if (key == "flags" && !c.Hypervisor) {
            c.Hypervisor = false;
            for (auto f : SplitFields(value))
                if (f == "hypervisor") c.Hypervisor = true;
        }
    }
    return c;
}

std::optional<std::string> SystemTypeOf(const std::optional<std::string>& machine) {
    if (!machine) return std::nullopt;
    if (*machine == "x86_64") return std::string("x64-based PC");
    if (machine->size() == 4 && (*machine)[0] == 'i' && machine->substr(2) == "86") return std::string("X86-based PC");
    if (*machine == "aarch64") return std::string("ARM64-based PC");
    return std::nullopt;
}

}  // namespace

WbemObjectPtr ReadComputerSystem(const NativeContext& context, std::int64_t nowSeconds) {
    const SystemFiles& files = context.Files();
    const WbemClassPtr& cls = ComputerSystemClass();
    ValueRow row(cls);
    const std::string name = LocalAccountDomain(context);
    std::string host = context.HostName();
    row.Set("BootupState", StrValue("Normal boot"));
    row.Set("Caption", StrValue(name));
    row.Set("CreationClassName", StrValue("Win32_ComputerSystem"));
    row.Set("CurrentTimeZone", S16Value(LocalUtcOffsetMinutes(nowSeconds)));
    const std::time_t now = static_cast<std::time_t>(nowSeconds);
    if (std::tm local{}; ::localtime_r(&now, &local)) row.Set("DaylightInEffect", BoolValue(local.tm_isdst > 0));
    row.Set("DNSHostName", StrValue(host.substr(0, host.find('.'))));
    // Without an Active Directory domain Windows reports the workgroup.
    row.Set("Domain", StrValue("WORKGROUP"));
    row.Set("DomainRole", U16Value(0));  // standalone workstation
    row.Set("PartOfDomain", BoolValue(false));
    row.Set("Workgroup", StrValue("WORKGROUP"));
    row.Set("Manufacturer", StrValue(DmiField(files, "sys_vendor")));
    row.Set("Model", StrValue(DmiField(files, "product_name")));
    row.Set("SystemFamily", StrValue(DmiField(files, "product_family")));
    row.Set("SystemSKUNumber", StrValue(DmiField(files, "product_sku")));
    if (auto chassis = ToU64(DmiField(files, "chassis_type").value_or(""))) {
        row.Set("PCSystemType", U16Value(PcSystemTypeOfChassis(*chassis)));
        row.Set("PCSystemTypeEx", U16Value(PcSystemTypeOfChassis(*chassis)));
    }
    row.Set("Name", StrValue(name));
    if (auto cpuinfo = files.Read("proc/cpuinfo", 4 << 20)) {
        const CpuCount cpus = CountProcessors(*cpuinfo);
        if (cpus.Logical > 0) {
            row.Set("NumberOfLogicalProcessors", U32Value(cpus.Logical));
            row.Set("NumberOfProcessors", U32Value(cpus.Packages.empty() ? 1 : cpus.Packages.size()));
        }
        row.Set("HypervisorPresent", BoolValue(cpus.Hypervisor));
    }
    row.Set("Status", StrValue("OK"));
    row.Set("SystemType", StrValue(SystemTypeOf(context.Machine())));
    if (auto mem = files.Read("proc/meminfo")) {
        auto total = LeadingU64(ParseKeyValues(*mem), "MemTotal");
        if (total) row.Set("TotalPhysicalMemory", U64Value(*total * 1024));
    }
    return MakeNativeInstance(cls, std::move(row));
}

WbemObjectProducer EnumerateComputerSystem(std::shared_ptr<const NativeContext> context) {
    return ProduceList({ReadComputerSystem(*context, static_cast<std::int64_t>(std::time(nullptr)))});
}

}  // namespace veskin
