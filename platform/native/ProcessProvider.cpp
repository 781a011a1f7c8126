#include "platform/native/ProcessProvider.h"

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/native/ClassSchema.h"
#include "platform/native/DmtfTime.h"
#include "platform/native/NativeValues.h"
#include "platform/native/ProcessParsers.h"
#include "platform/native/ReadAhead.h"
#include "platform/native/TextFields.h"
#include "rtl/TextFold.h"

namespace veskin {

WbemClassPtr ProcessClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_Process");
    return cls;
}

ProcessCommon ProcessCommon::Read(const NativeContext& context) {
    ProcessCommon c;
    c.HostName = context.HostName();
    c.OsName = context.OsName();
    c.BootTime = context.BootTime();
    c.KernelRelease = context.KernelRelease();
    return c;
}

std::uint32_t WindowsPriority(std::int64_t nice, std::int64_t kernelPriority) {
    if (kernelPriority < 0) return 24;  // real-time scheduling
    if (nice >= 15) return 4;
    if (nice >= 5) return 6;
    if (nice > -5) return 8;
    if (nice > -15) return 10;
    return 13;
}

std::uint32_t ExecutionStateOf(char state) {
    switch (state) {
        case 'R': return 3;  // Running
        case 'S':
        case 'D':
        case 'I':
        case 'W': return 4;  // Blocked (waiting)
        case 'T':
        case 't': return 8;  // Stopped
        case 'Z':
        case 'X':
        case 'x': return 7;  // Terminated
        default: return 1;   // Other
    }
}

namespace {

std::optional<std::uint64_t> Mul(std::optional<std::uint64_t> v, std::uint64_t factor) {
    if (!v) return std::nullopt;
    return *v * factor;
}

std::optional<std::uint64_t> Sum(std::optional<std::uint64_t> a, std::optional<std::uint64_t> b) {
    if (!a && !b) return std::nullopt;
    return a.value_or(0) + b.value_or(0);
}

}  // namespace

ProcessReads ProcessReads::For(const WbemQueryHint& hint) {
    ProcessReads reads;
    auto any = [&hint](std::initializer_list<const char16_t*> names) {
        for (const char16_t* n : names)
            if (hint.Wants(n)) return true;
        return false;
    };
    reads.Status = any({u"PeakVirtualSize", u"VirtualSize", u"PeakWorkingSetSize", u"WorkingSetSize",
                        u"PageFileUsage", u"PrivatePageCount", u"ThreadCount"});
    reads.Io = any({u"ReadOperationCount", u"ReadTransferCount", u"WriteOperationCount", u"WriteTransferCount"});
    reads.OpenFiles = hint.Wants(u"HandleCount");
    reads.Names = hint.RequiredValues(u"Name");
    return reads;
}

std::vector<std::uint32_t> ProcessIdsFor(const SystemFiles& files, const WbemQueryHint& hint) {
    for (const char16_t* key : {u"ProcessId", u"Handle"}) {
        const std::vector<WideString>* values = hint.RequiredValues(key);
        if (!values) continue;
        std::vector<std::uint32_t> pids;
        bool allNumbers = true;
        for (const auto& text : *values) {
            // Only plain decimal text names one process for sure; anything else
            // ("1.0", "0x1") is left to the full listing and the condition.
            auto n = ToU64(WideToAnsi(text));
            if (!n || *n > UINT32_MAX) {
                allNumbers = false;
                break;
            }
            pids.push_back(static_cast<std::uint32_t>(*n));
        }
        if (!allNumbers) continue;
        std::sort(pids.begin(), pids.end());
        pids.erase(std::unique(pids.begin(), pids.end()), pids.end());
        return pids;
    }
    return files.NumericEntries("proc");
}

