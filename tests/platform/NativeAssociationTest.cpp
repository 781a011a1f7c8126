// ASSOCIATORS OF and REFERENCES OF over the fixture tree (the computer and its
// processes, an adapter and its configuration) and on this machine.
#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/WbemAssociations.h"
#include "tests/platform/NativeTestSupport.h"

namespace veskin {
namespace {

TEST(NativeAssociations, AnAdapterAndItsConfiguration) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto settings = All(s.Services, "ASSOCIATORS OF {Win32_NetworkAdapter.DeviceID=\"2\"}");
    ASSERT_EQ(settings.size(), 1u);
    EXPECT_EQ(Val(settings[0], "__CLASS"), "Win32_NetworkAdapterConfiguration");
    EXPECT_EQ(Val(settings[0], "Index"), "2");
    auto adapters = All(s.Services, "ASSOCIATORS OF {Win32_NetworkAdapterConfiguration.Index=3} WHERE ResultClass = CIM_NetworkAdapter");
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(Val(adapters[0], "NetConnectionID"), "eth1");

    auto refs = All(s.Services, "REFERENCES OF {\\\\.\\root\\cimv2:win32_networkadapter.deviceid=\"2\"}");
    ASSERT_EQ(refs.size(), 1u);
    EXPECT_EQ(Val(refs[0], "__CLASS"), "Win32_NetworkAdapterSetting");
    EXPECT_EQ(Val(refs[0], "Element"), "\\\\FIXTUREHOST\\root\\cimv2:Win32_NetworkAdapter.DeviceID=\"2\"");
    EXPECT_EQ(Val(refs[0], "Setting"), "\\\\FIXTUREHOST\\root\\cimv2:Win32_NetworkAdapterConfiguration.Index=2");
    EXPECT_EQ(refs[0]->Class()->Properties()[refs[0]->Class()->IndexOf(u"Element")].CimType, wbemCimtypeReference);
    EXPECT_TRUE(IsAssociationClass(*refs[0]->Class()));
    // The association's own path quotes the references inside it.
    EXPECT_EQ(Val(refs[0], "__RELPATH").rfind("Win32_NetworkAdapterSetting.Element=\"\\\\\\\\FIXTUREHOST", 0), 0u);
    EXPECT_EQ(All(s.Services, "SELECT * FROM Win32_NetworkAdapterSetting").size(), 3u);
    EXPECT_EQ(All(s.Services, "SELECT * FROM CIM_ElementSetting WHERE Setting LIKE '%Index=1'").size(), 1u);
}

TEST(NativeAssociations, TheComputerAndItsProcesses) {
    Service s = Connect(FixtureRoot("native-basic"));
    const std::size_t processes = All(s.Services, "SELECT Handle FROM Win32_Process").size();
    ASSERT_GT(processes, 1u);
    const char* computer = "{Win32_ComputerSystem.Name=\"FIXTUREHOST\"}";
    auto parts = All(s.Services, (std::string("ASSOCIATORS OF ") + computer).c_str());
    EXPECT_EQ(parts.size(), processes);
    for (const auto& p : parts) EXPECT_EQ(Val(p, "__CLASS"), "Win32_Process");
    EXPECT_EQ(All(s.Services, (std::string("REFERENCES OF ") + computer + " WHERE Role = GroupComponent").c_str()).size(), processes);
    EXPECT_EQ(All(s.Services, (std::string("REFERENCES OF ") + computer + " WHERE Role = PartComponent").c_str()).size(), 0u);

    const std::string process = "{Win32_Process.Handle=\"42\"}";
    auto whole = All(s.Services, ("ASSOCIATORS OF " + process).c_str());
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(Val(whole[0], "__CLASS"), "Win32_ComputerSystem");
    EXPECT_EQ(Val(whole[0], "Model"), "Model 7");
    // Each WHERE keyword narrows the associations or the objects at their other end.
    const std::pair<const char*, std::size_t> narrowed[] = {
        {" WHERE AssocClass = Win32_SystemProcesses", 1}, {" WHERE AssocClass = CIM_Component", 1}, {" WHERE AssocClass = Win32_NetworkAdapterSetting", 0}, {" WHERE ResultClass = CIM_System", 1}, {" WHERE ResultClass = Win32_Process", 0}, {" WHERE Role = PartComponent", 1}, {" WHERE Role = GroupComponent", 0}, {" WHERE ResultRole = GroupComponent", 1}, {" WHERE ResultRole = PartComponent", 0}, {" WHERE RequiredAssocQualifier = Association", 1}, {" WHERE RequiredAssocQualifier = Dynamic", 0}, {" WHERE RequiredQualifier = Association", 0}};
    for (const auto& [where, count] : narrowed)
        EXPECT_EQ(All(s.Services, ("ASSOCIATORS OF " + process + where).c_str()).size(), count) << where;
    auto keys = All(s.Services, ("ASSOCIATORS OF " + process + " WHERE KeysOnly").c_str());
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0]->Class()->PropertyCount(), 1u);
    EXPECT_EQ(Val(keys[0], "__PATH"), "\\\\FIXTUREHOST\\root\\cimv2:Win32_ComputerSystem.Name=\"FIXTUREHOST\"");
    auto defs = All(s.Services, ("ASSOCIATORS OF " + process + " WHERE ClassDefsOnly").c_str());
    ASSERT_EQ(defs.size(), 1u);
    EXPECT_EQ(Val(defs[0], "__GENUS"), "1");
    EXPECT_EQ(Val(defs[0], "__CLASS"), "Win32_ComputerSystem");
    EXPECT_EQ(All(s.Services, ("REFERENCES OF " + process + " WHERE RequiredQualifier = Association").c_str()).size(), 1u);
    auto refs = All(s.Services, ("REFERENCES OF " + process + " WHERE ResultClass = CIM_SystemComponent").c_str());
    ASSERT_EQ(refs.size(), 1u);
    EXPECT_EQ(Val(refs[0], "PartComponent"), "\\\\FIXTUREHOST\\root\\cimv2:Win32_Process.Handle=\"42\"");

    std::vector<WbemObjectPtr> none;
    EXPECT_EQ(Query(s.Services, "ASSOCIATORS OF {Win32_Process.Handle=\"4242\"}", none), WBEM_E_NOT_FOUND);
    EXPECT_EQ(Query(s.Services, "ASSOCIATORS OF {Win32_Process.Handle=\"42\"", none), WBEM_E_INVALID_QUERY);
    EXPECT_EQ(Query(s.Services, "ASSOCIATORS OF {Win32_Process.=}", none), WBEM_E_INVALID_OBJECT_PATH);
    EXPECT_EQ(Query(s.Services, "REFERENCES OF {Win32_Process} WHERE SchemaOnly", none), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(Query(s.Services, "REFERENCES OF {Win32_Process}", none), S_OK);
    EXPECT_TRUE(none.empty());
}

