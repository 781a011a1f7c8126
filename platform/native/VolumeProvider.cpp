#include "platform/native/VolumeProvider.h"

#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"
#include "rtl/TextFold.h"

namespace veskin {

WbemClassPtr VolumeClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_LogicalDisk");
    return cls;
}

std::uint32_t DriveTypeOf(const SystemFiles& files, const MountEntry& mount) {
    if (mount.FsType == "iso9660" || mount.FsType == "udf") return 5;
    // A partition's disk: "sda1" -> "sda", "nvme0n1p2" -> "nvme0n1".
    std::string name = DiskNameOfDevice(files, mount.Device);
    for (int pass = 0; pass < 2 && !name.empty(); ++pass) {
        if (auto removable = files.ReadLine("sys/block/" + name + "/removable")) return *removable == "1" ? 2 : 3;
        while (!name.empty() && name.back() >= '0' && name.back() <= '9') name.pop_back();
        if (name.size() > 1 && name.back() == 'p' && name[name.size() - 2] >= '0' && name[name.size() - 2] <= '9')
            name.pop_back();
    }
    return 3;
}

std::optional<std::string> VolumeSerialOf(const std::string& uuid) {
    std::string hex;
    for (char c : uuid)
        if (c != '-') hex.push_back(c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c);
    if (hex.find_first_not_of("0123456789ABCDEF") != std::string::npos) return std::nullopt;
    if (hex.size() == 8) return hex;
    if (hex.size() == 16) return hex.substr(8);  // Windows shows NTFS's low 32 bits
    return std::nullopt;
}

namespace {

// udev writes unsafe characters of link names as "\xHH".
std::string DecodeUdevName(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const std::string hex = name.substr(i + 2, 2);
            if (hex.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
                out.push_back(static_cast<char>(std::stoi(hex, nullptr, 16)));
                i += 3;
                continue;
            }
        }
        out.push_back(name[i]);
    }
    return out;
}

}  // namespace

std::optional<std::string> DiskLinkNameOf(const SystemFiles& files, const std::string& folder,
                                          const std::string& device) {
    const std::string wanted = DiskNameOfDevice(files, device);
    const std::string dir = "dev/disk/" + folder;
    for (const auto& entry : files.Entries(dir)) {
        auto target = files.ReadLink(dir + "/" + entry);
        if (!target) continue;
        const std::size_t slash = target->rfind('/');
        if ((slash == std::string::npos ? *target : target->substr(slash + 1)) == wanted) return DecodeUdevName(entry);
    }
    return std::nullopt;
}

WbemObjectPtr ReadVolume(const NativeContext& context, const MountEntry& mount, const FsSpaceQuery& space) {
    const SystemFiles& files = context.Files();
    const WbemClassPtr& cls = VolumeClass();
    ValueRow row(cls);
    const std::uint32_t driveType = DriveTypeOf(files, mount);
    const char* description = driveType == 2 ? "Removable Disk" : driveType == 5 ? "CD-ROM Disc"
                                                                                 : "Local Fixed Disk";
    row.Set("Access", U16Value(0));  // unknown
    row.Set("Caption", StrValue(mount.MountPoint));
    row.Set("CreationClassName", StrValue("Win32_LogicalDisk"));
    row.Set("Description", StrValue(description));
    row.Set("DeviceID", StrValue(mount.MountPoint));
    row.Set("DriveType", U32Value(driveType));
    row.Set("FileSystem", StrValue(mount.FsType));
    row.Set("MediaType", U32Value(driveType == 3 ? 12 : 11));  // fixed hard disk, else removable media
    row.Set("Name", StrValue(mount.MountPoint));
    row.Set("ProviderName", StrValue(mount.Device));
    row.Set("SystemCreationClassName", StrValue("Win32_ComputerSystem"));
    row.Set("SystemName", StrValue(context.HostName()));
    row.Set("VolumeName", StrValue(DiskLinkNameOf(files, "by-label", mount.Device)));
    if (auto uuid = DiskLinkNameOf(files, "by-uuid", mount.Device)) row.Set("VolumeSerialNumber", StrValue(VolumeSerialOf(*uuid)));
    if (auto s = space(files.PathOf(mount.MountPoint))) {
        row.Set("BlockSize", U64Value(s->BlockSize));
        row.Set("FreeSpace", U64Value(s->AvailableBytes));
        row.Set("MaximumComponentLength", U32Value(s->NameMax));
        row.Set("NumberOfBlocks", U64Value(s->Blocks));
        row.Set("Size", U64Value(s->TotalBytes));
        row.Set("Status", StrValue("OK"));
    }
    return MakeNativeInstance(cls, std::move(row));
}

WbemObjectProducer EnumerateVolumes(std::shared_ptr<const NativeContext> context, const WbemQueryHint& hint,
                                    const FsSpaceQuery& space) {
    std::vector<MountEntry> mounts;
    if (auto text = context->Files().Read("proc/mounts", 4 << 20)) mounts = LocalFileSystems(ParseMounts(*text));
    // Mounts that no DeviceID of the query names are left out before statvfs asks
    // their file systems (a hung network mount would otherwise stall the query).
    const std::vector<WideString>* wanted = hint.RequiredValues(u"DeviceID");
    std::vector<WbemObjectPtr> objects;
    for (const auto& m : mounts) {
        if (wanted) {
            const WideString id = AnsiToWide(m.MountPoint);
            bool named = false;
            for (const auto& w : *wanted) named = named || CompareTextW(id, w) == 0;
            if (!named) continue;
        }
        objects.push_back(ReadVolume(*context, m, space));
    }
    return ProduceList(std::move(objects));
}

}  // namespace veskin
