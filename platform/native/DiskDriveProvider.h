#pragma once
// Win32_DiskDrive: one instance per disk of sys/block (loop, RAM, device-mapper, RAID
// and optical devices left out), named by its device file ("/dev/sda").
#include <memory>
#include <string>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr DiskDriveClass();

// True for a sys/block entry that is a physical disk ("sda", "nvme0n1", "vda", "mmcblk0").
bool IsPhysicalDiskName(const std::string& name);

WbemObjectProducer EnumerateDiskDrives(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
