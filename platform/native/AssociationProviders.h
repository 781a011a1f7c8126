#pragma once
// The association classes of the local service: Win32_SystemProcesses (the computer and
// each of its processes), Win32_NetworkAdapterSetting (an adapter and its TCP/IP
// configuration), Win32_DiskDriveToDiskPartition (a disk and each partition on it) and
// Win32_LogicalDiskToPartition (a partition and the mounted file system on it). Their
// references are full object paths, as Windows gives them.
#include <memory>
#include <string>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr SystemProcessesClass();
WbemClassPtr NetworkAdapterSettingClass();
WbemClassPtr DiskDriveToDiskPartitionClass();
WbemClassPtr LogicalDiskToPartitionClass();

// "\\HOST\root\cimv2:<relPath>": the path of an object of the local service.
std::string NativeObjectPath(const NativeContext& context, const std::string& relPath);

WbemObjectProducer EnumerateSystemProcesses(std::shared_ptr<const NativeContext> context);
WbemObjectProducer EnumerateNetworkAdapterSettings(std::shared_ptr<const NativeContext> context);
WbemObjectProducer EnumerateDiskDriveToDiskPartitions(std::shared_ptr<const NativeContext> context);
WbemObjectProducer EnumerateLogicalDiskToPartitions(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