WbemObjectPtr ReadProcess(const NativeContext& context, const ProcessCommon& common,
                          std::uint32_t pid, const ProcessReads& reads) {
    const SystemFiles& files = context.Files();
    const std::string dir = "proc/" + std::to_string(pid) + "/";
    auto statText = files.ReadRendered(dir + "stat", 4096);
    if (!statText) return nullptr;
    auto stat = ParseProcessStat(*statText);
    if (!stat || stat->Pid != pid) return nullptr;

    // A kernel thread's command line, link and status say nothing (most processes of
    // an idle system are kernel threads): they are not read. A process that is not ours
    // may hide its executable link: the name then falls back to the command line or the
    // stat.
    const bool kernelThread = stat->KernelThread();
    const std::string cmdlineBytes =
        kernelThread ? std::string() : files.ReadRendered(dir + "cmdline", 256 * 1024).value_or("");
    auto exe = kernelThread ? std::nullopt : files.ReadLink(dir + "exe");
    const std::optional<std::string> name = ProcessImageName(exe, cmdlineBytes, stat->Comm);
    if (reads.Names) {
        const WideString own = AnsiToWide(name.value_or(""));
        if (!name || std::none_of(reads.Names->begin(), reads.Names->end(),
                                  [&own](const WideString& n) { return CompareTextW(own, n) == 0; }))
            return nullptr;
    }

    std::optional<std::uint64_t> vmPeak, vmSize, vmHwm, vmRss, rssAnon, vmSwap, threads;
    if (auto text = reads.Status && !kernelThread ? files.ReadRendered(dir + "status", 16384) : std::nullopt)
        ScanKeyNumbers(*text, {{"VmPeak", &vmPeak}, {"VmSize", &vmSize}, {"VmHWM", &vmHwm}, {"VmRSS", &vmRss}, {"RssAnon", &rssAnon}, {"VmSwap", &vmSwap}, {"Threads", &threads}});
    std::optional<std::uint64_t> rchar, wchar, syscr, syscw;
    if (auto text = reads.Io ? files.ReadRendered(dir + "io", 4096) : std::nullopt)
        ScanKeyNumbers(*text, {{"rchar", &rchar}, {"wchar", &wchar}, {"syscr", &syscr}, {"syscw", &syscw}});
    std::optional<std::string> cmdline;
    if (std::string line = ParseCmdline(cmdlineBytes); !line.empty()) cmdline = std::move(line);
    auto fdCount = reads.OpenFiles ? files.CountOpenFiles(dir + "fd") : std::nullopt;

    const std::uint64_t ticks = static_cast<std::uint64_t>(context.ClockTicks());
    const WbemClassPtr& cls = ProcessClass();
    ValueRow row(cls);
    row.Set("Caption", StrValue(name));
    row.Set("CommandLine", StrValue(cmdline));
    row.Set("CreationClassName", StrValue("Win32_Process"));
    if (common.BootTime) {
        const std::uint64_t startMicros = stat->StartTicks % ticks * 1000000 / ticks;
        row.Set("CreationDate",
                StrValue(DmtfFromUnix(*common.BootTime + static_cast<std::int64_t>(stat->StartTicks / ticks),
                                      static_cast<std::uint32_t>(startMicros))));
    }
    row.Set("CSCreationClassName", StrValue("Win32_ComputerSystem"));
    row.Set("CSName", StrValue(common.HostName));
    row.Set("Description", StrValue(name));
    row.Set("ExecutablePath", StrValue(exe));
    row.Set("ExecutionState", U16Value(ExecutionStateOf(stat->State)));
    row.Set("Handle", StrValue(std::to_string(pid)));
    row.Set("HandleCount", U32Value(fdCount));
    // Tick counts to 100 ns units without overflowing for long-running processes.
    auto to100ns = [ticks](std::uint64_t t) { return t / ticks * 10000000 + t % ticks * 10000000 / ticks; };
    row.Set("KernelModeTime", U64Value(to100ns(stat->SystemTicks)));
    row.Set("UserModeTime", U64Value(to100ns(stat->UserTicks)));
    row.Set("Name", StrValue(name));
    row.Set("OSCreationClassName", StrValue("Win32_OperatingSystem"));
    row.Set("OSName", StrValue(common.OsName));
    row.Set("PageFaults", U32Value(stat->MinorFaults + stat->MajorFaults));
    auto privateKb = Sum(rssAnon, vmSwap);
    row.Set("PageFileUsage", U32Value(privateKb));
    row.Set("PrivatePageCount", U64Value(Mul(privateKb, 1024)));
    row.Set("ParentProcessId", U32Value(stat->ParentPid));
    row.Set("PeakVirtualSize", U64Value(Mul(vmPeak, 1024)));
    row.Set("PeakWorkingSetSize", U32Value(vmHwm));
    row.Set("Priority", U32Value(WindowsPriority(stat->Nice, stat->Priority)));
    row.Set("ProcessId", U32Value(pid));
    row.Set("ReadOperationCount", U64Value(syscr));
    row.Set("ReadTransferCount", U64Value(rchar));
    row.Set("WriteOperationCount", U64Value(syscw));
    row.Set("WriteTransferCount", U64Value(wchar));
    if (stat->Session >= 0) row.Set("SessionId", U32Value(static_cast<std::uint64_t>(stat->Session)));
    if (!threads && stat->Threads >= 0) threads = static_cast<std::uint64_t>(stat->Threads);
    row.Set("ThreadCount", U32Value(threads));
    auto vmBytes = Mul(vmSize, 1024);
    // Kernel threads have no VmSize line; their stat says 0.
    row.Set("VirtualSize", U64Value(vmBytes ? vmBytes : std::optional<std::uint64_t>(stat->VirtualBytes)));
    auto rss = Mul(vmRss, 1024);
    if (!rss && stat->RssPages >= 0)
        rss = static_cast<std::uint64_t>(stat->RssPages) * static_cast<std::uint64_t>(context.PageSize());
    row.Set("WorkingSetSize", U64Value(rss));
    row.Set("WindowsVersion", StrValue(common.KernelRelease));
    return MakeNativeInstance(cls, std::move(row));
}

