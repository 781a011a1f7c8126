// Win32_DiskDrive and Win32_DiskPartition: the disks and partitions of the fixture's
// sys/block, and of this machine against the kernel's /proc/partitions.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/native/DiskDriveProvider.h"
#include "platform/native/DiskPartitionProvider.h"
#include "platform/native/NativeService.h"
#include "tests/platform/NativeTestSupport.h"

namespace veskin {
namespace {

TEST(NativeDiskDrives, DisksFromFixture) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto disks = All(s.Services, "SELECT * FROM Win32_DiskDrive");
    // loop0 is no disk; nvme0n1 has no size (gone since the listing).
    ASSERT_EQ(disks.size(), 2u);
    const auto& sda = disks[0];
    EXPECT_EQ(Val(sda, "DeviceID"), "/dev/sda");
    EXPECT_EQ(Val(sda, "Index"), "0");
    EXPECT_EQ(Val(sda, "Model"), "Samsung SSD 860");
    EXPECT_EQ(Val(sda, "Manufacturer"), "ATA");
    EXPECT_EQ(Val(sda, "FirmwareRevision"), "RVT04B6Q");
    EXPECT_EQ(Val(sda, "Size"), std::to_string(1953525168ull * 512));
    EXPECT_EQ(Val(sda, "TotalSectors"), "1953525168");
    EXPECT_EQ(Val(sda, "Partitions"), "3");
    EXPECT_EQ(Val(sda, "MediaType"), "Fixed hard disk media");
    EXPECT_EQ(sda->GetValue(u"Capabilities").ArrayCount(), 2);
    EXPECT_EQ(Val(sda, "SerialNumber"), "<null>");
    const auto& sdb = disks[1];
    EXPECT_EQ(Val(sdb, "Index"), "1");
    EXPECT_EQ(Val(sdb, "MediaType"), "Removable Media");
    EXPECT_EQ(sdb->GetValue(u"Capabilities").ArrayCount(), 2);  // read-only: random access, removable
    EXPECT_EQ(Val(sdb, "BytesPerSector"), "<null>");
    EXPECT_EQ(Val(sdb, "Caption"), "/dev/sdb");
    EXPECT_EQ(All(s.Services, "SELECT * FROM CIM_MediaAccessDevice").size(), 2u);
    for (const char* name : {"loop3", "dm-0", "md127", "sr0", "zram0"}) EXPECT_FALSE(IsPhysicalDiskName(name)) << name;
    for (const char* name : {"sda", "nvme0n1", "vda", "mmcblk0"}) EXPECT_TRUE(IsPhysicalDiskName(name)) << name;
}

TEST(NativeDiskDrives, PartitionsFromFixture) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto parts = All(s.Services, "SELECT * FROM Win32_DiskPartition");
    ASSERT_EQ(parts.size(), 3u);  // sda1, sda2 and sda10, in the order of their numbers
    EXPECT_EQ(Val(parts[0], "DeviceID"), "Disk #0, Partition #0");
    EXPECT_EQ(Val(parts[0], "__RELPATH"), "Win32_DiskPartition.DeviceID=\"Disk #0, Partition #0\"");
    EXPECT_EQ(Val(parts[0], "DiskIndex"), "0");
    EXPECT_EQ(Val(parts[0], "StartingOffset"), "1048576");
    EXPECT_EQ(Val(parts[0], "Size"), std::to_string(1050624ull * 512));
    EXPECT_EQ(Val(parts[0], "NumberOfBlocks"), "1050624");
    EXPECT_EQ(Val(parts[0], "Type"), "GPT: Unknown");
    EXPECT_EQ(Val(parts[0], "PrimaryPartition"), "TRUE");
    EXPECT_EQ(Val(parts[0], "Bootable"), "FALSE");
    EXPECT_EQ(Val(parts[1], "Type"), "GPT: System");  // the type GUID in capitals
    EXPECT_EQ(Val(parts[1], "BootPartition"), "TRUE");
    EXPECT_EQ(Val(parts[2], "Index"), "2");
    EXPECT_EQ(Val(parts[2], "Type"), "<null>");  // udev has no record of it
    EXPECT_EQ(All(s.Services, "SELECT * FROM CIM_StorageExtent WHERE __CLASS = 'Win32_DiskPartition'").size(), 3u);
    EXPECT_EQ(PartitionTypeText("dos", "0x7"), "Installable File System");
    EXPECT_EQ(PartitionTypeText("dos", "0x83"), "Unknown");
    EXPECT_FALSE(PartitionTypeText("atari", "x"));

    // A partition number that is no number is no partition; unreadable places are null.
    Service broken = Connect(FixtureRoot("native-broken"));
    auto bad = All(broken.Services, "SELECT * FROM Win32_DiskPartition");
    ASSERT_EQ(bad.size(), 1u);
    EXPECT_EQ(Val(bad[0], "DeviceID"), "Disk #0, Partition #0");
    EXPECT_EQ(Val(bad[0], "StartingOffset"), "<null>");
    EXPECT_EQ(Val(bad[0], "Size"), "<null>");
    EXPECT_EQ(Val(bad[0], "Type"), "<null>");  // a scheme without a type
}

TEST(NativeDiskDrivesRealSystem, SizesMatchProcPartitions) {
    auto context = std::make_shared<const NativeContext>("/");
    auto locator = MakeNativeLocator(context, MakeNativeRepository(context));
    ISWbemServicesPtr services;
    ASSERT_EQ(locator->ConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", 128, nullptr, services), S_OK);
    std::map<std::string, std::uint64_t> kib;  // /proc/partitions: major minor #blocks name
    std::ifstream in("/proc/partitions");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::uint64_t major = 0, minor = 0, blocks = 0;
        std::string name;
        if (fields >> major >> minor >> blocks >> name) kib[name] = blocks;
    }
    std::size_t expected = 0;
    for (const auto& [name, blocks] : kib)
        if (IsPhysicalDiskName(name) && name.find_first_of("0123456789") == std::string::npos) ++expected;
    auto disks = All(services, "SELECT * FROM Win32_DiskDrive");
    for (const auto& d : disks) {
        const std::string name = Val(d, "DeviceID").substr(5);
        ASSERT_TRUE(kib.count(name)) << name;
        EXPECT_EQ(std::stoull(Val(d, "Size")) / 1024, kib[name]) << name;
    }
    // Disks named by letters only (sda, vdb) are every one of them here.
    std::size_t lettered = 0;
    for (const auto& d : disks) lettered += Val(d, "DeviceID").find_first_of("0123456789") == std::string::npos;
    EXPECT_EQ(lettered, expected);

    // Each disk's partitions, by size, as the kernel lists them after the disk.
    for (const auto& d : disks) {
        const std::string name = Val(d, "DeviceID").substr(5);
        std::multiset<std::uint64_t> kernel, reported;
        for (const auto& [part, blocks] : kib)
            if (part != name && part.rfind(name, 0) == 0 && std::ifstream("/sys/block/" + name + "/" + part + "/partition"))
                kernel.insert(blocks);
        const std::string q = "ASSOCIATORS OF {Win32_DiskDrive.DeviceID=\"" + Val(d, "DeviceID") + "\"} WHERE ResultClass = Win32_DiskPartition";
        for (const auto& p : All(services, q.c_str())) reported.insert(std::stoull(Val(p, "Size")) / 1024);
        EXPECT_EQ(reported, kernel) << name;
    }
}

}  // namespace
}  // namespace veskin
