#include "platform/native/LogicalDiskProvider.h"

#include <sys/statvfs.h>

#include <set>

#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"

namespace veskin {

WbemClassPtr LogicalDiskClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_PerfFormattedData_PerfDisk_LogicalDisk");
    return cls;
}

std::optional<FsSpace> StatFsSpace(const std::string& path) {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) return std::nullopt;
    FsSpace s;
    s.TotalBytes = static_cast<std::uint64_t>(st.f_blocks) * st.f_frsize;
    s.AvailableBytes = static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
    s.BlockSize = st.f_frsize;
    s.Blocks = st.f_blocks;
    s.NameMax = static_cast<std::uint32_t>(st.f_namemax);
    return s;
}

std::string DiskNameOfDevice(const SystemFiles& files, const std::string& device) {
    std::string path = device;
    if (auto target = files.ReadLink(device)) path = *target;
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

// Counter growth of one device (or the sum of several) between the samples.
struct DiskDelta {
    std::uint64_t Reads = 0, ReadSectors = 0, ReadMs = 0;
    std::uint64_t Writes = 0, WriteSectors = 0, WriteMs = 0;
    std::uint64_t IoMs = 0, WeightedMs = 0, InProgress = 0;

    void Add(const DiskStat& a, const DiskStat& b) {
        Reads += CounterDelta(a.Reads, b.Reads);
        ReadSectors += CounterDelta(a.ReadSectors, b.ReadSectors);
        ReadMs += CounterDelta(a.ReadMs, b.ReadMs);
        Writes += CounterDelta(a.Writes, b.Writes);
        WriteSectors += CounterDelta(a.WriteSectors, b.WriteSectors);
        WriteMs += CounterDelta(a.WriteMs, b.WriteMs);
        IoMs += CounterDelta(a.IoMs, b.IoMs);
        WeightedMs += CounterDelta(a.WeightedMs, b.WeightedMs);
        InProgress += b.InProgress;
    }
};

const DiskStat* FindDisk(const DiskSample& sample, const std::string& name) {
    for (const auto& d : sample)
        if (d.Name == name) return &d;
    return nullptr;
}

void SetRates(ValueRow& row, const DiskDelta& d, double seconds) {
    const double elapsedMs = seconds * 1000.0;
    auto per = [](std::uint64_t part, std::uint64_t count) -> std::uint64_t {
        return count ? part / count : 0;
    };
    auto perSec = [seconds](std::uint64_t count) {
        return static_cast<std::uint64_t>(static_cast<double>(count) / seconds);
    };
    auto share = [elapsedMs](std::uint64_t ms) {
        return static_cast<std::uint64_t>(static_cast<double>(ms) / elapsedMs);
    };
    auto percent = [elapsedMs](std::uint64_t ms) {
        return static_cast<std::uint64_t>(static_cast<double>(ms) * 100.0 / elapsedMs);
    };
    const std::uint64_t transfers = d.Reads + d.Writes;
    row.Set("AvgDiskBytesPerRead", U64Value(per(d.ReadSectors * 512, d.Reads)));
    row.Set("AvgDiskBytesPerWrite", U64Value(per(d.WriteSectors * 512, d.Writes)));
    row.Set("AvgDiskBytesPerTransfer", U64Value(per((d.ReadSectors + d.WriteSectors) * 512, transfers)));
    row.Set("AvgDiskQueueLength", U64Value(share(d.WeightedMs)));
    row.Set("AvgDiskReadQueueLength", U64Value(share(d.ReadMs)));
    row.Set("AvgDiskWriteQueueLength", U64Value(share(d.WriteMs)));
    row.Set("AvgDisksecPerRead", U32Value(per(d.ReadMs, d.Reads) / 1000));
    row.Set("AvgDisksecPerWrite", U32Value(per(d.WriteMs, d.Writes) / 1000));
    row.Set("AvgDisksecPerTransfer", U32Value(per(d.ReadMs + d.WriteMs, transfers) / 1000));
    row.Set("CurrentDiskQueueLength", U32Value(d.InProgress));
    row.Set("DiskReadBytesPersec", U64Value(perSec(d.ReadSectors * 512)));
    row.Set("DiskWriteBytesPersec", U64Value(perSec(d.WriteSectors * 512)));
    row.Set("DiskBytesPersec", U64Value(perSec((d.ReadSectors + d.WriteSectors) * 512)));
    row.Set("DiskReadsPersec", U32Value(perSec(d.Reads)));
    row.Set("DiskWritesPersec", U32Value(perSec(d.Writes)));
    row.Set("DiskTransfersPersec", U32Value(perSec(transfers)));
    row.Set("PercentDiskReadTime", U64Value(percent(d.ReadMs)));
    row.Set("PercentDiskWriteTime", U64Value(percent(d.WriteMs)));
    row.Set("PercentDiskTime", U64Value(percent(d.WeightedMs)));
    const std::uint64_t busy = percent(d.IoMs);
    row.Set("PercentIdleTime", U64Value(busy >= 100 ? 0 : 100 - busy));
}

void SetSpace(ValueRow& row, const std::optional<FsSpace>& space) {
    if (!space) return;
    row.Set("FreeMegabytes", U32Value(space->AvailableBytes / (1024 * 1024)));
    if (space->TotalBytes > 0)
        row.Set("PercentFreeSpace", U32Value(space->AvailableBytes * 100 / space->TotalBytes));
}

}  // namespace

