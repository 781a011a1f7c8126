#include "platform/native/DiskDriveProvider.h"

#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"
#include "platform/native/TextFields.h"

namespace veskin {

WbemClassPtr DiskDriveClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_DiskDrive");
    return cls;
}

bool IsPhysicalDiskName(const std::string& name) {
    for (const char* virtualKind : {"loop", "ram", "zram", "dm-", "md", "sr", "fd", "nbd"})
        if (name.rfind(virtualKind, 0) == 0) return false;
    return !name.empty();
}

std::vector<PhysicalDisk> PhysicalDisks(const SystemFiles& files) {
    std::vector<PhysicalDisk> out;
    for (const auto& name : files.Entries("sys/block")) {
        if (!IsPhysicalDiskName(name)) continue;
        auto sectors = ToU64(files.ReadLine("sys/block/" + name + "/size").value_or(""));  // always in 512-byte units
        if (sectors) out.push_back(PhysicalDisk{name, *sectors});
    }
    return out;
}

WbemObjectProducer EnumerateDiskDrives(std::shared_ptr<const NativeContext> context) {
    const SystemFiles& files = context->Files();
    const WbemClassPtr& cls = DiskDriveClass();
    std::vector<WbemObjectPtr> out;
    std::uint32_t index = 0;
    for (const auto& [name, sectors] : PhysicalDisks(files)) {
        const std::string dir = "sys/block/" + name + "/";
        ValueRow row(cls);
        const std::string device = "/dev/" + name;
        const auto model = files.ReadLine(dir + "device/model");
        const bool removable = files.ReadLine(dir + "removable").value_or("0") == "1";
        const bool readOnly = files.ReadLine(dir + "ro").value_or("0") == "1";
        const auto sectorBytes = ToU64(files.ReadLine(dir + "queue/logical_block_size").value_or(""));
        const std::uint64_t bytes = sectors * 512;
        std::uint32_t partitions = 0;
        for (const auto& entry : files.Entries(dir.substr(0, dir.size() - 1)))
            if (entry.rfind(name, 0) == 0 && files.ReadLine(dir + entry + "/partition")) ++partitions;
        row.Set("BytesPerSector", U32Value(sectorBytes));
        std::vector<Variant> caps{Variant::FromInteger(3)};      // random access
        if (!readOnly) caps.push_back(Variant::FromInteger(4));  // supports writing
        if (removable) caps.push_back(Variant::FromInteger(7));  // supports removable media
        row.Set("Capabilities", Variant::ArrayOf(std::move(caps)));
        row.Set("Caption", StrValue(model ? model : std::optional<std::string>(device)));
        row.Set("CreationClassName", StrValue("Win32_DiskDrive"));
        row.Set("DeviceID", StrValue(device));
        auto firmware = files.ReadLine(dir + "device/rev");
        if (!firmware || firmware->empty()) firmware = files.ReadLine(dir + "device/firmware_rev");
        row.Set("FirmwareRevision", StrValue(firmware && !firmware->empty() ? firmware : std::nullopt));
        row.Set("Index", U32Value(index++));
        // Windows reports SATA, SAS, NVMe and virtio disks alike as SCSI.
        row.Set("InterfaceType", StrValue(name.rfind("mmcblk", 0) == 0 ? "SD" : "SCSI"));
        auto vendor = files.ReadLine(dir + "device/vendor");
        row.Set("Manufacturer", StrValue(vendor && !vendor->empty() ? vendor : std::nullopt));
        row.Set("MediaLoaded", BoolValue(bytes > 0));
        row.Set("MediaType", StrValue(removable ? "Removable Media" : "Fixed hard disk media"));
        row.Set("Model", StrValue(model && !model->empty() ? model : std::nullopt));
        row.Set("Name", StrValue(device));
        row.Set("Partitions", U32Value(partitions));
        auto serial = files.ReadLine(dir + "device/serial");
        row.Set("SerialNumber", StrValue(serial && !serial->empty() ? serial : std::nullopt));
        row.Set("Size", U64Value(bytes));
        row.Set("Status", StrValue("OK"));
        row.Set("SystemCreationClassName", StrValue("Win32_ComputerSystem"));
        row.Set("SystemName", StrValue(context->HostName()));
        if (sectorBytes && *sectorBytes > 0) row.Set("TotalSectors", U64Value(bytes / *sectorBytes));
        out.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    return ProduceList(std::move(out));
}

}  // namespace veskin