bool ProcessExists(const SystemFiles& files, std::uint32_t pid) {
    if (files.IsRealRoot()) return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
    struct stat st {};
    return ::stat(files.PathOf("proc/" + std::to_string(pid)).c_str(), &st) == 0;
}

WbemObjectProducer EnumerateProcesses(std::shared_ptr<const NativeContext> context,
                                      const WbemQueryHint& hint) {
    struct State {
        std::vector<std::uint32_t> Pids;
        ProcessCommon Common;
        std::optional<std::vector<WideString>> Names;  // the hint's, kept past the call
        ProcessReads Reads;
        std::size_t Taken = 0;                            // processes handed out or skipped
        std::unique_ptr<ReadAhead<WbemObjectPtr>> Ahead;  // last: its workers use the rest
    };
    auto state = std::make_shared<State>();
    state->Pids = ProcessIdsFor(context->Files(), hint);
    state->Common = ProcessCommon::Read(*context);
    state->Reads = ProcessReads::For(hint);
    if (state->Reads.Names) state->Names = *state->Reads.Names;
    state->Reads.Names = state->Names ? &*state->Names : nullptr;
    // Each process costs several reads of its files: from kReadAheadFrom processes on,
    // they are read ahead of the caller, on as many threads as there are processors, a
    // bounded number of processes ahead. Fewer are read faster by the caller alone than
    // the threads cost to wake, share the work and stop (most of an idle system's
    // processes are kernel threads, read from two files). A process read ahead that has
    // ended by the time the caller reaches it is skipped, as one that ends before it is
    // read.
    const State& s = *state;
    state->Ahead = std::make_unique<ReadAhead<WbemObjectPtr>>(
        s.Pids.size(),
        [&s, context](std::size_t i) { return ReadProcess(*context, s.Common, s.Pids[i], s.Reads); },
        s.Pids.size() >= kReadAheadFrom ? ReadAheadWorkers() : 0, 64);
    return [state, context](WbemObjectPtr& out) -> HRESULT {
        WbemObjectPtr obj;
        while (state->Ahead->Next(obj)) {
            const std::uint32_t pid = state->Pids[state->Taken++];
            if (obj && (!state->Ahead->ReadsAhead() || ProcessExists(context->Files(), pid))) {
                out = std::move(obj);
                return S_OK;
            }
        }
        return S_FALSE;
    };
}

}  // namespace veskin
