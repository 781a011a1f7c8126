#include "platform/native/AssociationProviders.h"

#include "platform/WbemObject.h"
#include "platform/WbemObjectPath.h"
#include "platform/native/ClassSchema.h"
#include "platform/native/DeviceParsers.h"
#include "platform/native/DiskPartitionProvider.h"
#include "platform/native/LogicalDiskProvider.h"
#include "platform/native/NativeValues.h"
#include "platform/native/NetworkAdapterProvider.h"
#include "platform/native/ProcessProvider.h"
#include "platform/native/UserAccountProvider.h"
#include "rtl/SysUtils.h"

namespace veskin {

WbemClassPtr SystemProcessesClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_SystemProcesses");
    return cls;
}

WbemClassPtr NetworkAdapterSettingClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_NetworkAdapterSetting");
    return cls;
}

WbemClassPtr DiskDriveToDiskPartitionClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_DiskDriveToDiskPartition");
    return cls;
}

WbemClassPtr LogicalDiskToPartitionClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_LogicalDiskToPartition");
    return cls;
}

std::string NativeObjectPath(const NativeContext& context, const std::string& relPath) {
    // The server as the repository names it: the host name in capitals.
    const std::string server = UpperCase(context.HostName());
    return "\\\\" + server + "\\root\\cimv2:" + relPath;
}

namespace {

// The relative path of a key of one text value ("Class.Key=\"value\"").
std::string TextKeyPath(const char* className, const char* key, const std::string& value) {
    return std::string(className) + "." + key + "=" +
           WideToAnsi(KeyValueText(Variant(AnsiToWide(value)), wbemCimtypeString));
}

ValueRow AssociationRow(const WbemClassPtr& cls, const char* groupRole, const std::string& group,
                        const char* partRole, const std::string& part) {
    ValueRow row(cls);
    row.Set(groupRole, StrValue(group));
    row.Set(partRole, StrValue(part));
    return row;
}

WbemObjectPtr Association(const WbemClassPtr& cls, const char* groupRole, const std::string& group,
                          const char* partRole, const std::string& part) {
    return MakeNativeInstance(cls, AssociationRow(cls, groupRole, group, partRole, part));
}

std::string PartitionPath(const NativeContext& context, const DiskPartitionInfo& p) {
    return NativeObjectPath(context, TextKeyPath("Win32_DiskPartition", "DeviceID", p.DeviceID()));
}

}  // namespace

WbemObjectProducer EnumerateSystemProcesses(std::shared_ptr<const NativeContext> context) {
    const std::string computer =
        NativeObjectPath(*context, TextKeyPath("Win32_ComputerSystem", "Name", LocalAccountDomain(*context)));
    // Only the processes' handles are needed.
    WbemQueryHint hint;
    hint.Selected = {u"Handle"};
    auto processes = std::make_shared<WbemObjectProducer>(EnumerateProcesses(context, hint));
    return [context, computer, processes](WbemObjectPtr& out) -> HRESULT {
        WbemObjectPtr process;
        Variant handle;
        do {
            HRESULT hr = (*processes)(process);
            if (hr != S_OK) return hr;
            handle = process->GetValue(u"Handle");
        } while (handle.VarType() != varOleStr);
        const std::string part =
            NativeObjectPath(*context, TextKeyPath("Win32_Process", "Handle", WideToAnsi(handle.RawOleStr())));
        out = Association(SystemProcessesClass(), "GroupComponent", computer, "PartComponent", part);
        return S_OK;
    };
}

WbemObjectProducer EnumerateNetworkAdapterSettings(std::shared_ptr<const NativeContext> context) {
    std::vector<WbemObjectPtr> out;
    for (const NetAdapterInfo& a : ReadNetAdapters(*context)) {
        const std::string index = std::to_string(a.IfIndex);
        out.push_back(Association(NetworkAdapterSettingClass(), "Element",
                                  NativeObjectPath(*context, TextKeyPath("Win32_NetworkAdapter", "DeviceID", index)),
                                  "Setting",
                                  NativeObjectPath(*context, "Win32_NetworkAdapterConfiguration.Index=" + index)));
    }
    return ProduceList(std::move(out));
}

WbemObjectProducer EnumerateDiskDriveToDiskPartitions(std::shared_ptr<const NativeContext> context) {
    std::vector<WbemObjectPtr> out;
    for (const DiskPartitionInfo& p : ReadDiskPartitions(context->Files()))
        out.push_back(Association(DiskDriveToDiskPartitionClass(), "Antecedent",
                                  NativeObjectPath(*context, TextKeyPath("Win32_DiskDrive", "DeviceID", "/dev/" + p.Disk)),
                                  "Dependent", PartitionPath(*context, p)));
    return ProduceList(std::move(out));
}

WbemObjectProducer EnumerateLogicalDiskToPartitions(std::shared_ptr<const NativeContext> context) {
    const SystemFiles& files = context->Files();
    const std::vector<DiskPartitionInfo> partitions = ReadDiskPartitions(files);
    std::vector<MountEntry> mounts;
    if (auto text = files.Read("proc/mounts", 4 << 20)) mounts = LocalFileSystems(ParseMounts(*text));
    const WbemClassPtr& cls = LogicalDiskToPartitionClass();
    std::vector<WbemObjectPtr> out;
    for (const MountEntry& m : mounts) {
        const std::string device = DiskNameOfDevice(files, m.Device);
        for (const DiskPartitionInfo& p : partitions) {
            if (p.Name != device) continue;
            ValueRow row = AssociationRow(cls, "Antecedent", PartitionPath(*context, p), "Dependent",
                                          NativeObjectPath(*context, TextKeyPath("Win32_LogicalDisk", "DeviceID", m.MountPoint)));
            // The partition's first and last byte on the disk.
            if (p.StartSector && p.Sectors && *p.Sectors > 0) {
                row.Set("StartingAddress", U64Value(*p.StartSector * 512));
                row.Set("EndingAddress", U64Value((*p.StartSector + *p.Sectors) * 512 - 1));
            }
            out.push_back(MakeNativeInstance(cls, std::move(row)));
        }
    }
    return ProduceList(std::move(out));
}

}  // namespace veskin
