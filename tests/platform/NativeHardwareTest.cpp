// Win32_ComputerSystem, Win32_BIOS and Win32_BaseBoard: from the fixture tree, and on
// this machine against what the system reports.
#include <gtest/gtest.h>

#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <fstream>

#include "platform/native/ComputerSystemProvider.h"
#include "platform/native/CpuPackageProvider.h"
#include "platform/native/DmiInfo.h"
#include "platform/native/NativeService.h"
#include "tests/platform/NativeTestSupport.h"

namespace veskin {
namespace {

TEST(NativeHardware, ComputerSystemFromFixture) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto cs = All(s.Services, "SELECT * FROM Win32_ComputerSystem");
    ASSERT_EQ(cs.size(), 1u);
    EXPECT_EQ(Val(cs[0], "Name"), "FIXTUREHOST");
    EXPECT_EQ(Val(cs[0], "__RELPATH"), "Win32_ComputerSystem.Name=\"FIXTUREHOST\"");
    EXPECT_EQ(Val(cs[0], "DNSHostName"), "fixturehost");
    EXPECT_EQ(Val(cs[0], "Manufacturer"), "Contoso");
    EXPECT_EQ(Val(cs[0], "Model"), "Model 7");
    EXPECT_EQ(Val(cs[0], "PCSystemType"), "2");  // chassis 10: a notebook
    EXPECT_EQ(Val(cs[0], "NumberOfLogicalProcessors"), "2");
    EXPECT_EQ(Val(cs[0], "NumberOfProcessors"), "1");
    EXPECT_EQ(Val(cs[0], "HypervisorPresent"), "FALSE");   // no "hypervisor" flag
    EXPECT_EQ(Val(cs[0], "__DERIVATION"), "<type 8204>");  // an array
    EXPECT_EQ(Val(cs[0], "UserName"), "<null>");
    EXPECT_NE(Val(cs[0], "TotalPhysicalMemory"), "<null>");
    EXPECT_EQ(All(s.Services, "SELECT * FROM CIM_System").size(), 1u);

    Service broken = Connect(FixtureRoot("native-broken"));
    auto bcs = All(broken.Services, "SELECT * FROM Win32_ComputerSystem");
    ASSERT_EQ(bcs.size(), 1u);
    EXPECT_EQ(Val(bcs[0], "Manufacturer"), "<null>");
    EXPECT_EQ(Val(bcs[0], "PCSystemType"), "<null>");
    EXPECT_EQ(PcSystemTypeOfChassis(23), 4u);
    EXPECT_EQ(PcSystemTypeOfChassis(3), 1u);
    EXPECT_EQ(PcSystemTypeOfChassis(99), 0u);
}

TEST(NativeHardware, BiosAndBaseBoardFromFixture) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto bios = All(s.Services, "SELECT * FROM Win32_BIOS");
    ASSERT_EQ(bios.size(), 1u);
    EXPECT_EQ(Val(bios[0], "Manufacturer"), "American Megatrends Inc.");
    EXPECT_EQ(Val(bios[0], "SMBIOSBIOSVersion"), "F.42");
    EXPECT_EQ(Val(bios[0], "ReleaseDate"), "20210315000000.000000+000");
    EXPECT_EQ(Val(bios[0], "SystemBiosMajorVersion"), "5");
    EXPECT_EQ(Val(bios[0], "SystemBiosMinorVersion"), "17");
    EXPECT_EQ(Val(bios[0], "SMBIOSMajorVersion"), "3");
    EXPECT_EQ(Val(bios[0], "SMBIOSMinorVersion"), "4");
    EXPECT_EQ(Val(bios[0], "SerialNumber"), "SN-123");
    EXPECT_EQ(Val(bios[0], "EmbeddedControllerMajorVersion"), "<null>");
    EXPECT_FALSE(Val(bios[0], "__PATH").empty());
    EXPECT_EQ(Val(bios[0], "__PATH").find("<null>"), std::string::npos);

    auto board = All(s.Services, "SELECT * FROM Win32_BaseBoard");
    ASSERT_EQ(board.size(), 1u);
    EXPECT_EQ(Val(board[0], "Product"), "MB-7");
    EXPECT_EQ(Val(board[0], "SerialNumber"), "<null>");  // blank in the firmware
    EXPECT_EQ(Val(board[0], "__RELPATH"), "Win32_BaseBoard.Tag=\"Base Board\"");

    // No SMBIOS data: no instance rather than one made of nothing.
    Service broken = Connect(FixtureRoot("native-broken"));
    EXPECT_EQ(All(broken.Services, "SELECT * FROM Win32_BIOS").size(), 0u);
    EXPECT_EQ(All(broken.Services, "SELECT * FROM Win32_BaseBoard").size(), 0u);

