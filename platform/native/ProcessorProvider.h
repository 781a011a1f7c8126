#pragma once
// Win32_PerfFormattedData_PerfOS_Processor: one instance per processor ("0", "1", ...)
// and "_Total", with shares of time and rates between two samples of /proc/stat,
// /proc/interrupts and /proc/softirqs.
#include <memory>
#include <vector>

#include "platform/WbemObjectSet.h"
#include "platform/native/IntervalSampler.h"
#include "platform/native/NativeContext.h"
#include "platform/native/SystemParsers.h"

namespace veskin {

WbemClassPtr ProcessorClass();

struct ProcessorSample {
    ProcStat Stat;
    std::vector<std::uint64_t> Interrupts;  // per processor
    std::vector<std::uint64_t> SoftIrqs;    // per processor
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
