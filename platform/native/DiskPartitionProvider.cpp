#include "platform/native/DiskPartitionProvider.h"

#include <algorithm>
#include <map>

#include "platform/native/ClassSchema.h"
#include "platform/native/DeviceParsers.h"
#include "platform/native/DiskDriveProvider.h"
#include "platform/native/NativeValues.h"
#include "platform/native/TextFields.h"

namespace veskin {

WbemClassPtr DiskPartitionClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_DiskPartition");
    return cls;
}

std::string DiskPartitionInfo::DeviceID() const {
    return "Disk #" + std::to_string(DiskIndex) + ", Partition #" + std::to_string(Index);
}

std::vector<DiskPartitionInfo> ReadDiskPartitions(const SystemFiles& files) {
    std::vector<DiskPartitionInfo> out;
    std::uint32_t diskIndex = 0;
    for (const PhysicalDisk& disk : PhysicalDisks(files)) {
        const std::string dir = "sys/block/" + disk.Name + "/";
        std::vector<DiskPartitionInfo> parts;
        for (const auto& entry : files.Entries(dir.substr(0, dir.size() - 1))) {
            if (entry.rfind(disk.Name, 0) != 0) continue;
            auto number = ToU64(files.ReadLine(dir + entry + "/partition").value_or(""));
            if (!number || *number > 0xFFFFFFFFu) continue;
            DiskPartitionInfo p;
            p.Disk = disk.Name;
            p.Name = entry;
            p.DiskIndex = diskIndex;
            p.Number = static_cast<std::uint32_t>(*number);
            p.StartSector = ToU64(files.ReadLine(dir + entry + "/start").value_or(""));
            p.Sectors = ToU64(files.ReadLine(dir + entry + "/size").value_or(""));
            parts.push_back(std::move(p));
        }
        std::sort(parts.begin(), parts.end(),
                  [](const DiskPartitionInfo& a, const DiskPartitionInfo& b) { return a.Number < b.Number; });
        for (std::size_t i = 0; i < parts.size(); ++i) parts[i].Index = static_cast<std::uint32_t>(i);
        out.insert(out.end(), parts.begin(), parts.end());
        ++diskIndex;
    }
    return out;
}

std::optional<std::string> PartitionTypeText(const std::string& scheme, const std::string& type) {
    std::string t = type;
    for (char& c : t) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (scheme == "gpt") {
        if (t == "c12a7328-f81f-11d2-ba4b-00a0c93ec93b") return "GPT: System";
        if (t == "ebd0a0a2-b9e5-4433-87c0-68b6b72699c7") return "GPT: Basic Data";
        return "GPT: Unknown";
    }
    if (scheme == "dos") return t == "0x7" || t == "0x07" ? "Installable File System" : "Unknown";
    return std::nullopt;
}

namespace {

// udev's record of the partition's block device ("b8:1").
std::map<std::string, std::string> UdevProperties(const SystemFiles& files, const DiskPartitionInfo& p) {
    auto dev = files.ReadLine("sys/block/" + p.Disk + "/" + p.Name + "/dev");
    if (!dev || dev->empty()) return {};
    return ParseUdevProperties(files.Read("run/udev/data/b" + *dev, 64 * 1024).value_or(""));
}

std::optional<std::uint64_t> Times512(const std::optional<std::uint64_t>& sectors) {
    return sectors ? std::optional<std::uint64_t>(*sectors * 512) : std::nullopt;
}

}  // namespace

WbemObjectProducer EnumerateDiskPartitions(std::shared_ptr<const NativeContext> context) {
    const SystemFiles& files = context->Files();
    const WbemClassPtr& cls = DiskPartitionClass();
    std::vector<WbemObjectPtr> out;
    for (const DiskPartitionInfo& p : ReadDiskPartitions(files)) {
        ValueRow row(cls);
        const std::string id = p.DeviceID();
        row.Set("BlockSize", U64Value(512));  // the kernel counts partitions in 512-byte sectors
        row.Set("Caption", StrValue(id));
        row.Set("CreationClassName", StrValue("Win32_DiskPartition"));
        row.Set("DeviceID", StrValue(id));
        row.Set("DiskIndex", U32Value(p.DiskIndex));
        row.Set("Index", U32Value(p.Index));
        row.Set("Name", StrValue(id));
        row.Set("NumberOfBlocks", U64Value(p.Sectors));
        row.Set("Size", U64Value(Times512(p.Sectors)));
        row.Set("StartingOffset", U64Value(Times512(p.StartSector)));
        row.Set("SystemCreationClassName", StrValue("Win32_ComputerSystem"));
        row.Set("SystemName", StrValue(context->HostName()));
        const auto udev = UdevProperties(files, p);
        auto scheme = udev.find("ID_PART_ENTRY_SCHEME"), type = udev.find("ID_PART_ENTRY_TYPE");
        if (scheme != udev.end() && type != udev.end()) {
            auto text = PartitionTypeText(scheme->second, type->second);
            row.Set("Type", StrValue(text));
            row.Set("Description", StrValue(text));
            const bool gpt = scheme->second == "gpt";
            auto flags = udev.find("ID_PART_ENTRY_FLAGS");
            // The system partition of GPT, the active partition of an MBR table.
            const bool boot = gpt ? text == "GPT: System" : flags != udev.end() && (flags->second == "0x80");
            row.Set("Bootable", BoolValue(boot));
            row.Set("BootPartition", BoolValue(boot));
            row.Set("PrimaryPartition", BoolValue(gpt || p.Number <= 4));
        }
        out.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    return ProduceList(std::move(out));
}

}  // namespace veskin
