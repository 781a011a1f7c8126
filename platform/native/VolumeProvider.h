#pragma once
// Win32_LogicalDisk: one instance per mounted file system of local storage, named
// (DeviceID) by its mount point; space from statvfs, the label and serial number from
// dev/disk/by-label and by-uuid. A query naming DeviceIDs asks statvfs only of those.
#include <memory>

#include "platform/WbemInstanceSource.h"
#include "platform/native/DeviceParsers.h"
#include "platform/native/LogicalDiskProvider.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr VolumeClass();

// Windows' DriveType: 2 removable, 3 local disk, 5 compact disc.
std::uint32_t DriveTypeOf(const SystemFiles& files, const MountEntry& mount);
// The 32-bit serial Windows shows, from a file system UUID where it has one
// (FAT "ABCD-1234", NTFS 16 hex digits); nothing for longer UUIDs.
std::optional<std::string> VolumeSerialOf(const std::string& uuid);
// The name of the dev/disk/<folder> link that points at device ("\x20" decoded).
std::optional<std::string> DiskLinkNameOf(const SystemFiles& files, const std::string& folder,
                                          const std::string& device);

WbemObjectPtr ReadVolume(const NativeContext& context, const MountEntry& mount, const FsSpaceQuery& space);

WbemObjectProducer EnumerateVolumes(std::shared_ptr<const NativeContext> context, const WbemQueryHint& hint,
                                    const FsSpaceQuery& space = StatFsSpace);

}  // namespace veskin
