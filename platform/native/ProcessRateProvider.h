#pragma once
// Win32_PerfFormattedData_PerfProc_Process: each process's counters of
// Win32_PerfRawData_PerfProc_Process cooked over the interval between two samples:
// shares of processor time in percent, operations and bytes per second, the other
// figures as of the later sample, ElapsedTime in seconds.
#include <memory>
#include <vector>

#include "platform/WbemObjectSet.h"
#include "platform/native/IntervalSampler.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr ProcessRateClass();

using ProcessCounterSample = std::vector<WbemObjectPtr>;  // raw instances, _Total last

// The formatted instances of the later sample's processes; one not in the earlier
// sample has no interval yet and shows rates of 0.
std::vector<WbemObjectPtr> BuildProcessRates(const SamplePair<ProcessCounterSample>& samples);

class ProcessRateProvider {
public:
    explicit ProcessRateProvider(std::shared_ptr<const NativeContext> context);
    WbemObjectProducer Enumerate();

private:
    std::shared_ptr<const NativeContext> FContext;
    std::shared_ptr<IntervalSampler<ProcessCounterSample>> FSampler;
};

}  // namespace veskin
