#pragma once
// Win32_PerfFormattedData_PerfOS_Memory: the single instance, with sizes from
// /proc/meminfo and paging rates between two samples of /proc/vmstat.
#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "platform/WbemObjectSet.h"
#include "platform/native/IntervalSampler.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr MemoryClass();

using VmStatSample = std::map<std::string, std::string>;

// meminfo: the parsed /proc/meminfo (kB values); cachePeak: the largest cache size in
// bytes seen so far (raised to the current one).
WbemObjectPtr BuildMemory(const std::map<std::string, std::string>& meminfo,
                          const SamplePair<VmStatSample>& vmstat, std::uint64_t& cachePeak);

class MemoryProvider {
public:
    explicit MemoryProvider(std::shared_ptr<const NativeContext> context);
    WbemObjectProducer Enumerate();

private:
    std::shared_ptr<const NativeContext> FContext;
    std::shared_ptr<IntervalSampler<VmStatSample>> FSampler;
    std::shared_ptr<std::atomic<std::uint64_t>> FCachePeak;
};

}  // namespace veskin