    EXPECT_FALSE(DmiDateToDmtf("2021-03-15"));
    EXPECT_FALSE(DmiDateToDmtf("13/01/2021"));
    EXPECT_FALSE(ParseDottedVersion("5"));
    EXPECT_FALSE(SmbiosVersionOf("_SM_"));
    EXPECT_EQ(SmbiosVersionOf(std::string("_SM_\0\0\x02\x08", 8))->Minor, 8u);
}

TEST(NativeHardware, ProcessorPackagesFromFixture) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto cpus = All(s.Services, "SELECT * FROM Win32_Processor");
    ASSERT_EQ(cpus.size(), 1u);  // two logical processors of one package
    const auto& p = cpus[0];
    EXPECT_EQ(Val(p, "DeviceID"), "CPU0");
    EXPECT_EQ(Val(p, "Name"), "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz");
    EXPECT_EQ(Val(p, "Manufacturer"), "GenuineIntel");
    EXPECT_EQ(Val(p, "NumberOfCores"), "1");
    EXPECT_EQ(Val(p, "NumberOfLogicalProcessors"), "2");
    EXPECT_EQ(Val(p, "CurrentClockSpeed"), "3193");  // no cpufreq reading: cpuinfo's MHz
    EXPECT_EQ(Val(p, "MaxClockSpeed"), "4600");
    EXPECT_EQ(Val(p, "L2CacheSize"), "512");    // one 256 KB cache per processor
    EXPECT_EQ(Val(p, "L3CacheSize"), "12288");  // shared: counted once
    EXPECT_EQ(Val(p, "Revision"), std::to_string(158 * 256 + 10));
    EXPECT_EQ(Val(p, "Stepping"), "10");
    EXPECT_EQ(Val(p, "VMMonitorModeExtensions"), "TRUE");
    EXPECT_EQ(Val(p, "SecondLevelAddressTranslationExtensions"), "TRUE");
    EXPECT_EQ(Val(p, "Architecture"), "9");  // the fixture's kernel arch is x86_64
    EXPECT_EQ(Val(p, "Caption"), "Intel64 Family 6 Model 158 Stepping 10");
    EXPECT_EQ(Val(p, "LoadPercentage"), "<null>");
    EXPECT_EQ(All(s.Services, "SELECT * FROM CIM_Processor").size(), 1u);

    EXPECT_EQ(CacheSizeKb("12M"), std::optional<std::uint64_t>(12288));
    EXPECT_FALSE(CacheSizeKb("K"));
    auto blocks = ParseCpuInfoBlocks("processor : 0\na : 1\n\nprocessor : 1\nno colon\nb :\n");
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1].at("b"), "");
}

std::string FirstLine(const char* path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

TEST(NativeHardwareRealSystem, MatchesUnameSysinfoAndTheFirmwareFiles) {
    auto context = std::make_shared<const NativeContext>("/");
    auto locator = MakeNativeLocator(context, MakeNativeRepository(context));
    ISWbemServicesPtr services;
    ASSERT_EQ(locator->ConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", 128, nullptr, services), S_OK);
    auto cs = All(services, "SELECT * FROM Win32_ComputerSystem");
    ASSERT_EQ(cs.size(), 1u);
    utsname u{};
    ASSERT_EQ(::uname(&u), 0);
    std::string node = u.nodename;
    EXPECT_EQ(Val(cs[0], "DNSHostName"), node.substr(0, node.find('.')));
    EXPECT_EQ(Val(cs[0], "NumberOfLogicalProcessors"), std::to_string(::sysconf(_SC_NPROCESSORS_ONLN)));
    struct sysinfo info {};
    ASSERT_EQ(::sysinfo(&info), 0);
    const double total = static_cast<double>(info.totalram) * info.mem_unit;
    EXPECT_NEAR(std::stod(Val(cs[0], "TotalPhysicalMemory")), total, total * 0.01);

    // The packages together hold every processor the system has online.
    std::uint64_t logical = 0;
    for (const auto& p : All(services, "SELECT * FROM Win32_Processor"))
        logical += std::stoull(Val(p, "NumberOfLogicalProcessors"));
    EXPECT_EQ(logical, static_cast<std::uint64_t>(::sysconf(_SC_NPROCESSORS_ONLN)));
    if (std::string(u.machine) == "x86_64") {
        EXPECT_EQ(Val(All(services, "SELECT * FROM Win32_Processor")[0], "Architecture"), "9");
    }

    auto bios = All(services, "SELECT * FROM Win32_BIOS");
    const bool dmi = std::ifstream("/sys/class/dmi/id/bios_vendor").good();
    if (!dmi) {
        EXPECT_EQ(bios.size(), 0u);
        return;
    }
    ASSERT_EQ(bios.size(), 1u);
    EXPECT_EQ(Val(bios[0], "Manufacturer"), FirstLine("/sys/class/dmi/id/bios_vendor"));
    auto board = All(services, "SELECT * FROM Win32_BaseBoard");
    ASSERT_EQ(board.size(), 1u);
}

}  // namespace
}  // namespace veskin
