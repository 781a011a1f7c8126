// Win32_PerfRawData_PerfProc_Process and its formatted sibling: the processes' counters, from the
// fixture tree and for this process against times().
#include <gtest/gtest.h>

#include <sys/times.h>
#include <unistd.h>

#include "platform/native/NativeService.h"
#include "platform/native/ProcessCounterProvider.h"
#include "platform/native/ProcessRateProvider.h"
#include "tests/platform/NativeTestSupport.h"

namespace veskin {
namespace {

TEST(NativeProcessCounters, CountersFollowTheProcessesAndSum) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto procs = All(s.Services, "SELECT * FROM Win32_Process");
    auto counters = All(s.Services, "SELECT * FROM Win32_PerfRawData_PerfProc_Process");
    ASSERT_EQ(counters.size(), procs.size() + 1);
    std::uint64_t userSum = 0;
    for (std::size_t i = 0; i < procs.size(); ++i) {
        const auto& p = procs[i];
        const auto& c = counters[i];
        EXPECT_EQ(Val(c, "IDProcess"), Val(p, "ProcessId"));
        EXPECT_EQ(Val(c, "Name"), Val(p, "Name"));
        EXPECT_EQ(Val(c, "PercentUserTime"), Val(p, "UserModeTime"));
        EXPECT_EQ(Val(c, "WorkingSet"), Val(p, "WorkingSetSize"));
        EXPECT_EQ(Val(c, "CreatingProcessID"), Val(p, "ParentProcessId"));
        EXPECT_EQ(std::stoull(Val(c, "PercentProcessorTime")),
                  std::stoull(Val(p, "UserModeTime")) + std::stoull(Val(p, "KernelModeTime")));
        if (Val(p, "CreationDate") != "<null>") {
            EXPECT_EQ(Val(c, "ElapsedTime"), std::to_string(*FileTimeOfDmtf(Val(p, "CreationDate"))));
        }
        userSum += std::stoull(Val(p, "UserModeTime"));
    }
    const auto& total = counters.back();
    EXPECT_EQ(Val(total, "Name"), "_Total");
    EXPECT_EQ(Val(total, "PercentUserTime"), std::to_string(userSum));
    EXPECT_EQ(Val(total, "IDProcess"), "<null>");
    EXPECT_EQ(Val(total, "Frequency_Sys100NS"), "10000000");
    EXPECT_EQ(All(s.Services, "SELECT Name FROM Win32_PerfRawData").size(),
              counters.size() + All(s.Services, "SELECT Name FROM Win32_PerfRawData_Tcpip_NetworkInterface").size());

    EXPECT_EQ(FileTimeOfDmtf("19700101000000.000000+000"), std::optional<std::uint64_t>(116444736000000000ull));
    EXPECT_EQ(FileTimeOfDmtf("19700101010000.000001+060"), std::optional<std::uint64_t>(116444736000000010ull));
    EXPECT_EQ(FileTimeOfDmtf("20240229120000.000000-120"), FileTimeOfDmtf("20240229140000.000000+000"));
    EXPECT_FALSE(FileTimeOfDmtf("2024022912000.000000+000"));
}

TEST(NativeProcessCountersRealSystem, OwnProcessMatchesTimes) {
    auto context = std::make_shared<const NativeContext>("/");
    auto locator = MakeNativeLocator(context, MakeNativeRepository(context));
    ISWbemServicesPtr services;
    ASSERT_EQ(locator->ConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", 128, nullptr, services), S_OK);
    const std::string pid = std::to_string(::getpid());
    WbemObjectPtr own;
    for (const auto& c : All(services, "SELECT * FROM Win32_PerfRawData_PerfProc_Process"))
        if (Val(c, "IDProcess") == pid) own = c;
    ASSERT_TRUE(own);
    struct tms t {};
    ::times(&t);
    const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
    const double cpuSeconds = static_cast<double>(t.tms_utime + t.tms_stime) / ticks;
    EXPECT_NEAR(std::stod(Val(own, "PercentProcessorTime")) / 1e7, cpuSeconds, 0.5);
    EXPECT_GE(std::stoull(Val(own, "ThreadCount")), 1u);
}

}  // namespace
}  // namespace veskin

namespace veskin {
namespace {

WbemObjectPtr RawCounters(const char* name, std::uint32_t pid, std::uint64_t cpu100ns, std::uint64_t readBytes,
                          std::uint64_t createdFileTime, std::uint64_t nowFileTime) {
    auto raw = WbemObject::NewInstance(ProcessCounterClass());
    raw->SetValue(u"Name", Variant(AnsiToWide(name)));
    raw->SetValue(u"IDProcess", Variant::FromInteger(static_cast<std::int32_t>(pid)));
    raw->SetValue(u"PercentProcessorTime", Variant(AnsiToWide(std::to_string(cpu100ns))));
    raw->SetValue(u"IOReadBytesPersec", Variant(AnsiToWide(std::to_string(readBytes))));
    raw->SetValue(u"WorkingSet", Variant(AnsiToWide("4096")));
    raw->SetValue(u"ElapsedTime", Variant(AnsiToWide(std::to_string(createdFileTime))));
    raw->SetValue(u"Timestamp_Object", Variant(AnsiToWide(std::to_string(nowFileTime))));
    return raw;
}

TEST(NativeProcessCounters, FormattedRatesOverTheInterval) {
    const std::uint64_t t0 = 133000000000000000ull;
    ProcessCounterSample before{RawCounters("a", 10, 1000000, 100, t0, t0), RawCounters("b", 11, 0, 0, t0, t0)};
    // Process 11 now runs another program: a new process, no interval yet.
    ProcessCounterSample after{RawCounters("a", 10, 1000000 + 5000000, 100 + 4096, t0, t0 + 20000000),
                               RawCounters("c", 11, 7000000, 50, t0 + 10000000, t0 + 20000000)};
    auto rates = BuildProcessRates({before, after, 2.0});
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(Val(rates[0], "PercentProcessorTime"), "25");  // 0.5 s of processor time in 2 s
    EXPECT_EQ(Val(rates[0], "IOReadBytesPersec"), "2048");
    EXPECT_EQ(Val(rates[0], "WorkingSet"), "4096");
    EXPECT_EQ(Val(rates[0], "ElapsedTime"), "2");
    EXPECT_EQ(Val(rates[1], "PercentProcessorTime"), "0");
    EXPECT_EQ(Val(rates[1], "ElapsedTime"), "1");
    EXPECT_EQ(Val(rates[1], "IOWriteBytesPersec"), "<null>");  // not counted in the samples

    // Through the service: the same processes and _Total as the raw class.
    Service s = Connect(FixtureRoot("native-basic"));
    auto formatted = All(s.Services, "SELECT Name FROM Win32_PerfFormattedData_PerfProc_Process");
    auto raw = All(s.Services, "SELECT Name FROM Win32_PerfRawData_PerfProc_Process");
    ASSERT_EQ(formatted.size(), raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) EXPECT_EQ(Val(formatted[i], "Name"), Val(raw[i], "Name"));
}

}  // namespace
}  // namespace veskin
