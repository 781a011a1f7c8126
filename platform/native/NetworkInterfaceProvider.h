#pragma once
// Win32_PerfRawData_Tcpip_NetworkInterface: one instance per interface of
// /proc/net/dev with its cumulative counters, the link speed from
// /sys/class/net/<if>/speed, and the timestamps a reader needs to compute rates.
#include <memory>
#include <vector>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr NetworkInterfaceClass();

struct PerfClock {
    std::uint64_t MonotonicNs = 0;  // Timestamp_PerfTime at 10^9 per second
    std::uint64_t FileTime = 0;     // Timestamp_Sys100NS at 10^7 per second
    static PerfClock Now();
};

std::vector<WbemObjectPtr> ReadNetworkInterfaces(const NativeContext& context, const PerfClock& clock);

WbemObjectProducer EnumerateNetworkInterfaces(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
