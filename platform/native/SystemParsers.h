#pragma once
// Parsers for the system-wide files: /etc/os-release, /proc/stat, /proc/uptime and
// /proc/loadavg. Malformed or truncated text leaves the affected values out.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veskin {

// KEY=value lines; values unquoted ("..." or '...', with \ escapes inside "...").
std::map<std::string, std::string> ParseOsRelease(std::string_view text);

// One "cpu" / "cpuN" line of /proc/stat, in clock ticks.
struct CpuTimes {
    int Index = -1;  // -1 for the "cpu" line (all processors)
    std::uint64_t User = 0, Nice = 0, System = 0, Idle = 0, IoWait = 0, Irq = 0, SoftIrq = 0,
                  Steal = 0;
    std::uint64_t Total() const { return User + Nice + System + Idle + IoWait + Irq + SoftIrq + Steal; }
};

struct ProcStat {
    std::optional<CpuTimes> All;
    std::vector<CpuTimes> Cpus;               // in the file's order
    std::optional<std::uint64_t> BootTime;    // btime, seconds since 1970 UTC
    std::optional<std::uint64_t> Interrupts;  // first number of "intr"
    std::optional<std::uint64_t> SoftIrqs;    // first number of "softirq"
    std::optional<std::uint64_t> ContextSwitches;
    std::optional<std::uint64_t> ProcessesCreated;
    std::optional<std::uint64_t> ProcsRunning;
};
ProcStat ParseProcStat(std::string_view text);

struct Uptime {
    double Seconds = 0;
    std::optional<double> IdleSeconds;
};
std::optional<Uptime> ParseUptime(std::string_view text);

struct LoadAverage {
    double Load1 = 0, Load5 = 0, Load15 = 0;
    std::optional<std::uint64_t> Running, Total;
};
std::optional<LoadAverage> ParseLoadAvg(std::string_view text);

// /proc/interrupts and /proc/softirqs: the sum of each processor's column, indexed by
// processor number (from the "CPUn" header); rows with fewer numbers count what they have.
std::vector<std::uint64_t> ParseCpuColumnSums(std::string_view text);

}  // namespace veskin
