#include <gtest/gtest.h>

#include <thread>

#include <chrono>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "platform/CimValue.h"
#include "platform/WbemObject.h"
#include "platform/WbemRepository.h"
#include "platform/native/ClassSchema.h"
#include "platform/native/DmtfTime.h"
#include "platform/native/LogicalDiskProvider.h"
#include "platform/native/MemoryProvider.h"
#include "platform/native/NativeService.h"
#include "platform/native/NetworkInterfaceProvider.h"
#include "platform/native/OperatingSystemProvider.h"
#include "platform/native/ProcessProvider.h"
#include "platform/native/ProcessorProvider.h"
#include "platform/native/TextFields.h"
#include "tests/platform/NativeTestSupport.h"

namespace veskin {
namespace {

namespace fs = std::filesystem;

WbemObjectPtr ByName(const std::vector<WbemObjectPtr>& objects, const std::string& name) {
    for (const auto& o : objects)
        if (Val(o, "Name") == name) return o;
    return nullptr;
}

const char* const kClasses[] = {
    "Win32_OperatingSystem", "Win32_Process", "Win32_PerfFormattedData_PerfDisk_LogicalDisk",
    "Win32_PerfFormattedData_PerfOS_Memory", "Win32_PerfFormattedData_PerfOS_Processor",
    "Win32_PerfRawData_Tcpip_NetworkInterface", "Win32_UserAccount", "Win32_Group", "Win32_Environment",
    "Win32_ComputerSystem", "Win32_BIOS", "Win32_BaseBoard", "Win32_LogicalDisk", "Win32_Processor", "Win32_DiskDrive", "Win32_Service",
    "Win32_NetworkAdapter", "Win32_NetworkAdapterConfiguration", "Win32_SystemProcesses", "Win32_NetworkAdapterSetting",
    "Win32_DiskPartition", "Win32_DiskDriveToDiskPartition", "Win32_LogicalDiskToPartition",
    "Win32_PerfRawData_PerfProc_Process", "Win32_PerfFormattedData_PerfProc_Process"};
// Superclasses of the served classes: they have data files but no provider.
const char* const kAbstractClasses[] = {
    "CIM_ManagedSystemElement", "CIM_LogicalElement", "CIM_Process", "CIM_OperatingSystem",
    "CIM_StatisticalInformation", "Win32_Perf", "Win32_PerfFormattedData", "Win32_PerfRawData",
    "Win32_Account", "CIM_SystemResource", "CIM_System", "CIM_ComputerSystem", "CIM_UnitaryComputerSystem",
    "CIM_SoftwareElement", "CIM_BIOSElement", "CIM_PhysicalElement", "CIM_PhysicalPackage", "CIM_Card",
    "CIM_LogicalDevice", "CIM_StorageExtent", "CIM_LogicalDisk", "CIM_Processor", "CIM_MediaAccessDevice",
    "CIM_DiskDrive", "CIM_Service", "Win32_BaseService", "CIM_NetworkAdapter", "CIM_Setting",
    "CIM_Component", "CIM_SystemComponent", "CIM_ElementSetting", "Win32_DeviceSettings", "CIM_DiskPartition",
    "CIM_Dependency", "CIM_MediaPresent", "CIM_BasedOn"};

// Every value is in the delivered form of its property's CIM type.
void ExpectDeliveredForms(const WbemObjectPtr& obj) {
    const auto& props = obj->Class()->Properties();
    for (std::size_t i = 0; i < props.size(); ++i) {
        Variant v = obj->GetValue(i);
        if (v.IsNull()) continue;
        Variant coerced;
        ASSERT_EQ(CimCoerce(v, props[i].CimType, props[i].IsArray, coerced), S_OK) << WideToAnsi(props[i].Name);
        EXPECT_EQ(coerced.VarType(), v.VarType()) << WideToAnsi(props[i].Name);
    }
}

// "Name=value" with the value's kind: "MaxLen=i256", "Units=s100 nanoseconds", "key=bTrue".
std::string QualifierText(const WbemQualifierDef& q) {
    const char kind = q.Value.VarType() == varBoolean ? 'b' : q.Value.VarType() == varInteger ? 'i'
                                                                                              : 's';
    return WideToAnsi(q.Name) + "=" + kind + q.Value.AsString();
}

std::string PropertyText(const WbemPropertyDef& p) {
    std::string text = WideToAnsi(p.Name) + " " + CimTypeName(p.CimType) + (p.IsArray ? " array" : "");
    for (const auto& q : p.Qualifiers) text += " " + QualifierText(q);
    return text;
}

const WbemPropertyDef* FindProperty(const WbemClassPtr& cls, const char* name) {
    int i = cls->IndexOf(W(name));
    return i < 0 ? nullptr : &cls->Properties()[static_cast<std::size_t>(i)];
}

TEST(NativeSchema, EveryServedClassIsBuiltFromItsDataFile) {
    auto context = std::make_shared<const NativeContext>(FixtureRoot("native-basic"));
    WbemNamespacePtr ns = MakeNativeRepository(context)->FindNamespace(u"root\\cimv2");
    ASSERT_TRUE(ns);
    std::map<std::string, std::string_view> files;
    for (const auto& schema : EmbeddedClassSchemas()) files.emplace(schema.ClassName, schema.Text);
    std::set<std::string> served, abstract;
    for (const auto& entry : ns->Classes()) {
        const std::string name = WideToAnsi(entry.Class->Name());
        if (name.rfind("__", 0) == 0) continue;  // the system classes are no data of ours
        (entry.Source ? served : abstract).insert(name);
        auto file = files.find(name);
        ASSERT_NE(file, files.end()) << "no data file for " << name;
        ParsedClassSchema parsed = ParseClassSchema(name, file->second);
        EXPECT_EQ(parsed.Errors, std::vector<std::string>{}) << name;
        EXPECT_EQ(parsed.IsAbstract, !entry.Source) << name;
        // A derived class has every property of its superclass, with its type, and
        // the same keys where the superclass has keys.
        if (!parsed.Superclass.empty()) {
            ASSERT_FALSE(entry.Class->Derivation().empty()) << name;
            EXPECT_EQ(WideToAnsi(entry.Class->Derivation().front()), parsed.Superclass) << name;
            const WbemClassPtr base = NativeSchemaClass(parsed.Superclass);
            for (const auto& p : base->Properties()) {
                const WbemPropertyDef* own = FindProperty(entry.Class, WideToAnsi(p.Name).c_str());
                ASSERT_TRUE(own) << name << " lacks " << WideToAnsi(p.Name) << " of " << parsed.Superclass;
                EXPECT_EQ(own->CimType, p.CimType) << name << "." << WideToAnsi(p.Name);
                EXPECT_EQ(own->IsArray, p.IsArray) << name << "." << WideToAnsi(p.Name);
                if (!base->KeyIndexes().empty()) {
                    EXPECT_EQ(own->IsKey(), p.IsKey()) << name << "." << WideToAnsi(p.Name);
                }
            }
        }
        ASSERT_EQ(entry.Class->PropertyCount(), parsed.Class->PropertyCount()) << name;
        for (std::size_t i = 0; i < parsed.Class->PropertyCount(); ++i)
            EXPECT_EQ(PropertyText(entry.Class->Properties()[i]), PropertyText(parsed.Class->Properties()[i])) << name;
    }
    EXPECT_EQ(served, (std::set<std::string>(std::begin(kClasses), std::end(kClasses))));
    EXPECT_EQ(abstract, (std::set<std::string>(std::begin(kAbstractClasses), std::end(kAbstractClasses))));
    for (const auto& [name, text] : files)
        EXPECT_TRUE(served.count(name) || abstract.count(name)) << name << " has no provider and derives no class";

    // The files carry the documented classes whole (so a damaged file shows here).
    const std::map<std::string, std::size_t> counts = {
        {"Win32_OperatingSystem", 66}, {"Win32_Process", 45}, {"Win32_PerfFormattedData_PerfDisk_LogicalDisk", 32}, {"Win32_PerfFormattedData_PerfOS_Memory", 39}, {"Win32_PerfFormattedData_PerfOS_Processor", 24}, {"Win32_PerfRawData_Tcpip_NetworkInterface", 26}};
    for (const auto& [name, count] : counts) EXPECT_EQ(NativeSchemaClass(name)->PropertyCount(), count) << name;
    auto expectProperty = [](const char* cls, const char* prop, const char* text) {
        const WbemPropertyDef* p = FindProperty(NativeSchemaClass(cls), prop);
        ASSERT_TRUE(p) << cls << "." << prop;
        EXPECT_EQ(PropertyText(*p), text);
    };
    expectProperty("Win32_Process", "Handle", "Handle string CIMTYPE=sstring key=bTrue MaxLen=i256");
    expectProperty("Win32_Process", "KernelModeTime", "KernelModeTime uint64 CIMTYPE=suint64 Units=s100 nanoseconds");
    expectProperty("Win32_OperatingSystem", "MUILanguages", "MUILanguages string array CIMTYPE=sstring");
    expectProperty("Win32_OperatingSystem", "Description", "Description string CIMTYPE=sstring write=bTrue");
    expectProperty("Win32_PerfRawData_Tcpip_NetworkInterface", "BytesTotalPersec",
                   "BytesTotalPersec uint64 CIMTYPE=suint64 CounterType=i272696576 DefaultScale=i-4");
    expectProperty("Win32_PerfFormattedData_PerfDisk_LogicalDisk", "AvgDisksecPerRead",
                   "AvgDisksecPerRead uint32 CIMTYPE=suint32 CookingType=sPERF_AVERAGE_TIMER "
                   "CounterType=i805438464 Base=sAvgDiskSecPerRead_Base");
    EXPECT_THROW(NativeSchemaClass("Win32_NoSuchClass"), std::logic_error);
}

TEST(NativeSchema, DerivationFromTheSuperclassLinesMatchesTheBuiltClass) {
    for (const auto& schema : EmbeddedClassSchemas()) {
        const WbemClassPtr built = NativeSchemaClass(schema.ClassName);
        EXPECT_EQ(NativeSchemaDerivation(schema.ClassName), built->Derivation()) << schema.ClassName;
        const WbemDeferredClass deferred = NativeDeferredClass(schema.ClassName);
        EXPECT_EQ(deferred.Name, built->Name());
        EXPECT_EQ(deferred.Make(), built) << schema.ClassName;
    }
    EXPECT_THROW(NativeSchemaDerivation("Win32_NoSuchClass"), std::logic_error);
}

TEST(NativeSchema, FaultyLinesAreReportedWithTheirNumbers) {
    ParsedClassSchema parsed = ParseClassSchema("Test_Class",
                                                "# a comment\n"
                                                "\n"
                                                "Id uint32 key\n"
                                                "Tags string array Note=\"a b\" Level=-3 Kind=plain\r\n"
                                                "Lonely\n"
                                                "Size uint128\n"
                                                "id string\n"
                                                "Bad string Units=\"open\n"
                                                "Worse string =3 Big=4294967296\n");
    EXPECT_EQ(parsed.Errors, (std::vector<std::string>{"line 5: Lonely has no type", "line 6: unknown type uint128",
                                                       "line 7: id appears twice", "line 8: unterminated quote",
                                                       "line 9: bad qualifier =3", "line 9: bad qualifier Big=4294967296"}));
    ASSERT_EQ(parsed.Class->PropertyCount(), 3u);  // Id, Tags and Worse
    EXPECT_EQ(PropertyText(*FindProperty(parsed.Class, "Id")), "Id uint32 CIMTYPE=suint32 key=bTrue");
    EXPECT_TRUE(parsed.Class->Properties()[0].IsKey());
    EXPECT_EQ(PropertyText(*FindProperty(parsed.Class, "Tags")),
              "Tags string array CIMTYPE=sstring Note=sa b Level=i-3 Kind=splain");
}

TEST(NativeService, EveryClassEnumeratesOnSoundAndDamagedTrees) {
    for (const char* tree : {"native-basic", "native-broken", "does-not-exist"}) {
        Service s = Connect(FixtureRoot(tree));
        for (const char* cls : kClasses) {
            std::string q = std::string("SELECT * FROM ") + cls;
            std::vector<WbemObjectPtr> objects;
            ASSERT_EQ(Query(s.Services, q.c_str(), objects), S_OK) << tree << " " << cls;
            for (const auto& o : objects) ExpectDeliveredForms(o);
        }
    }
}

TEST(NativeService, OperatingSystemFromFixture) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto os = All(s.Services, "SELECT * FROM Win32_OperatingSystem");
    ASSERT_EQ(os.size(), 1u);
    const auto& o = os[0];
    EXPECT_EQ(Val(o, "Caption"), "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(Val(o, "CSName"), "fixturehost");
    EXPECT_EQ(Val(o, "Name"), "Debian GNU/Linux 12 (bookworm)|/|/dev/sda1");
    EXPECT_EQ(Val(o, "BootDevice"), "/dev/sda1");
    EXPECT_EQ(Val(o, "BuildNumber"), "2024.1");
    EXPECT_EQ(Val(o, "Manufacturer"), "Debian GNU/Linux");
    EXPECT_EQ(Val(o, "Version"), "6.1.0-test-amd64");
    EXPECT_EQ(Val(o, "OSArchitecture"), "64-bit");
    EXPECT_EQ(Val(o, "OSType"), "36");
    EXPECT_EQ(Val(o, "TotalVisibleMemorySize"), "16384000");
    EXPECT_EQ(Val(o, "FreePhysicalMemory"), "8000000");
    EXPECT_EQ(Val(o, "TotalVirtualMemorySize"), "18481148");
    EXPECT_EQ(Val(o, "FreeVirtualMemory"), "10000000");
    EXPECT_EQ(Val(o, "SizeStoredInPagingFiles"), "2097148");
    EXPECT_EQ(Val(o, "NumberOfProcesses"), "5");  // numeric folders, readable or not
    EXPECT_EQ(Val(o, "MaxNumberOfProcesses"), "4194304");
    EXPECT_EQ(Val(o, "LastBootUpTime"), DmtfFromUnix(1700000000));
    EXPECT_EQ(Val(o, "SerialNumber"), "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(Val(o, "DataExecutionPrevention_Available"), "TRUE");
    EXPECT_EQ(Val(o, "PAEEnabled"), "TRUE");
    EXPECT_EQ(Val(o, "NumberOfUsers"), "0");  // no login records in the tree
    EXPECT_EQ(CountUtmpUsers(""), std::optional<std::uint32_t>(0));
    EXPECT_FALSE(CountUtmpUsers("not whole records"));  // unknown, not zero
    EXPECT_EQ(Val(o, "InstallDate"), "<null>");
    EXPECT_EQ(Val(o, "LocalDateTime").size(), 25u);
    ASSERT_TRUE(o->GetValue(u"MUILanguages").IsArray());

    WideString path;
    ISWbemObjectPathPtr p;
    ASSERT_EQ(o->get_Path_(p), S_OK);
    p->get_Path(path);
    EXPECT_EQ(WideToAnsi(path), "\\\\FIXTUREHOST\\root\\cimv2:Win32_OperatingSystem=@");

    // A damaged tree leaves what it cannot read null and still names the system.
    Service broken = Connect(FixtureRoot("native-broken"));
    auto bo = All(broken.Services, "SELECT * FROM Win32_OperatingSystem");
    ASSERT_EQ(bo.size(), 1u);
    EXPECT_EQ(Val(bo[0], "TotalVisibleMemorySize"), "<null>");
    EXPECT_EQ(Val(bo[0], "TotalSwapSpaceSize"), "12");
    EXPECT_EQ(Val(bo[0], "LastBootUpTime"), "<null>");
    EXPECT_EQ(Val(bo[0], "Caption"), "Unterminated");
    EXPECT_EQ(Val(bo[0], "BootDevice"), "/dev/sda2");
}

TEST(NativeService, ProcessesFromFixtureSkipWhatCannotBeRead) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto procs = All(s.Services, "SELECT * FROM Win32_Process");
    ASSERT_EQ(procs.size(), 3u);  // 77 is cut short, 99 has no stat
    const auto& init = procs[0];
    const std::uint64_t tick100ns = 10000000 / static_cast<std::uint64_t>(s.Context->ClockTicks());
    EXPECT_EQ(Val(init, "Handle"), "1");
    EXPECT_EQ(Val(init, "ProcessId"), "1");
    EXPECT_EQ(Val(init, "Name"), "systemd");
    EXPECT_EQ(Val(init, "Caption"), "systemd");
    EXPECT_EQ(Val(init, "CommandLine"), "/sbin/init splash");
    EXPECT_EQ(Val(init, "ExecutablePath"), "/usr/lib/systemd/systemd");
    EXPECT_EQ(Val(init, "HandleCount"), "3");
    EXPECT_EQ(Val(init, "ParentProcessId"), "0");
    EXPECT_EQ(Val(init, "PageFaults"), "50100");
    EXPECT_EQ(Val(init, "KernelModeTime"), std::to_string(150 * tick100ns));
    EXPECT_EQ(Val(init, "UserModeTime"), std::to_string(250 * tick100ns));
    EXPECT_EQ(Val(init, "WorkingSetSize"), std::to_string(12000 * 1024));
    EXPECT_EQ(Val(init, "VirtualSize"), std::to_string(166016 * 1024));
    EXPECT_EQ(Val(init, "PeakVirtualSize"), std::to_string(180000 * 1024));
    EXPECT_EQ(Val(init, "PeakWorkingSetSize"), "13000");
    EXPECT_EQ(Val(init, "PageFileUsage"), "4100");
    EXPECT_EQ(Val(init, "PrivatePageCount"), std::to_string(4100 * 1024));
    EXPECT_EQ(Val(init, "ReadTransferCount"), "1000");
    EXPECT_EQ(Val(init, "WriteOperationCount"), "40");
    EXPECT_EQ(Val(init, "ThreadCount"), "1");
    EXPECT_EQ(Val(init, "Priority"), "8");
    EXPECT_EQ(Val(init, "ExecutionState"), "4");
    EXPECT_EQ(Val(init, "CSName"), "fixturehost");
    EXPECT_EQ(Val(init, "OSName"), "Debian GNU/Linux 12 (bookworm)|/|/dev/sda1");
    EXPECT_EQ(Val(init, "WindowsVersion"), "6.1.0-test-amd64");
    EXPECT_EQ(Val(init, "CreationClassName"), "Win32_Process");
    EXPECT_EQ(Val(init, "Status"), "<null>");
    const std::uint32_t startMicros = static_cast<std::uint32_t>(5 * 1000000 / s.Context->ClockTicks());
    EXPECT_EQ(Val(init, "CreationDate"), DmtfFromUnix(1700000000 + startMicros / 1000000, startMicros % 1000000));

    const auto& odd = procs[1];
    // Like a kernel thread: no executable link and an empty command line keep the stat's name.
    for (const char* prop : {"Name", "Caption", "Description"}) EXPECT_EQ(Val(odd, prop), "my (weird) name") << prop;
    EXPECT_EQ(Val(odd, "Priority"), "6");  // nice 10
    EXPECT_EQ(Val(odd, "ExecutionState"), "3");
    EXPECT_EQ(Val(odd, "CommandLine"), "<null>");
    EXPECT_EQ(Val(odd, "ExecutablePath"), "<null>");
    EXPECT_EQ(Val(odd, "HandleCount"), "<null>");
    EXPECT_EQ(Val(odd, "ReadOperationCount"), "<null>");
    EXPECT_EQ(Val(odd, "ThreadCount"), "4");  // from stat when status lacks it
    EXPECT_EQ(Val(odd, "WorkingSetSize"), std::to_string(100 * s.Context->PageSize()));

    // The stat cuts the name at 15 characters; the executable's file name is whole.
    const auto& longName = procs[2];
    for (const char* prop : {"Name", "Caption", "Description"})
        EXPECT_EQ(Val(longName, prop), "averyveryverylongprocessname") << prop;

    Service broken = Connect(FixtureRoot("native-broken"));
    auto bp = All(broken.Services, "SELECT * FROM Win32_Process");
    ASSERT_EQ(bp.size(), 1u);
    EXPECT_EQ(Val(bp[0], "Handle"), "6");
    EXPECT_EQ(Val(bp[0], "CommandLine"), "<null>");
    EXPECT_EQ(Val(bp[0], "ReadTransferCount"), "<null>");
    EXPECT_EQ(Val(bp[0], "WorkingSetSize"), "<null>");  // negative rss
    EXPECT_EQ(Val(bp[0], "CreationDate"), "<null>");    // no boot time
}

// A copy of the sound tree at a fresh path named after name, to be changed by a test.
fs::path SoundTreeCopy(const char* name) {
    fs::path tmp = fs::temp_directory_path() / ("veskin-" + std::string(name) + "-" + std::to_string(::getpid()));
    fs::remove_all(tmp);
    fs::copy(FixtureRoot("native-basic"), tmp, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    return tmp;
}

TEST(NativeService, AKernelThreadIsReadFromItsStatAlone) {
    // A kernel thread's cmdline, exe link and status say nothing on a real system, and
    // they are not read: this copy gives the kernel thread ones that would show if they
    // were. Its name and counts come from the stat, its I/O counters from io.
    const fs::path tmp = SoundTreeCopy("kthread");
    const fs::path dir = tmp / "proc" / "2";
    fs::create_directories(dir);
    const auto write = [&dir](const char* name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    };
    write("stat", "2 (kthreadd) S 0 0 0 0 -1 2129984 0 0 0 0 0 9 0 0 20 0 1 0 2 0 0 18446744073709551615\n");
    write("cmdline", std::string("/bin/false\0", 11));
    write("status", "Name:\tkthreadd\nVmPeak:\t 100 kB\nVmRSS:\t 50 kB\nThreads:\t7\n");
    write("io", "rchar: 12\nwchar: 34\nsyscr: 5\nsyscw: 6\n");
    fs::create_symlink("/bin/false", dir / "exe");
    Service s = Connect(tmp.string());
    auto procs = All(s.Services, "SELECT * FROM Win32_Process WHERE ProcessId = 2");
    fs::remove_all(tmp);
    ASSERT_EQ(procs.size(), 1u);
    const auto& k = procs[0];
    for (const char* prop : {"Name", "Caption", "Description"}) EXPECT_EQ(Val(k, prop), "kthreadd") << prop;
    for (const char* prop : {"CommandLine", "ExecutablePath", "PeakVirtualSize", "PeakWorkingSetSize", "PageFileUsage"})
        EXPECT_EQ(Val(k, prop), "<null>") << prop;
    EXPECT_EQ(Val(k, "ThreadCount"), "1");
    EXPECT_EQ(Val(k, "WorkingSetSize"), "0");
    EXPECT_EQ(Val(k, "ReadTransferCount"), "12");
    EXPECT_EQ(Val(k, "WriteOperationCount"), "6");
}

// A copy of the sound tree at a fresh path, with count more sleeping processes from
// pid 1000 on: enough of them and the tree's processes are read ahead on workers.
fs::path TreeWithMoreProcesses(const char* name, std::size_t count) {
    const fs::path tmp = SoundTreeCopy(name);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string pid = std::to_string(1000 + i);
        const fs::path dir = tmp / "proc" / pid;
        fs::create_directories(dir);
        std::ofstream(dir / "stat") << pid << " (idle) S 1 " << pid << " " << pid
                                    << " 0 -1 0 1 0 0 0 1 1 0 0 20 0 1 0 100 1000 10 18446744073709551615\n";
    }
    return tmp;
}

// Enumerates the processes of a copy of the sound tree with enough more to be read
// ahead, takes the first, waits for pause, ends process 42, and expects it skipped
// without an error.
void ExpectEndedProcessSkipped(std::chrono::milliseconds pause) {
    const fs::path tmp = TreeWithMoreProcesses("ended", kReadAheadFrom);
    Service s = Connect(tmp.string());
    ISWbemObjectSetPtr set;
    ASSERT_EQ(s.Services->ExecQuery(u"SELECT Name FROM Win32_Process", u"WQL", 48, nullptr, set), S_OK);
    IInterfacePtr e;
    ASSERT_EQ(set->get__NewEnum(e), S_OK);
    auto en = IntfCast<IEnumVARIANT>(e);
    Variant v;
    std::uint32_t fetched = 0;
    ASSERT_EQ(en->Next(1, &v, &fetched), S_OK);
    std::this_thread::sleep_for(pause);
    fs::remove_all(tmp / "proc" / "42");
    ASSERT_EQ(en->Next(1, &v, &fetched), S_OK);
    EXPECT_EQ(Val(std::dynamic_pointer_cast<WbemObject>(v.RawInterface()), "Name"), "averyveryverylongprocessname");
    for (std::size_t i = 0; i < kReadAheadFrom; ++i) {
        ASSERT_EQ(en->Next(1, &v, &fetched), S_OK) << i;
        EXPECT_EQ(Val(std::dynamic_pointer_cast<WbemObject>(v.RawInterface()), "Name"), "idle") << i;
    }
    EXPECT_EQ(en->Next(1, &v, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    fs::remove_all(tmp);
}

TEST(NativeService, ProcessesAreReadWhenReachedAndVanishedOnesSkipped) {
    // Process 42 ends after the listing but before the enumerator reaches it: it is
    // skipped without an error, whether or not it was read ahead.
    ExpectEndedProcessSkipped(std::chrono::milliseconds(0));
}

TEST(NativeService, ProcessesReadAheadAndEndedBeforeReachedAreSkipped) {
    // Time for the read-ahead to read the other processes; then process 42 ends.
    ExpectEndedProcessSkipped(std::chrono::milliseconds(300));
}

std::size_t ThreadCount() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/task")) ++n;
    return n;
}

TEST(NativeServiceDeathTest, AFewProcessesAreReadWithoutThreadsAndManyOnWorkers) {
    // In a fresh process: a query over the sound tree's few processes starts no thread;
    // one over enough processes starts the read-ahead's workers.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::size_t before = ThreadCount();
            Service few = Connect(FixtureRoot("native-basic"));
            const std::size_t fewCount = All(few.Services, "SELECT * FROM Win32_Process").size();
            const std::size_t afterFew = ThreadCount();
            const fs::path tmp = TreeWithMoreProcesses("threads", kReadAheadFrom);
            Service many = Connect(tmp.string());
            const std::size_t manyCount = All(many.Services, "SELECT * FROM Win32_Process").size();
            const std::size_t afterMany = ThreadCount();
            fs::remove_all(tmp);
            std::fprintf(stderr, "threads %zu, %zu after %zu processes, %zu after %zu\n", before, afterFew, fewCount,
                         afterMany, manyCount);
            std::exit(fewCount == 3 && afterFew == before && manyCount == 3 + kReadAheadFrom && afterMany > before
                          ? 0
                          : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(NativeService, QueriesFilterProjectAndRefuseWrites) {
    Service s = Connect(FixtureRoot("native-basic"));
    std::vector<WbemObjectPtr> out;
    ASSERT_EQ(Query(s.Services, "SELECT Name, ProcessId FROM Win32_Process WHERE Name = 'SYSTEMD'", out), S_OK);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0]->Class()->PropertyCount(), 2u);
    EXPECT_EQ(Val(out[0], "ProcessId"), "1");
    ASSERT_EQ(Query(s.Services, "select handle from win32_process where ProcessId > 1 and Name like 'my%'", out), S_OK);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(Val(out[0], "Handle"), "42");
    ASSERT_EQ(Query(s.Services, "SELECT Handle FROM Win32_Process WHERE Name = 'averyveryverylongprocessname'", out), S_OK);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(Val(out[0], "Handle"), "300");
    ASSERT_EQ(Query(s.Services, "SELECT * FROM Win32_Process WHERE WorkingSetSize > 1000000", out), S_OK);
    ASSERT_EQ(out.size(), 1u);  // uint64 text compared as a number
    ASSERT_EQ(Query(s.Services, "SELECT * FROM Win32_Process WHERE ExecutablePath IS NULL", out), S_OK);
    ASSERT_EQ(out.size(), 1u);

    EXPECT_EQ(Query(s.Services, "SELECT Nonsense FROM Win32_Process", out), WBEM_E_INVALID_QUERY);
    EXPECT_EQ(Query(s.Services, "SELECT * FROM Win32_Nothing", out), WBEM_E_INVALID_CLASS);
    EXPECT_EQ(Query(s.Services, "SELECT * FROM Win32_Process WHERE (", out), WBEM_E_INVALID_QUERY);

    ASSERT_EQ(Query(s.Services, "SELECT * FROM Win32_OperatingSystem", out, 50), S_OK);
    ASSERT_EQ(out.size(), 1u);  // the prototype
    EXPECT_EQ(out[0]->Class()->PropertyCount(), 66u);

    ISWbemObjectPtr got;
    ASSERT_EQ(s.Services->Get(u"Win32_Process.Handle=\"42\"", 0, nullptr, got), S_OK);
    auto proc = std::dynamic_pointer_cast<WbemObject>(got);
    EXPECT_EQ(Val(proc, "Name"), "my (weird) name");
    ISWbemObjectPathPtr path;
    EXPECT_EQ(got->Put_(0, nullptr, path), WBEM_E_PROVIDER_NOT_CAPABLE);
    EXPECT_EQ(got->Delete_(0, nullptr), WBEM_E_PROVIDER_NOT_CAPABLE);
    WideString text;
    ASSERT_EQ(got->GetObjectText_(0, text), S_OK);
    EXPECT_NE(WideToAnsi(text).find("instance of Win32_Process"), std::string::npos);
}

TEST(NativeService, NetworkInterfacesCarryRawCounters) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto nics = All(s.Services, "SELECT * FROM Win32_PerfRawData_Tcpip_NetworkInterface");
    ASSERT_EQ(nics.size(), 3u);
    auto eth0 = ByName(nics, "eth0");
    ASSERT_TRUE(eth0);
    EXPECT_EQ(Val(eth0, "BytesReceivedPersec"), std::to_string(5000000000ull % 4294967296ull));
    EXPECT_EQ(Val(eth0, "BytesTotalPersec"), "5006000000");
    EXPECT_EQ(Val(eth0, "CurrentBandwidth"), "1000000000");
    EXPECT_EQ(Val(eth0, "PacketsReceivedUnicastPersec"), "39700");
    EXPECT_EQ(Val(eth0, "PacketsPersec"), "70000");
    EXPECT_EQ(Val(eth0, "PacketsOutboundDiscarded"), "4");
    EXPECT_EQ(Val(eth0, "Frequency_PerfTime"), "1000000000");
    EXPECT_EQ(Val(eth0, "Frequency_Sys100NS"), "10000000");
    EXPECT_NE(Val(eth0, "Timestamp_Sys100NS"), "<null>");
    auto eth1 = ByName(nics, "eth1");
    EXPECT_EQ(Val(eth1, "CurrentBandwidth"), "<null>");  // speed -1
    EXPECT_EQ(Val(eth1, "PacketsReceivedUnknown"), "7");
    EXPECT_EQ(Val(ByName(nics, "lo"), "CurrentBandwidth"), "<null>");

    Service broken = Connect(FixtureRoot("native-broken"));
    EXPECT_TRUE(All(broken.Services, "SELECT * FROM Win32_PerfRawData_Tcpip_NetworkInterface").empty());
}

TEST(NativeService, FormattedProcessorShares) {
    ProcessorSample a, b;
    a.Stat = ParseProcStat("cpu 100 0 100 800 0 0 0 0\ncpu0 100 0 100 800 0 0 0 0\nintr 1000\n");
    b.Stat = ParseProcStat("cpu 250 50 150 1500 20 10 20 0\ncpu0 250 50 150 1500 20 10 20 0\nintr 3000\n");
    a.Interrupts = {500};
    b.Interrupts = {1500};
    a.SoftIrqs = {10};
    b.SoftIrqs = {30};
    auto objs = BuildProcessors({a, b, 2.0});
    ASSERT_EQ(objs.size(), 2u);
    auto cpu0 = ByName(objs, "0");
    auto total = ByName(objs, "_Total");
    ASSERT_TRUE(cpu0 && total);
    // Deltas: user 150 nice 50 system 50 idle 700 iowait 20 irq 10 softirq 20 = 1000.
    EXPECT_EQ(Val(cpu0, "PercentIdleTime"), "72");
    EXPECT_EQ(Val(cpu0, "PercentProcessorTime"), "28");
    EXPECT_EQ(Val(cpu0, "PercentUserTime"), "20");
    EXPECT_EQ(Val(cpu0, "PercentPrivilegedTime"), "8");
    EXPECT_EQ(Val(cpu0, "PercentInterruptTime"), "1");
    EXPECT_EQ(Val(cpu0, "PercentDPCTime"), "2");
    EXPECT_EQ(Val(cpu0, "InterruptsPersec"), "500");
    EXPECT_EQ(Val(total, "InterruptsPersec"), "1000");  // from the intr line
    EXPECT_EQ(Val(cpu0, "DPCsQueuedPersec"), "10");
    EXPECT_EQ(Val(cpu0, "C1TransitionsPersec"), "<null>");  // no cpuidle counters

    // Idle states: C1 and C2 of cpu0 and cpu1; deeper states count as C3.
    a.Stat = ParseProcStat("cpu 0 0 0 0 0 0 0 0\ncpu0 0 0 0 0 0 0 0 0\ncpu1 0 0 0 0 0 0 0 0\n");
    b.Stat = a.Stat;
    a.CStates[0] = {{100, 10, 0}, {100000, 200000, 0}};
    b.CStates[0] = {{300, 30, 4}, {500000, 1200000, 2000000}};
    a.CStates[1] = {{0, 0, 0}, {0, 0, 0}};
    b.CStates[1] = {{100, 0, 0}, {1000000, 0, 0}};
    auto idle = BuildProcessors({a, b, 2.0});
    auto idle0 = ByName(idle, "0");
    EXPECT_EQ(Val(idle0, "C1TransitionsPersec"), "100");
    EXPECT_EQ(Val(idle0, "C2TransitionsPersec"), "10");
    EXPECT_EQ(Val(idle0, "C3TransitionsPersec"), "2");
    EXPECT_EQ(Val(idle0, "PercentC1Time"), "20");  // 0.4 s of 2 s
    EXPECT_EQ(Val(idle0, "PercentC2Time"), "50");
    EXPECT_EQ(Val(idle0, "PercentC3Time"), "100");  // more than the interval: capped
    auto idleTotal = ByName(idle, "_Total");
    EXPECT_EQ(Val(idleTotal, "C1TransitionsPersec"), "150");
    EXPECT_EQ(Val(idleTotal, "PercentC1Time"), "35");  // (0.4 + 1.0) s of 2 x 2 s
    a.CStates.erase(1);                                // cpu1 had no counters before: it has no interval yet
    EXPECT_EQ(Val(ByName(BuildProcessors({a, b, 2.0}), "1"), "PercentC1Time"), "<null>");

    // From the folders: POLL left out, state10 after state3, the third state and deeper in C3.
    NativeContext fixture(FixtureRoot("native-basic"));
    auto c0 = ReadCStates(fixture.Files(), 0);
    ASSERT_TRUE(c0);
    EXPECT_EQ(c0->Entries, (std::array<std::uint64_t, 3>{10, 20, 30 + 40}));
    EXPECT_EQ(c0->Micros, (std::array<std::uint64_t, 3>{1000, 2000, 3000 + 4000}));
    EXPECT_FALSE(ReadCStates(fixture.Files(), 1));

    // Identical samples (no ticks elapsed) leave the shares null instead of dividing by zero.
    auto same = BuildProcessors({b, b, 0.1});
    EXPECT_EQ(Val(ByName(same, "0"), "PercentIdleTime"), "<null>");
    EXPECT_EQ(Val(ByName(same, "0"), "InterruptsPersec"), "0");

    // Through the service (two real samples of the fixture, 100 ms apart).
    Service s = Connect(FixtureRoot("native-basic"));
    auto live = All(s.Services, "SELECT * FROM Win32_PerfFormattedData_PerfOS_Processor");
    std::set<std::string> names;
    for (const auto& o : live) names.insert(Val(o, "Name"));
    EXPECT_EQ(names, (std::set<std::string>{"0", "1", "_Total"}));
}

TEST(NativeService, FormattedDiskRatesAndSpace) {
    NativeContext context(FixtureRoot("native-basic"));
    DiskSample a = ParseDiskStats("8 1 sda1 100 0 1000 50 200 0 4000 300 0 100 400\n8 16 sdb 0 0 0 0 0 0 0 0 0 0 0\n");
    DiskSample b = ParseDiskStats("8 1 sda1 300 0 3000 250 400 0 8000 500 2 600 1400\n8 16 sdb 10 0 80 5 0 0 0 0 0 5 5\n");
    std::vector<MountEntry> mounts = {{"/dev/sda1", "/", "ext4"}, {"/dev/sdb", "/boot", "vfat"}, {"/dev/sdz", "/gone", "ext4"}};
    auto space = [](const std::string& path) -> std::optional<FsSpace> {
        if (path.find("gone") != std::string::npos) return std::nullopt;
        return FsSpace{100ull << 20, 25ull << 20};
    };
    auto objs = BuildLogicalDisks(context, mounts, {a, b, 2.0}, space);
    ASSERT_EQ(objs.size(), 4u);
    auto root = ByName(objs, "/");
    ASSERT_TRUE(root);
    EXPECT_EQ(Val(root, "DiskReadsPersec"), "100");
    EXPECT_EQ(Val(root, "DiskReadBytesPersec"), std::to_string(2000 * 512 / 2));
    EXPECT_EQ(Val(root, "DiskWriteBytesPersec"), std::to_string(4000 * 512 / 2));
    EXPECT_EQ(Val(root, "DiskTransfersPersec"), "200");
    EXPECT_EQ(Val(root, "AvgDiskBytesPerRead"), std::to_string(2000 * 512 / 200));
    EXPECT_EQ(Val(root, "PercentDiskReadTime"), "10");  // 200 ms of 2000
    EXPECT_EQ(Val(root, "PercentDiskTime"), "50");      // weighted 1000 ms
    EXPECT_EQ(Val(root, "PercentIdleTime"), "75");      // busy 500 ms
    EXPECT_EQ(Val(root, "CurrentDiskQueueLength"), "2");
    EXPECT_EQ(Val(root, "FreeMegabytes"), "25");
    EXPECT_EQ(Val(root, "PercentFreeSpace"), "25");
    EXPECT_EQ(Val(root, "SplitIOPerSec"), "<null>");
    auto gone = ByName(objs, "/gone");
    EXPECT_EQ(Val(gone, "DiskReadsPersec"), "<null>");
    EXPECT_EQ(Val(gone, "FreeMegabytes"), "<null>");
    auto total = ByName(objs, "_Total");
    EXPECT_EQ(Val(total, "DiskReadsPersec"), "105");
    EXPECT_EQ(Val(total, "FreeMegabytes"), "50");

    Service s = Connect(FixtureRoot("native-basic"));
    auto live = All(s.Services, "SELECT Name FROM Win32_PerfFormattedData_PerfDisk_LogicalDisk");
    std::set<std::string> names;
    for (const auto& o : live) names.insert(Val(o, "Name"));
    EXPECT_EQ(names, (std::set<std::string>{"/", "/boot", "/media/my disk", "_Total"}));
}

TEST(NativeService, FormattedMemory) {
    auto meminfo = ParseKeyValues(
        "MemAvailable: 2048 kB\nCached: 1000 kB\nBuffers: 24 kB\n"
        "CommitLimit: 400 kB\nCommitted_AS: 100 kB\n");
    SamplePair<VmStatSample> vm{ParseKeyValues("pgfault 100\npswpin 0\npswpout 4\n"),
                                ParseKeyValues("pgfault 300\npswpin 10\npswpout 2\n"), 0.5};
    std::uint64_t peak = 0;
    auto m = BuildMemory(meminfo, vm, peak);
    EXPECT_EQ(Val(m, "AvailableBytes"), std::to_string(2048 * 1024));
    EXPECT_EQ(Val(m, "AvailableMBytes"), "2");
    EXPECT_EQ(Val(m, "CacheBytes"), std::to_string(1024 * 1024));
    EXPECT_EQ(Val(m, "CacheBytesPeak"), std::to_string(1024 * 1024));
    EXPECT_EQ(Val(m, "PercentCommittedBytesInUse"), "25");
    EXPECT_EQ(Val(m, "PageFaultsPersec"), "400");
    EXPECT_EQ(Val(m, "PagesInputPersec"), "20");
    EXPECT_EQ(Val(m, "PagesOutputPersec"), "0");  // a counter that went back counts nothing
    EXPECT_EQ(Val(m, "PagesPersec"), "20");
    EXPECT_EQ(Val(m, "Name"), "<null>");
    // The peak stays when the cache shrinks.
    auto smaller = BuildMemory(ParseKeyValues("Cached: 10 kB\nBuffers: 0 kB\n"), vm, peak);
    EXPECT_EQ(Val(smaller, "CacheBytesPeak"), std::to_string(1024 * 1024));

    Service s = Connect(FixtureRoot("native-basic"));
    auto live = All(s.Services, "SELECT * FROM Win32_PerfFormattedData_PerfOS_Memory");
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(Val(live[0], "CommittedBytes"), std::to_string(5144574ull * 1024));
    EXPECT_EQ(Val(live[0], "PageFaultsPersec"), "0");  // the fixture does not change
}

}  // namespace
}  // namespace veskin
