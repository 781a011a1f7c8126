#include "platform/native/CpuPackageProvider.h"

#include <cmath>
#include <set>

#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"
#include "platform/native/TextFields.h"

namespace veskin {

WbemClassPtr CpuPackageClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_Processor");
    return cls;
}

std::vector<std::map<std::string, std::string>> ParseCpuInfoBlocks(std::string_view text) {
    std::vector<std::map<std::string, std::string>> blocks;
    bool open = false;
    for (std::string_view line : SplitLines(text)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            // A blank line ends a processor's block; other lines without a key are noise.
            if (SplitFields(line).empty()) open = false;
            continue;
        }
        std::string_view key = line.substr(0, colon), value = line.substr(colon + 1);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        if (!open || key == "processor") {
            if (!open || !blocks.back().empty()) blocks.emplace_back();
            open = true;
        }
        blocks.back().emplace(std::string(key), std::string(value));
    }
    return blocks;
}

std::optional<std::uint64_t> CacheSizeKb(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const char unit = text.back();
    if (unit == 'K') return ToU64(text.substr(0, text.size() - 1));
    if (unit == 'M') {
        auto n = ToU64(text.substr(0, text.size() - 1));
        return n ? std::optional<std::uint64_t>(*n * 1024) : std::nullopt;
    }
    return ToU64(text);
}

namespace {

std::optional<std::string> Field(const std::map<std::string, std::string>& block, const char* key) {
    auto it = block.find(key);
    if (it == block.end() || it->second.empty()) return std::nullopt;
    return it->second;
}

bool HasFlag(const std::map<std::string, std::string>& block, std::initializer_list<std::string_view> flags) {
    auto it = block.find("flags");
    if (it == block.end()) return false;
    for (auto f : SplitFields(it->second))
        for (auto wanted : flags)
            if (f == wanted) return true;
    return false;
}

// The distinct caches of a level over the package's processors, in kilobytes.
std::optional<std::uint64_t> PackageCacheKb(const SystemFiles& files, const std::vector<int>& cpus, const char* level) {
    std::set<std::string> seen;
    std::optional<std::uint64_t> total;
    for (int cpu : cpus) {
        const std::string dir = "sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/cache";
        for (const auto& index : files.Entries(dir)) {
            const std::string d = dir + "/" + index + "/";
            if (files.ReadLine(d + "level").value_or("") != level) continue;
            if (files.ReadLine(d + "type").value_or("") == "Instruction" && std::string(level) != "1") continue;
            // A cache shared by several processors is counted once.
            const std::string id = files.ReadLine(d + "id").value_or(files.ReadLine(d + "shared_cpu_list").value_or(d));
            if (!seen.insert(std::string(level) + "/" + files.ReadLine(d + "type").value_or("") + "/" + id).second) continue;
            if (auto kb = CacheSizeKb(files.ReadLine(d + "size").value_or(""))) total = total.value_or(0) + *kb;
        }
    }
    return total;
}

std::optional<std::uint64_t> MhzFromKhzFile(const SystemFiles& files, int cpu, const char* name) {
    auto khz = ToU64(files.ReadLine("sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/cpufreq/" + name).value_or(""));
    if (!khz) return std::nullopt;
    return *khz / 1000;
}

}  // namespace

