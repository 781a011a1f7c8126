#pragma once
// Win32_DiskDrive: one instance per disk of sys/block (loop, RAM, device-mapper, RAID
// and optical devices left out), named by its device file ("/dev/sda").
#include <memory>
#include <string>
#include <vector>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr DiskDriveClass();

// True for a sys/block entry that is a physical disk ("sda", "nvme0n1", "vda", "mmcblk0").
bool IsPhysicalDiskName(const std::string& name);

struct PhysicalDisk {
    std::string Name;       // "sda"
    std::uint64_t Sectors;  // in 512-byte units
};
// The physical disks in the order of their Index (Win32_DiskDrive and the partitions'
// DiskIndex); a disk without a readable size (gone since the listing) is left out.
std::vector<PhysicalDisk> PhysicalDisks(const SystemFiles& files);

WbemObjectProducer EnumerateDiskDrives(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
