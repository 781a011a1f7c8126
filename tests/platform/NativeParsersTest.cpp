#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/native/DeviceParsers.h"
#include "platform/native/DmtfTime.h"
#include "platform/native/IntervalSampler.h"
#include "platform/native/LocaleInfo.h"
#include "platform/native/ProcessParsers.h"
#include "platform/native/SystemParsers.h"
#include "platform/native/TextFields.h"

namespace veskin {
namespace {

TEST(NativeParsers, ProcessStatNameWithParenthesesAndTruncation) {
    auto s = ParseProcessStat(
        "42 (a) b) (c) R 7 42 9 0 -1 0 10 0 5 0 300 100 0 0 -3 -5 4 0 1000 2048000 100 1 2\n");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Pid, 42u);
    EXPECT_EQ(s->Comm, "a) b) (c");
    EXPECT_EQ(s->State, 'R');
    EXPECT_EQ(s->ParentPid, 7u);
    EXPECT_EQ(s->Session, 9);
    EXPECT_EQ(s->MinorFaults + s->MajorFaults, 15u);
    EXPECT_EQ(s->UserTicks, 300u);
    EXPECT_EQ(s->SystemTicks, 100u);
    EXPECT_EQ(s->Priority, -3);
    EXPECT_EQ(s->Nice, -5);
    EXPECT_EQ(s->Threads, 4);
    EXPECT_EQ(s->StartTicks, 1000u);
    EXPECT_EQ(s->VirtualBytes, 2048000u);
    EXPECT_EQ(s->RssPages, 100);
    EXPECT_FALSE(s->KernelThread());
    // kthreadd's flags, and init's (which has other bits, not PF_KTHREAD).
    auto kthreadd = ParseProcessStat("2 (kthreadd) S 0 0 0 0 -1 2129984 0 0 0 0 0 9 0 0 20 0 1 0 2 0 0 18446744073709551615\n");
    ASSERT_TRUE(kthreadd);
    EXPECT_TRUE(kthreadd->KernelThread());
    auto init = ParseProcessStat("1 (systemd) S 0 1 1 0 -1 4194560 50000 0 100 0 250 150 0 0 20 0 1 0 5 0 3000 18446744073709551615\n");
    ASSERT_TRUE(init);
    EXPECT_FALSE(init->KernelThread());

    for (const char* bad : {"", "42", "42 (name", "42 (x) R 1 2 3", "x (y) R 1 42 9 0 -1 0 10 0 5 0 300 100 0 0 20 0 4 0 1000 2048000 100",
                            "42 (x) RR 1 42 9 0 -1 0 10 0 5 0 300 100 0 0 20 0 4 0 1000 2048000 100",
                            "42 (x) R 1 42 9 0 -1 0 10 0 5 0 3z0 100 0 0 20 0 4 0 1000 2048000 100"})
        EXPECT_FALSE(ParseProcessStat(bad)) << bad;

