#pragma once
// Win32_PerfFormattedData_PerfDisk_LogicalDisk: one instance per mounted local file
// system (named by its mount point) and "_Total": space from statvfs, rates and times
// between two samples of /proc/diskstats.
#include <functional>
#include <memory>
#include <vector>

#include "platform/WbemObjectSet.h"
#include "platform/native/DeviceParsers.h"
#include "platform/native/IntervalSampler.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr LogicalDiskClass();

using DiskSample = std::vector<DiskStat>;

struct FsSpace {
    std::uint64_t TotalBytes = 0;
    std::uint64_t AvailableBytes = 0;  // for unprivileged users, as Windows counts free space
    std::uint64_t BlockSize = 0;       // the fragment size the counts are in
    std::uint64_t Blocks = 0;
    std::uint32_t NameMax = 0;  // longest file name
};
// The space of the file system at a path; nothing when it cannot be asked.
using FsSpaceQuery = std::function<std::optional<FsSpace>(const std::string& path)>;
std::optional<FsSpace> StatFsSpace(const std::string& path);

// The diskstats name of a mounted device ("/dev/sda1" -> "sda1"; links followed).
std::string DiskNameOfDevice(const SystemFiles& files, const std::string& device);

std::vector<WbemObjectPtr> BuildLogicalDisks(const NativeContext& context,
                                             const std::vector<MountEntry>& mounts,
                                             const SamplePair<DiskSample>& samples,
                                             const FsSpaceQuery& space);

class LogicalDiskProvider {
public:
    explicit LogicalDiskProvider(std::shared_ptr<const NativeContext> context);
    WbemObjectProducer Enumerate();

private:
    std::shared_ptr<const NativeContext> FContext;
    std::shared_ptr<IntervalSampler<DiskSample>> FSampler;
};

}  // namespace veskin
