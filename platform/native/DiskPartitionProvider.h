#pragma once
// Win32_DiskPartition: the partitions of the physical disks of sys/block, named as
// Windows names them ("Disk #0, Partition #1", both counted from 0), with their place
// on the disk, and the partition table's type and flags where udev recorded them.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr DiskPartitionClass();

struct DiskPartitionInfo {
    std::string Disk;  // "sda"
    std::string Name;  // "sda1"
    std::uint32_t DiskIndex = 0;
    std::uint32_t Index = 0;                            // place among the disk's partitions by number
    std::uint32_t Number = 0;                           // the kernel's partition number
    std::optional<std::uint64_t> StartSector, Sectors;  // 512-byte units
    std::string DeviceID() const;
};
std::vector<DiskPartitionInfo> ReadDiskPartitions(const SystemFiles& files);

// Windows' Type text of a partition-table entry (udev's ID_PART_ENTRY_SCHEME and
// ID_PART_ENTRY_TYPE): "GPT: System", "GPT: Basic Data", "Installable File System", ...
std::optional<std::string> PartitionTypeText(const std::string& scheme, const std::string& type);

WbemObjectProducer EnumerateDiskPartitions(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