    EXPECT_EQ(ParseCmdline(std::string("/bin/sh\0-c\0echo hi\0", 20)), "/bin/sh -c echo hi");
    EXPECT_EQ(ParseCmdline(std::string("\0\0", 2)), "");
}

TEST(NativeParsers, ProcessImageNameFromExecutableThenCommandLineThenShortName) {
    using namespace std::string_literals;
    const std::string longName = "averyveryverylongprocessname";
    // The executable wins, also over a script's name or a title the process gave itself.
    EXPECT_EQ(ProcessImageName("/opt/x/"s + longName, "./a\0b\0"s, "averyveryverylo"), longName);
    EXPECT_EQ(ProcessImageName("/usr/bin/python3.11"s, "python3\0/srv/job.py\0"s, "job.py"), "python3.11");
    EXPECT_EQ(ProcessImageName("/usr/bin/tool (deleted)"s, "", "tool"), "tool");
    // Without the link (another user's process): the first word of the command line.
    EXPECT_EQ(ProcessImageName(std::nullopt, "/opt/x/"s + longName + "\0--serve\0"s, "averyveryverylo"), longName);
    EXPECT_EQ(ProcessImageName(std::nullopt, "python3\0/srv/job.py\0"s, "job.py"), "python3");
    EXPECT_EQ(ProcessImageName(std::nullopt, "sshd: ann@pts/0"s, "sshd"), "sshd");
    EXPECT_EQ(ProcessImageName(std::nullopt, "/opt/chrome/chrome --type=gpu --dir=/a/b"s, "chrome"), "chrome");
    EXPECT_EQ(ProcessImageName(std::nullopt, "/opt/My App/app\0--x\0"s, "app"), "app");
    EXPECT_EQ(ProcessImageName(std::nullopt, "-bash"s, "bash"), "bash");
    // Kernel threads and zombies have neither: the short name stays.
    EXPECT_EQ(ProcessImageName(std::nullopt, "", "kworker/0:1"), "kworker/0:1");
    EXPECT_EQ(ProcessImageName(std::nullopt, "\0"s, "kthreadd"), "kthreadd");
}

TEST(NativeParsers, KeyValueFilesTolerateTruncation) {
    auto kv = ParseKeyValues("MemTotal:  100 kB\nMemFree:\nBad\n:x\nSwapTotal: 7 kB\nMemAvai");
    EXPECT_EQ(LeadingU64(kv, "MemTotal"), 100u);
    EXPECT_FALSE(LeadingU64(kv, "MemFree"));
    EXPECT_EQ(LeadingU64(kv, "SwapTotal"), 7u);
    EXPECT_FALSE(LeadingU64(kv, "MemAvailable"));
    EXPECT_FALSE(LeadingU64(kv, "MemAvai"));
    EXPECT_EQ(LeadingU64(ParseKeyValues("pgfault 123\n"), "pgfault"), 123u);
    EXPECT_FALSE(ToU64("18446744073709551616"));
    EXPECT_FALSE(ToU64("-1"));
    EXPECT_EQ(ToI64("-1"), -1);

    auto os = ParseOsRelease("#c\nPRETTY_NAME=\"Deb \\\"x\\\"\"\nID=debian\nNAME='A B'\nBAD\nV=\"open");
    EXPECT_EQ(os["PRETTY_NAME"], "Deb \"x\"");
    EXPECT_EQ(os["ID"], "debian");
    EXPECT_EQ(os["NAME"], "A B");
    EXPECT_EQ(os["V"], "open");
    EXPECT_EQ(os.count("BAD"), 0u);
}

TEST(NativeParsers, ProcStatUptimeLoadAvgAndCpuColumns) {
    auto s = ParseProcStat(
        "cpu  1 2 3 4 5 6 7 8 9 10\ncpu0 1 2 3 4\ncpu1 1 x 3 4\ncpu2 1 2\n"
        "intr 99 1 2\nbtime 1700000000\nbtime\nctxt abc\n");
    ASSERT_TRUE(s.All);
    EXPECT_EQ(s.All->Total(), 36u);  // guest columns are part of user time already
    ASSERT_EQ(s.Cpus.size(), 1u);
    EXPECT_EQ(s.Cpus[0].Index, 0);
    EXPECT_EQ(s.Cpus[0].Total(), 10u);
    EXPECT_EQ(s.BootTime, 1700000000u);
    EXPECT_EQ(s.Interrupts, 99u);
    EXPECT_FALSE(s.ContextSwitches);

    EXPECT_DOUBLE_EQ(ParseUptime("12.5 30.25\n")->Seconds, 12.5);
    EXPECT_FALSE(ParseUptime("abc"));
    EXPECT_FALSE(ParseUptime(""));
    auto l = ParseLoadAvg("0.5 0.4 0.3 2/345 999\n");
    ASSERT_TRUE(l);
    EXPECT_EQ(l->Total, 345u);
    EXPECT_FALSE(ParseLoadAvg("1 2"));

    auto sums = ParseCpuColumnSums("   CPU0 CPU2\n0: 1 2 IO-APIC\nLOC: 10 20 timer\nERR: 5\nMIS\n");
    ASSERT_EQ(sums.size(), 3u);
    EXPECT_EQ(sums[0], 16u);
    EXPECT_EQ(sums[1], 0u);
    EXPECT_EQ(sums[2], 22u);
    EXPECT_TRUE(ParseCpuColumnSums("garbage\n1: 2").empty());
}

TEST(NativeParsers, MountsKeepLocalStorageOnce) {
    auto mounts = ParseMounts(
        "/dev/sda1 / ext4 rw 0 0\nproc /proc proc rw 0 0\n/dev/sda1 /etc/hosts ext4 rw 0 0\n"
        "srv:/x /mnt nfs4 rw 0 0\noverlay /var/lib/docker/x overlay rw 0 0\n"
        "/dev/sdb /media/my\\040disk vfat rw 0 0\ntmpfs /run tmpfs rw 0 0\nshort line\n");
    ASSERT_EQ(mounts.size(), 7u);
    EXPECT_EQ(mounts[5].MountPoint, "/media/my disk");
    auto local = LocalFileSystems(mounts);
    std::vector<std::string> names;
    for (const auto& m : local) names.push_back(m.MountPoint);
    EXPECT_EQ(names, (std::vector<std::string>{"/", "/media/my disk", "/var/lib/docker/x"}));
}

TEST(NativeParsers, DiskStatsNetDevAndLinkSpeed) {
    auto d = ParseDiskStats("8 0 sda 1 2 3 4 5 6 7 8 9 10 11\n8 1 sdb 1 2\n8 2 sdc 1 2 3 x 5 6 7 8 9 10 11\n");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].Name, "sda");
    EXPECT_EQ(d[0].ReadSectors, 3u);
    EXPECT_EQ(d[0].WriteMs, 8u);
    EXPECT_EQ(d[0].WeightedMs, 11u);

    auto n = ParseNetDev(
        "Inter-|   Receive |  Transmit\n face |bytes|bytes\n"
        "  eth0: 10 2 3 4 0 0 0 1 20 5 6 7 0 0 0 0\n  bad: 1 2 3\nlo:1 1 0 0 0 0 0 0 1 1 0 0 0 0 0 0\n");
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(n[0].Name, "eth0");
    EXPECT_EQ(n[0].RxMulticast, 1u);
    EXPECT_EQ(n[0].TxBytes, 20u);
    EXPECT_EQ(n[0].TxDropped, 7u);
    EXPECT_EQ(n[1].Name, "lo");

    EXPECT_EQ(ParseLinkSpeed("1000\n"), 1000u);
    EXPECT_FALSE(ParseLinkSpeed("-1\n"));
    EXPECT_FALSE(ParseLinkSpeed(""));
    EXPECT_FALSE(ParseLinkSpeed("fast"));
}