std::vector<WbemObjectPtr> ReadCpuPackages(const NativeContext& context) {
    const SystemFiles& files = context.Files();
    const auto blocks = ParseCpuInfoBlocks(files.Read("proc/cpuinfo", 4 << 20).value_or(""));
    // Processors by package, in the order the packages first appear.
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::size_t>> packages;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::string id = Field(blocks[i], "physical id").value_or("0");
        if (!packages.count(id)) order.push_back(id);
        packages[id].push_back(i);
    }
    const std::string machine = context.Machine().value_or("");
    const bool is64 = machine == "x86_64" || machine == "aarch64";
    std::optional<std::uint32_t> architecture;
    if (machine == "x86_64") architecture = 9;
    else if (machine.size() == 4 && machine[0] == 'i' && machine.substr(2) == "86") architecture = 0;
    else if (machine == "aarch64") architecture = 12;
    else if (machine.rfind("arm", 0) == 0) architecture = 5;

    std::vector<WbemObjectPtr> out;
    const WbemClassPtr& cls = CpuPackageClass();
    for (std::size_t p = 0; p < order.size(); ++p) {
        const auto& members = packages[order[p]];
        const auto& first = blocks[members.front()];
        std::vector<int> cpus;
        std::set<std::string> cores;
        for (std::size_t i : members) {
            if (auto n = ToU64(Field(blocks[i], "processor").value_or(""))) cpus.push_back(static_cast<int>(*n));
            cores.insert(Field(blocks[i], "core id").value_or(std::to_string(i)));
        }
        ValueRow row(cls);
        const auto family = ToU64(Field(first, "cpu family").value_or(""));
        const auto model = ToU64(Field(first, "model").value_or(""));
        const auto stepping = ToU64(Field(first, "stepping").value_or(""));
        if (is64 || architecture) {
            row.Set("AddressWidth", U16Value(is64 ? 64 : 32));
            row.Set("DataWidth", U16Value(is64 ? 64 : 32));
        }
        row.Set("Architecture", U16Value(architecture));
        if (family && model && stepping && machine == "x86_64") {
            const std::string caption = "Intel64 Family " + std::to_string(*family) + " Model " + std::to_string(*model) +
                                        " Stepping " + std::to_string(*stepping);
            row.Set("Caption", StrValue(caption));
            row.Set("Description", StrValue(caption));
        }
        row.Set("CpuStatus", U16Value(1));  // enabled
        row.Set("CreationClassName", StrValue("Win32_Processor"));
        std::optional<std::uint64_t> current = cpus.empty() ? std::nullopt : MhzFromKhzFile(files, cpus.front(), "scaling_cur_freq");
        if (!current)
            if (auto mhz = ToDouble(Field(first, "cpu MHz").value_or(""))) current = static_cast<std::uint64_t>(std::lround(*mhz));
        row.Set("CurrentClockSpeed", U32Value(current));
        row.Set("DeviceID", StrValue("CPU" + std::to_string(p)));
        row.Set("L2CacheSize", U32Value(PackageCacheKb(files, cpus, "2")));
        row.Set("L3CacheSize", U32Value(PackageCacheKb(files, cpus, "3")));
        row.Set("Level", U16Value(family));
        row.Set("Manufacturer", StrValue(Field(first, "vendor_id")));
        row.Set("MaxClockSpeed", U32Value(cpus.empty() ? std::nullopt : MhzFromKhzFile(files, cpus.front(), "cpuinfo_max_freq")));
        row.Set("Name", StrValue(Field(first, "model name")));
        row.Set("NumberOfCores", U32Value(ToU64(Field(first, "cpu cores").value_or("")).value_or(cores.size())));
        row.Set("NumberOfEnabledCore", U32Value(ToU64(Field(first, "cpu cores").value_or("")).value_or(cores.size())));
        row.Set("NumberOfLogicalProcessors", U32Value(members.size()));
        row.Set("ProcessorType", U16Value(3));  // central processor
        if (model && stepping) row.Set("Revision", U16Value(static_cast<std::uint32_t>(*model * 256 + *stepping)));
        row.Set("Role", StrValue("CPU"));
        row.Set("SecondLevelAddressTranslationExtensions", BoolValue(HasFlag(first, {"ept", "npt"})));
        row.Set("Status", StrValue("OK"));
        if (stepping) row.Set("Stepping", StrValue(std::to_string(*stepping)));
        row.Set("SystemCreationClassName", StrValue("Win32_ComputerSystem"));
        row.Set("SystemName", StrValue(context.HostName()));
        row.Set("ThreadCount", U32Value(members.size()));
        row.Set("VMMonitorModeExtensions", BoolValue(HasFlag(first, {"vmx", "svm"})));
        out.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    return out;
}

WbemObjectProducer EnumerateCpuPackages(std::shared_ptr<const NativeContext> context) {
    return ProduceList(ReadCpuPackages(*context));
}

}  // namespace veskin
