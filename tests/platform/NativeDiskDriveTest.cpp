// Win32_DiskDrive: the disks of the fixture's sys/block, and of this machine against
// the kernel's /proc/partitions.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "platform/native/DiskDriveProvider.h"
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
    EXPECT_EQ(Val(sda, "Partitions"), "2");
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
}

}  // namespace
}  // namespace veskin
