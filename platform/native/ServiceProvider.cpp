#include "platform/native/ServiceProvider.h"

#include <algorithm>
#include <set>

#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"
#include "platform/native/ProcessParsers.h"
#include "platform/native/TextFields.h"

namespace veskin {

WbemClassPtr ServiceClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_Service");
    return cls;
}

UnitFile ParseUnitFile(std::string_view text) {
    UnitFile unit;
    std::string section;
    bool haveDescription = false, haveExec = false;
    for (std::string_view line : SplitLines(text)) {
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (line.front() == '[') {
            section = std::string(line.substr(0, line.find(']') + 1));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        if (section == "[Unit]" && key == "Description" && !haveDescription) {
            unit.Description = std::string(value);
            haveDescription = true;
        } else if (section == "[Service]" && key == "ExecStart" && !haveExec && !value.empty()) {
            while (!value.empty() && std::string_view("-@+!:").find(value.front()) != std::string_view::npos)
                value.remove_prefix(1);
            unit.ExecStart = std::string(value);
            haveExec = true;
        }
    }
    return unit;
}

namespace {

const char* const kUnitFolders[] = {"etc/systemd/system", "run/systemd/system", "usr/lib/systemd/system",
                                    "lib/systemd/system"};

// Units some .wants folder of the administrator's configuration asks for.
std::set<std::string> EnabledUnits(const SystemFiles& files) {
    std::set<std::string> enabled;
    const std::string base = "etc/systemd/system";
    for (const auto& entry : files.Entries(base))
        if (entry.size() > 6 && entry.substr(entry.size() - 6) == ".wants")
            for (const auto& unit : files.Entries(base + "/" + entry)) enabled.insert(unit);
    return enabled;
}

// The unit's main process: the one of its cgroup whose parent is not in it.
std::optional<std::uint32_t> MainProcess(const SystemFiles& files, const std::string& unit) {
    auto procs = files.Read("sys/fs/cgroup/system.slice/" + unit + "/cgroup.procs");
    if (!procs) return std::nullopt;
    std::set<std::uint64_t> pids;
    for (auto line : SplitLines(*procs))
        if (auto pid = ToU64(line)) pids.insert(*pid);
    std::optional<std::uint32_t> first;
    for (std::uint64_t pid : pids) {
        if (!first) first = static_cast<std::uint32_t>(pid);
        auto stat = files.Read("proc/" + std::to_string(pid) + "/stat", 4096);
        auto parsed = stat ? ParseProcessStat(*stat) : std::nullopt;
        if (parsed && !pids.count(parsed->ParentPid)) return static_cast<std::uint32_t>(pid);
    }
    return first;
}

}  // namespace

WbemObjectProducer EnumerateServices(std::shared_ptr<const NativeContext> context) {
    const SystemFiles& files = context->Files();
    if (!files.CountEntries("run/systemd/system")) return ProduceList({});
    const std::set<std::string> enabled = EnabledUnits(files);
    std::set<std::string> seen;
    std::vector<std::pair<std::string, std::string>> units;  // name, path of the file that counts
    for (const char* folder : kUnitFolders)
        for (const auto& entry : files.Entries(folder)) {
            if (entry.size() <= 8 || entry.substr(entry.size() - 8) != ".service") continue;
            if (entry.find('@') != std::string::npos) continue;  // templates are no services themselves
            if (seen.insert(entry).second) units.emplace_back(entry, std::string(folder) + "/" + entry);
        }
    std::sort(units.begin(), units.end());
    const WbemClassPtr& cls = ServiceClass();
    std::vector<WbemObjectPtr> out;
    for (const auto& [unitName, path] : units) {
        const bool masked = files.ReadLink(path).value_or("") == "/dev/null";
        auto text = masked ? std::optional<std::string>("") : files.Read(path, 1 << 20);
        if (!text) continue;  // gone since the listing
        const UnitFile unit = ParseUnitFile(*text);
        const std::string name = unitName.substr(0, unitName.size() - 8);
        const auto pid = MainProcess(files, unitName);
        ValueRow row(cls);
        const std::string display = unit.Description.empty() ? name : unit.Description;
        row.Set("Caption", StrValue(display));
        row.Set("CreationClassName", StrValue("Win32_Service"));
        row.Set("Description", StrValue(unit.Description.empty() ? std::nullopt : std::optional<std::string>(unit.Description)));
        row.Set("DisplayName", StrValue(display));
        row.Set("Name", StrValue(name));
        row.Set("PathName", StrValue(unit.ExecStart.empty() ? std::nullopt : std::optional<std::string>(unit.ExecStart)));
        row.Set("ProcessId", U32Value(pid.value_or(0)));  // 0 for a stopped service, as Windows gives it
        row.Set("ServiceType", StrValue("Own Process"));
        row.Set("StartMode", StrValue(masked ? "Disabled" : enabled.count(unitName) ? "Auto"
                                                                                    : "Manual"));
        row.Set("Started", BoolValue(pid.has_value()));
        row.Set("State", StrValue(pid ? "Running" : "Stopped"));
        row.Set("Status", StrValue("OK"));
        row.Set("SystemCreationClassName", StrValue("Win32_ComputerSystem"));
        row.Set("SystemName", StrValue(context->HostName()));
        out.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    return ProduceList(std::move(out));
}

}  // namespace veskin