TEST(NativeAssociations, DisksTheirPartitionsAndTheFileSystemsOnThem) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto parts = All(s.Services, "ASSOCIATORS OF {Win32_DiskDrive.DeviceID=\"/dev/sda\"}");
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(Val(parts[2], "DeviceID"), "Disk #0, Partition #2");
    EXPECT_EQ(All(s.Services, "ASSOCIATORS OF {Win32_DiskDrive.DeviceID=\"/dev/sdb\"}").size(), 0u);  // no partitions

    // "/" is on sda1; /boot is a file system on the whole disk sdb, on no partition.
    auto root = All(s.Services, "ASSOCIATORS OF {Win32_DiskPartition.DeviceID=\"Disk #0, Partition #0\"} WHERE AssocClass = Win32_LogicalDiskToPartition");
    ASSERT_EQ(root.size(), 1u);
    EXPECT_EQ(Val(root[0], "DeviceID"), "/");
    auto drive = All(s.Services, "ASSOCIATORS OF {Win32_DiskPartition.DeviceID=\"Disk #0, Partition #0\"} WHERE ResultClass = CIM_DiskDrive");
    ASSERT_EQ(drive.size(), 1u);
    EXPECT_EQ(Val(drive[0], "DeviceID"), "/dev/sda");
    auto based = All(s.Services, "REFERENCES OF {Win32_LogicalDisk.DeviceID=\"/\"}");
    ASSERT_EQ(based.size(), 1u);
    EXPECT_EQ(Val(based[0], "StartingAddress"), "1048576");
    EXPECT_EQ(Val(based[0], "EndingAddress"), std::to_string((2048ull + 1050624) * 512 - 1));
    EXPECT_EQ(All(s.Services, "REFERENCES OF {Win32_LogicalDisk.DeviceID=\"/boot\"}").size(), 0u);
    EXPECT_EQ(All(s.Services, "SELECT * FROM CIM_Dependency").size(), 4u);  // three partitions, one file system
}

TEST(NativeAssociationsRealSystem, ThisProcessAndItsComputerAdaptersAndTheirSettings) {
    Service s = Connect(std::make_shared<const NativeContext>("/"));
    const std::string self = "{Win32_Process.Handle=\"" + std::to_string(::getpid()) + "\"}";
    auto computer = All(s.Services, ("ASSOCIATORS OF " + self).c_str());
    ASSERT_EQ(computer.size(), 1u);
    EXPECT_EQ(Val(computer[0], "__PATH"), Val(All(s.Services, "SELECT Name FROM Win32_ComputerSystem").at(0), "__PATH"));
    for (const auto& adapter : All(s.Services, "SELECT DeviceID FROM Win32_NetworkAdapter")) {
        const std::string path = "{Win32_NetworkAdapter.DeviceID=\"" + Val(adapter, "DeviceID") + "\"}";
        auto setting = All(s.Services, ("ASSOCIATORS OF " + path + " WHERE ResultRole = Setting").c_str());
        ASSERT_EQ(setting.size(), 1u) << path;
        EXPECT_EQ(Val(setting[0], "Index"), Val(adapter, "DeviceID"));
    }
}

}  // namespace
}  // namespace veskin