TEST(NativeParsers, DmtfTextAndFileTime) {
    // 2023-11-14 22:13:20 UTC.
    EXPECT_EQ(DmtfFromUnixWithOffset(1700000000, 5, 0), "20231114221320.000005+000");
    EXPECT_EQ(DmtfFromUnixWithOffset(1700000000, 0, 60), "20231114231320.000000+060");
    EXPECT_EQ(DmtfFromUnixWithOffset(1700000000, 0, -330), "20231114164320.000000-330");
    EXPECT_EQ(DmtfFromUnixWithOffset(0, 0, -60), "19691231230000.000000-060");
    EXPECT_EQ(DmtfFromUnixWithOffset(-62135596800 - 1, 0, 0), "");  // before year 1
    EXPECT_EQ(DmtfFromUnix(1700000000).size(), 25u);
    EXPECT_EQ(FileTimeFromUnixNs(0), 116444736000000000ull);
}

TEST(NativeParsers, LocaleNames) {
    auto de = ParseLocaleName("de_DE.UTF-8");
    EXPECT_EQ(de.LangId, 0x0407u);
    EXPECT_EQ(de.LocaleHex, "0407");
    EXPECT_EQ(de.Culture, "de-DE");
    EXPECT_EQ(de.CodePage, "65001");
    auto c = ParseLocaleName("C");
    EXPECT_EQ(c.LangId, 0x0409u);
    EXPECT_EQ(c.Culture, "en-US");
    auto pt = ParseLocaleName("pt_PT.ISO-8859-15@euro");
    EXPECT_EQ(pt.LocaleHex, "0816");
    EXPECT_EQ(pt.CodePage, "28605");
    auto unknown = ParseLocaleName("xx_YY");
    EXPECT_FALSE(unknown.LangId);
    EXPECT_EQ(unknown.Culture, "xx-YY");
}

TEST(NativeSampler, IntervalIsAtLeastTheMinimumAndLastSampleIsKept) {
    using namespace std::chrono_literals;
    IntervalSampler<int> sampler(50ms, 2s);
    int reads = 0;
    auto read = [&reads] { return ++reads; };
    auto first = sampler.Take(read);
    EXPECT_EQ(first.Before, 1);
    EXPECT_EQ(first.After, 2);
    EXPECT_GE(first.Seconds, 0.05);
    // The next pair starts from the kept sample, waiting for the minimum if needed.
    auto second = sampler.Take(read);
    EXPECT_EQ(second.Before, 2);
    EXPECT_EQ(second.After, 3);
    EXPECT_GE(second.Seconds, 0.05);

    IntervalSampler<int> stale(10ms, 20ms);
    const int kept = stale.Take(read).After;
    std::this_thread::sleep_for(40ms);
    auto fresh = stale.Take(read);
    EXPECT_EQ(fresh.Before, kept + 1);  // a stale sample is not reused
    EXPECT_EQ(fresh.After, kept + 2);
    EXPECT_EQ(CounterDelta(10, 4), 0u);
}

}  // namespace
}  // namespace veskin