std::vector<WbemObjectPtr> BuildLogicalDisks(const NativeContext& context,
                                             const std::vector<MountEntry>& mounts,
                                             const SamplePair<DiskSample>& samples,
                                             const FsSpaceQuery& space) {
    const WbemClassPtr& cls = LogicalDiskClass();
    std::vector<WbemObjectPtr> out;
    DiskDelta total;
    bool anyDisk = false;
    std::optional<FsSpace> totalSpace;
    std::set<std::string> counted;
    for (const auto& m : mounts) {
        ValueRow row(cls);
        row.Set("Name", StrValue(m.MountPoint));
        const std::string disk = DiskNameOfDevice(context.Files(), m.Device);
        const DiskStat* before = FindDisk(samples.Before, disk);
        const DiskStat* after = FindDisk(samples.After, disk);
        if (before && after) {
            DiskDelta d;
            d.Add(*before, *after);
            SetRates(row, d, samples.Seconds);
            if (counted.insert(disk).second) {
                total.Add(*before, *after);
                anyDisk = true;
            }
        }
        auto s = space(context.Files().PathOf(m.MountPoint));
        SetSpace(row, s);
        if (s) {
            if (!totalSpace) totalSpace = FsSpace{};
            totalSpace->TotalBytes += s->TotalBytes;
            totalSpace->AvailableBytes += s->AvailableBytes;
        }
        out.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    ValueRow row(cls);
    row.Set("Name", StrValue("_Total"));
    if (anyDisk) SetRates(row, total, samples.Seconds);
    SetSpace(row, totalSpace);
    out.push_back(MakeNativeInstance(cls, std::move(row)));
    return out;
}

LogicalDiskProvider::LogicalDiskProvider(std::shared_ptr<const NativeContext> context)
    : FContext(std::move(context)), FSampler(std::make_shared<IntervalSampler<DiskSample>>()) {}

WbemObjectProducer LogicalDiskProvider::Enumerate() {
    auto context = FContext;
    auto pair = FSampler->Take([context] {
        auto text = context->Files().Read("proc/diskstats", 4 << 20);
        return text ? ParseDiskStats(*text) : DiskSample();
    });
    std::vector<MountEntry> mounts;
    if (auto text = FContext->Files().Read("proc/mounts", 4 << 20)) mounts = LocalFileSystems(ParseMounts(*text));
    return ProduceList(BuildLogicalDisks(*FContext, mounts, pair, StatFsSpace));
}

}  // namespace veskin
