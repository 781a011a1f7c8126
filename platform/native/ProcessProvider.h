#pragma once
// Win32_Process: one instance per process of /proc, read when the enumeration reaches
// it. A process that goes away before its stat file is read is skipped; files that
// cannot be read leave their properties null.
#include <cstdint>
#include <memory>

#include "platform/WbemInstanceSource.h"
#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr ProcessClass();

// What every process instance of one enumeration shares.
struct ProcessCommon {
    std::string HostName;
    std::string OsName;
    std::optional<std::int64_t> BootTime;
    std::optional<std::string> KernelRelease;
    static ProcessCommon Read(const NativeContext& context);
};

// Which of a process's files a query needs besides stat, cmdline and exe (those give
// the keys and the name): status for the memory and thread figures, io for the
// transfer counts, fd for the handle count. Its names are what the query asks for
// (wanted: the select list and the properties WHERE tests; null: all).
struct ProcessReads {
    bool Status = true, Io = true, OpenFiles = true;
    // Name must equal one of these (WQL's text comparison) or the process is skipped
    // before its other files are read; null: any name.
    const std::vector<WideString>* Names = nullptr;
    static ProcessReads For(const WbemQueryHint& hint);
};

// The instance of one process; null when the process is gone or its stat unreadable,
// or when its name is not among reads.Names.
WbemObjectPtr ReadProcess(const NativeContext& context, const ProcessCommon& common,
                          std::uint32_t pid, const ProcessReads& reads = {});

// The processes a query can match: those its ProcessId or Handle equalities name (in
// ascending order, whether they exist or not), else every one of proc/.
std::vector<std::uint32_t> ProcessIdsFor(const SystemFiles& files, const WbemQueryHint& hint);

// Whether process pid still exists (on a fixture root: whether its folder does).
bool ProcessExists(const SystemFiles& files, std::uint32_t pid);

// From this many processes on, they are read ahead of the producer on worker threads.
inline constexpr std::size_t kReadAheadFrom = 128;

// Lists the process ids when called and reads each process, only what the hint asks
// for, at most a bounded number ahead of the producer; a process that has ended when the
// producer reaches it is skipped.
WbemObjectProducer EnumerateProcesses(std::shared_ptr<const NativeContext> context,
                                      const WbemQueryHint& hint = {});

// Windows base priority (4 idle .. 13 high, 24 real-time) for a Linux nice value and
// kernel priority (negative for real-time scheduling).
std::uint32_t WindowsPriority(std::int64_t nice, std::int64_t kernelPriority);
// CIM execution state for a /proc state letter.
std::uint32_t ExecutionStateOf(char state);

}  // namespace veskin
