#pragma once
// Win32_PerfFormattedData_PerfOS_Processor: one instance per processor ("0", "1", ...)
// and "_Total", with shares of time and rates between two samples of /proc/stat,
// /proc/interrupts, /proc/softirqs and the idle states of
// /sys/devices/system/cpu/cpu<N>/cpuidle.
#include <array>
#include <map>
#include <memory>
#include <vector>

#include "platform/WbemObjectSet.h"
#include "platform/native/IntervalSampler.h"
#include "platform/native/NativeContext.h"
#include "platform/native/SystemParsers.h"

namespace veskin {

WbemClassPtr ProcessorClass();

// A processor's idle-state counters as Windows' C1, C2 and C3: the kernel's states
// in their order without the polling state, the third and deeper ones counted as C3.
struct CStateCounters {
    std::array<std::uint64_t, 3> Entries{};  // times the state was entered (usage)
    std::array<std::uint64_t, 3> Micros{};   // time spent in it (time, microseconds)
};
// The counters of cpuidle's state folders; nothing when the processor has none.
std::optional<CStateCounters> ReadCStates(const SystemFiles& files, int cpu);

struct ProcessorSample {
    ProcStat Stat;
    std::vector<std::uint64_t> Interrupts;  // per processor
    std::vector<std::uint64_t> SoftIrqs;    // per processor
    std::map<int, CStateCounters> CStates;  // by processor number
    static ProcessorSample Read(const SystemFiles& files);
};

// The instances for two samples taken seconds apart (processors of the later sample).
std::vector<WbemObjectPtr> BuildProcessors(const SamplePair<ProcessorSample>& samples);

class ProcessorProvider {
public:
    explicit ProcessorProvider(std::shared_ptr<const NativeContext> context);
    WbemObjectProducer Enumerate();

private:
    std::shared_ptr<const NativeContext> FContext;
    std::shared_ptr<IntervalSampler<ProcessorSample>> FSampler;
};

}  // namespace veskin
