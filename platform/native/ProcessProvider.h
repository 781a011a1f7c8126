#pragma once
// Win32_Process: one instance per process of /proc, read when the enumeration reaches
// it. A process that goes away before its stat file is read is skipped; files that
// cannot be read leave their properties null.
#include <cstdint>
#include <memory>

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

// The instance of one process; null when the process is gone or its stat unreadable.
WbemObjectPtr ReadProcess(const NativeContext& context, const ProcessCommon& common,
                          std::uint32_t pid);

// Lists the process ids when called and reads each process when the producer reaches it.
WbemObjectProducer EnumerateProcesses(std::shared_ptr<const NativeContext> context);

// Windows base priority (4 idle .. 13 high, 24 real-time) for a Linux nice value and
// kernel priority (negative for real-time scheduling).
std::uint32_t WindowsPriority(std::int64_t nice, std::int64_t kernelPriority);
// CIM execution state for a /proc state letter.
std::uint32_t ExecutionStateOf(char state);

}  // namespace veskin
