// Win32_Service: the systemd units of the fixture tree, and on this machine against
// the unit folders and cgroups systemd keeps.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/native/NativeService.h"
#include "platform/native/ServiceProvider.h"
#include "tests/platform/NativeTestSupport.h"

namespace veskin {
namespace {

TEST(NativeServices, SystemdUnitsFromFixture) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto services = All(s.Services, "SELECT * FROM Win32_Service");
    // bluetooth (masked), cron (the administrator's file wins), ssh; the getty template is none.
    ASSERT_EQ(services.size(), 3u);
    EXPECT_EQ(Val(services[0], "Name"), "bluetooth");
    EXPECT_EQ(Val(services[0], "StartMode"), "Disabled");
    EXPECT_EQ(Val(services[0], "State"), "Stopped");
    EXPECT_EQ(Val(services[0], "ProcessId"), "0");
    EXPECT_EQ(Val(services[1], "DisplayName"), "Local cron");
    EXPECT_EQ(Val(services[1], "PathName"), "/usr/local/sbin/cron");
    EXPECT_EQ(Val(services[1], "StartMode"), "Manual");
    const auto& ssh = services[2];
    EXPECT_EQ(Val(ssh, "DisplayName"), "OpenBSD Secure Shell server");
    EXPECT_EQ(Val(ssh, "PathName"), "/usr/sbin/sshd -D $SSHD_OPTS");
    EXPECT_EQ(Val(ssh, "StartMode"), "Auto");
    EXPECT_EQ(Val(ssh, "State"), "Running");
    EXPECT_EQ(Val(ssh, "Started"), "TRUE");
    EXPECT_EQ(Val(ssh, "ProcessId"), "42");  // the cgroup's first process whose parent is outside it
    EXPECT_EQ(Val(ssh, "__RELPATH"), "Win32_Service.Name=\"ssh\"");
    EXPECT_EQ(All(s.Services, "SELECT * FROM Win32_Service WHERE State = 'Running'").size(), 1u);
    EXPECT_EQ(All(s.Services, "SELECT Name FROM Win32_BaseService").size(), 3u);

    // Without a running systemd there are no services to show.
    Service broken = Connect(FixtureRoot("native-broken"));
    EXPECT_EQ(All(broken.Services, "SELECT * FROM Win32_Service").size(), 0u);

    const UnitFile unit = ParseUnitFile("[Service]\nExecStart=\nExecStart = @+/bin/x -a\n[Unit]\n Description = d \n");
    EXPECT_EQ(unit.ExecStart, "/bin/x -a");
    EXPECT_EQ(unit.Description, "d ");
}

TEST(NativeServicesRealSystem, UnitsOnlyWhereSystemdRuns) {
    auto context = std::make_shared<const NativeContext>("/");
    auto locator = MakeNativeLocator(context, MakeNativeRepository(context));
    ISWbemServicesPtr services;
    ASSERT_EQ(locator->ConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", 128, nullptr, services), S_OK);
    auto all = All(services, "SELECT * FROM Win32_Service");
    if (!std::filesystem::exists("/run/systemd/system")) {
        EXPECT_EQ(all.size(), 0u);
        return;
    }
    for (const auto& svc : all) {
        const std::string unit = Val(svc, "Name") + ".service";
        bool found = false;
        for (const char* dir : {"/etc/systemd/system/", "/run/systemd/system/", "/usr/lib/systemd/system/", "/lib/systemd/system/"})
            found = found || std::filesystem::exists(std::filesystem::symlink_status(dir + unit));
        EXPECT_TRUE(found) << unit;
        if (Val(svc, "State") == "Running") {
            EXPECT_TRUE(std::filesystem::exists("/proc/" + Val(svc, "ProcessId"))) << unit;
        }
    }
}

}  // namespace
}  // namespace veskin
