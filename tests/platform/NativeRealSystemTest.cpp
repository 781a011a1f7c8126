// The native service against the machine the tests run on.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <set>

#include "platform/ComObjects.h"
#include "platform/WbemObject.h"
#include "platform/native/SystemFiles.h"

namespace veskin {
namespace {

ISWbemServicesPtr ConnectLocal() {
    IInterfacePtr obj;
    EXPECT_EQ(CoCreateInstance(CLSID_SWbemLocator, nullptr, 7, IID_ISWbemLocator, obj), S_OK);
    auto locator = Supports<ISWbemLocator>(obj);
    ISWbemServicesPtr services;
    EXPECT_EQ(locator->ConnectServer(u"", u"root\\cimV2", u"", u"", u"", u"", 128, nullptr, services), S_OK);
    return services;
}

std::vector<WbemObjectPtr> RunQuery(const ISWbemServicesPtr& services, const std::string& wql) {
    std::vector<WbemObjectPtr> out;
    ISWbemObjectSetPtr set;
    EXPECT_EQ(services->ExecQuery(AnsiToWide(wql), u"WQL", 48, nullptr, set), S_OK) << wql;
    if (!set) return out;
    IInterfacePtr e;
    EXPECT_EQ(set->get__NewEnum(e), S_OK);
    auto en = IntfCast<IEnumVARIANT>(e);
    for (;;) {
        Variant v;
        std::uint32_t fetched = 0;
        if (en->Next(1, &v, &fetched) != S_OK || fetched != 1) break;
        out.push_back(std::dynamic_pointer_cast<WbemObject>(v.RawInterface()));
    }
    return out;
}

std::string Text(const WbemObjectPtr& obj, const char* name) {
    Variant v = obj->GetValue(W(name));
    return v.VarType() == varOleStr ? WideToAnsi(v.RawOleStr()) : std::string("<not text>");
}

TEST(NativeRealSystem, PresetQueriesShowThisMachine) {
    auto services = ConnectLocal();
    ASSERT_TRUE(services);
    for (const char* q : {"SELECT * FROM Win32_OperatingSystem", "SELECT * FROM Win32_Process",
                          "SELECT * FROM Win32_PerfFormattedData_PerfDisk_LogicalDisk",
                          "SELECT * FROM Win32_PerfFormattedData_PerfOS_Memory",
                          "SELECT * FROM Win32_PerfFormattedData_PerfOS_Processor",
                          "SELECT *  FROM Win32_PerfRawData_Tcpip_NetworkInterface"})
        EXPECT_FALSE(RunQuery(services, q).empty()) << q;

    auto os = RunQuery(services, "Select * FROM Win32_OperatingSystem");
    ASSERT_EQ(os.size(), 1u);
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    EXPECT_EQ(Text(os[0], "CSName"), host);
    std::ifstream meminfo("/proc/meminfo");
    std::string key, kb;
    meminfo >> key >> kb;
    ASSERT_EQ(key, "MemTotal:");
    EXPECT_EQ(Text(os[0], "TotalVisibleMemorySize"), kb);

    auto cpus = RunQuery(services, "SELECT Name, PercentProcessorTime FROM Win32_PerfFormattedData_PerfOS_Processor");
    EXPECT_EQ(cpus.size(), static_cast<std::size_t>(::sysconf(_SC_NPROCESSORS_ONLN)) + 1);
}

TEST(NativeRealSystem, ProcessesMatchProcAndFindThisProcess) {
    auto services = ConnectLocal();
    SystemFiles files;
    const std::size_t before = files.NumericEntries("proc").size();
    auto all = RunQuery(services, "SELECT * FROM Win32_Process");
    const std::size_t after = files.NumericEntries("proc").size();
    const std::size_t low = std::min(before, after), high = std::max(before, after);
    // Processes come and go meanwhile (other tests may run in parallel).
    const std::size_t slack = std::max<std::size_t>(10, high / 20);
    EXPECT_GE(all.size() + slack, low);
    EXPECT_LE(all.size(), high + slack);

    std::string comm = files.ReadLine("proc/self/comm").value_or("");
    ASSERT_FALSE(comm.empty());
    auto mine = RunQuery(services, "SELECT Name, ProcessId FROM Win32_Process WHERE Name = '" + comm + "'");
    std::set<std::uint32_t> pids;
    for (const auto& o : mine) {
        EXPECT_EQ(o->Class()->PropertyCount(), 2u);
        pids.insert(static_cast<std::uint32_t>(o->GetValue(u"ProcessId").RawInt()));
    }
    EXPECT_EQ(pids.count(static_cast<std::uint32_t>(::getpid())), 1u);
    auto self = RunQuery(services, "SELECT * FROM Win32_Process WHERE ProcessId = " + std::to_string(::getpid()));
    ASSERT_EQ(self.size(), 1u);
    EXPECT_EQ(Text(self[0], "Handle"), std::to_string(::getpid()));
    EXPECT_NE(Text(self[0], "ExecutablePath"), "<not text>");
}

}  // namespace
}  // namespace veskin
