#pragma once
// Win32_PerfRawData_PerfProc_Process: the cumulative counters of each process (read as
// Win32_Process reads it), named as Windows names them ("bash", "bash#1", ... in
// process-id order) and "_Total", the sum over all.
#include <memory>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"
#include "platform/native/NetworkInterfaceProvider.h"

namespace veskin {

WbemClassPtr ProcessCounterClass();

// "yyyymmddHHMMSS.mmmmmm+UUU" as 100 ns units since 1601 (UTC); nothing when malformed.
std::optional<std::uint64_t> FileTimeOfDmtf(const std::string& dmtf);

std::vector<WbemObjectPtr> ReadProcessCounters(std::shared_ptr<const NativeContext> context, const PerfClock& clock);

WbemObjectProducer EnumerateProcessCounters(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
