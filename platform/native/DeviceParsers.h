#pragma once
// Parsers for the device files: /proc/diskstats, /proc/mounts, /proc/net/dev,
// /sys/class/net/<if>/speed and udev's database records.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veskin {

struct DiskStat {
    std::uint32_t Major = 0, Minor = 0;
    std::string Name;
    std::uint64_t Reads = 0, ReadSectors = 0, ReadMs = 0;
    std::uint64_t Writes = 0, WriteSectors = 0, WriteMs = 0;
    std::uint64_t InProgress = 0, IoMs = 0, WeightedMs = 0;
};
// Lines with fewer than 14 fields or non-numeric counters are left out.
std::vector<DiskStat> ParseDiskStats(std::string_view text);

struct MountEntry {
    std::string Device;
    std::string MountPoint;  // octal escapes (\040) resolved
    std::string FsType;
};
std::vector<MountEntry> ParseMounts(std::string_view text);
// Mounts of local storage: network and kernel pseudo file systems left out, and a
// device mounted more than once (bind mounts) kept only at its shortest mount point.
std::vector<MountEntry> LocalFileSystems(const std::vector<MountEntry>& mounts);

struct NetDevStat {
    std::string Name;
    std::uint64_t RxBytes = 0, RxPackets = 0, RxErrors = 0, RxDropped = 0, RxMulticast = 0;
    std::uint64_t TxBytes = 0, TxPackets = 0, TxErrors = 0, TxDropped = 0;
};
std::vector<NetDevStat> ParseNetDev(std::string_view text);

// The properties of a udev database record (run/udev/data/<id>): its "E:KEY=value" lines.
std::map<std::string, std::string> ParseUdevProperties(std::string_view text);

// Megabits per second; nothing for an unknown speed (-1, empty, malformed).
std::optional<std::uint64_t> ParseLinkSpeed(std::string_view text);

}  // namespace veskin
