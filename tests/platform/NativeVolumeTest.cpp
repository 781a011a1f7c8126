// Win32_LogicalDisk: the mounted file systems of the fixture tree, and of this machine
// against statvfs.
#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include "platform/native/NativeService.h"
#include "platform/native/VolumeProvider.h"
#include "tests/platform/NativeTestSupport.h"

namespace veskin {
namespace {

TEST(NativeVolumes, MountedFileSystemsFromFixture) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto disks = All(s.Services, "SELECT * FROM Win32_LogicalDisk");
    // "/", "/boot" and "/media/my disk": bind mounts, network and pseudo file systems left out.
    ASSERT_EQ(disks.size(), 3u);
    EXPECT_EQ(Val(disks[0], "DeviceID"), "/");
    EXPECT_EQ(Val(disks[0], "DriveType"), "3");
    EXPECT_EQ(Val(disks[0], "FileSystem"), "ext4");
    EXPECT_EQ(Val(disks[0], "VolumeName"), "root disk");
    EXPECT_EQ(Val(disks[0], "VolumeSerialNumber"), "<null>");  // a 128-bit UUID has no Windows form
    EXPECT_EQ(Val(disks[0], "ProviderName"), "/dev/sda1");
    EXPECT_NE(Val(disks[0], "Size"), "<null>");  // the fixture folder itself
    EXPECT_EQ(Val(disks[1], "DeviceID"), "/boot");
    EXPECT_EQ(Val(disks[1], "DriveType"), "2");  // sdb is removable
    EXPECT_EQ(Val(disks[1], "VolumeSerialNumber"), "ABCD12EF");
    EXPECT_EQ(Val(disks[2], "DeviceID"), "/media/my disk");
    EXPECT_EQ(Val(disks[2], "Size"), "<null>");  // not there to ask
    EXPECT_EQ(Val(disks[2], "__RELPATH"), "Win32_LogicalDisk.DeviceID=\"/media/my disk\"");
    EXPECT_EQ(All(s.Services, "SELECT * FROM CIM_LogicalDisk").size(), 3u);

    // Only the named mount is asked for its space.
    std::vector<std::string> asked;
    FsSpaceQuery recording = [&asked](const std::string& path) -> std::optional<FsSpace> {
        asked.push_back(path);
        return FsSpace{1000, 400, 100, 10, 255};
    };
    auto context = std::make_shared<const NativeContext>(FixtureRoot("native-basic"));
    WbemQueryHint hint;
    hint.Required[u"DeviceID"] = {u"/BOOT"};
    WbemObjectProducer producer = EnumerateVolumes(context, hint, recording);
    WbemObjectPtr boot;
    ASSERT_EQ(producer(boot), S_OK);
    EXPECT_EQ(Val(boot, "FreeSpace"), "400");
    EXPECT_EQ(Val(boot, "MaximumComponentLength"), "255");
    EXPECT_EQ(producer(boot), S_FALSE);
    EXPECT_EQ(asked, std::vector<std::string>{context->Files().PathOf("/boot")});
    EXPECT_EQ(All(s.Services, "SELECT DeviceID FROM Win32_LogicalDisk WHERE DeviceID = '/boot'").size(), 1u);

    EXPECT_EQ(VolumeSerialOf("0123456789abcdef"), "89ABCDEF");
    EXPECT_FALSE(VolumeSerialOf("zz-12"));
}

TEST(NativeVolumesRealSystem, RootMatchesStatvfs) {
    auto context = std::make_shared<const NativeContext>("/");
    auto locator = MakeNativeLocator(context, MakeNativeRepository(context));
    ISWbemServicesPtr services;
    ASSERT_EQ(locator->ConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", 128, nullptr, services), S_OK);
    auto root = All(services, "SELECT * FROM Win32_LogicalDisk WHERE DeviceID = '/'");
    if (root.empty()) GTEST_SKIP() << "/ is no local file system here";
    ASSERT_EQ(root.size(), 1u);
    struct statvfs st {};
    ASSERT_EQ(::statvfs("/", &st), 0);
    EXPECT_EQ(Val(root[0], "Size"), std::to_string(static_cast<std::uint64_t>(st.f_blocks) * st.f_frsize));
    EXPECT_EQ(Val(root[0], "MaximumComponentLength"), std::to_string(st.f_namemax));
    const double freeNow = static_cast<double>(st.f_bavail) * st.f_frsize;
    EXPECT_NEAR(std::stod(Val(root[0], "FreeSpace")), freeNow, 64.0 * 1024 * 1024);
}

}  // namespace
}  // namespace veskin
