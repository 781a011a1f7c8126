#include "platform/native/ProcessorProvider.h"

#include <algorithm>

#include "platform/WbemObject.h"
#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"
#include "platform/native/TextFields.h"

namespace veskin {

WbemClassPtr ProcessorClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_PerfFormattedData_PerfOS_Processor");
    return cls;
}

std::optional<CStateCounters> ReadCStates(const SystemFiles& files, int cpu) {
    const std::string dir = "sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/cpuidle";
    std::vector<std::uint64_t> states;  // "stateK" folders by K (the names sort as text)
    for (const auto& entry : files.Entries(dir))
        if (entry.rfind("state", 0) == 0)
            if (auto k = ToU64(std::string_view(entry).substr(5))) states.push_back(*k);
    std::sort(states.begin(), states.end());
    CStateCounters c;
    std::size_t level = 0;
    bool any = false;
    for (std::uint64_t k : states) {
        const std::string state = dir + "/state" + std::to_string(k) + "/";
        if (files.ReadLine(state + "name").value_or("") == "POLL") continue;  // busy waiting, no C-state
        auto usage = ToU64(files.ReadLine(state + "usage").value_or(""));
        auto micros = ToU64(files.ReadLine(state + "time").value_or(""));
        const std::size_t slot = std::min<std::size_t>(level++, 2);
        if (!usage || !micros) continue;
        c.Entries[slot] += *usage;
        c.Micros[slot] += *micros;
        any = true;
    }
    if (!any) return std::nullopt;
    return c;
}

ProcessorSample ProcessorSample::Read(const SystemFiles& files) {
    ProcessorSample s;
    if (auto text = files.Read("proc/stat")) s.Stat = ParseProcStat(*text);
    if (auto text = files.Read("proc/interrupts")) s.Interrupts = ParseCpuColumnSums(*text);
    if (auto text = files.Read("proc/softirqs")) s.SoftIrqs = ParseCpuColumnSums(*text);
    for (const auto& cpu : s.Stat.Cpus)
        if (auto c = ReadCStates(files, cpu.Index)) s.CStates.emplace(cpu.Index, *c);
    return s;
}

namespace {

const CpuTimes* FindCpu(const ProcStat& stat, int index) {
    if (index < 0) return stat.All ? &*stat.All : nullptr;
    for (const auto& c : stat.Cpus)
        if (c.Index == index) return &c;
    return nullptr;
}

std::optional<std::uint64_t> Column(const std::vector<std::uint64_t>& sums, int index) {
    if (index < 0) {
        if (sums.empty()) return std::nullopt;
        std::uint64_t total = 0;
        for (auto v : sums) total += v;
        return total;
    }
    if (static_cast<std::size_t>(index) >= sums.size()) return std::nullopt;
    return sums[static_cast<std::size_t>(index)];
}

std::optional<std::uint64_t> Rate(std::optional<std::uint64_t> before, std::optional<std::uint64_t> after,
                                  double seconds) {
    if (!before || !after || seconds <= 0) return std::nullopt;
    return static_cast<std::uint64_t>(static_cast<double>(CounterDelta(*before, *after)) / seconds);
}

// C1..C3 transitions per second and shares of the interval, of one processor or (index
// -1) of all: transitions summed, shares averaged over the processors counted.
void SetCStates(ValueRow& row, int index, const SamplePair<ProcessorSample>& samples) {
    if (samples.Seconds <= 0) return;
    std::array<std::uint64_t, 3> entries{}, micros{};
    std::size_t cpus = 0;
    for (const auto& [cpu, after] : samples.After.CStates) {
        if (index >= 0 && cpu != index) continue;
        auto before = samples.Before.CStates.find(cpu);
        if (before == samples.Before.CStates.end()) continue;  // no interval yet
        ++cpus;
        for (std::size_t i = 0; i < 3; ++i) {
            entries[i] += CounterDelta(before->second.Entries[i], after.Entries[i]);
            micros[i] += CounterDelta(before->second.Micros[i], after.Micros[i]);
        }
    }
    if (cpus == 0) return;
    const double intervalMicros = samples.Seconds * 1e6 * static_cast<double>(cpus);
    static const char* const kTransitions[] = {"C1TransitionsPersec", "C2TransitionsPersec", "C3TransitionsPersec"};
    static const char* const kShares[] = {"PercentC1Time", "PercentC2Time", "PercentC3Time"};
    for (std::size_t i = 0; i < 3; ++i) {
        row.Set(kTransitions[i], U64Value(static_cast<std::uint64_t>(static_cast<double>(entries[i]) / samples.Seconds)));
        const double share = static_cast<double>(micros[i]) * 100 / intervalMicros;
        row.Set(kShares[i], U64Value(static_cast<std::uint64_t>(std::min(share, 100.0))));
    }
}

WbemObjectPtr BuildOne(const std::string& name, const CpuTimes& a, const CpuTimes& b, int index,
                       const SamplePair<ProcessorSample>& samples) {
    const WbemClassPtr& cls = ProcessorClass();
    ValueRow row(cls);
    row.Set("Name", StrValue(name));
    const std::uint64_t total = CounterDelta(a.Total(), b.Total());
    if (total > 0) {
        // Shares of the elapsed ticks, as whole percentages.
        auto pct = [total](std::uint64_t part) {
            std::uint64_t p = part * 100 / total;
            return p > 100 ? 100 : p;
        };
        const std::uint64_t idle = CounterDelta(a.Idle, b.Idle) + CounterDelta(a.IoWait, b.IoWait);
        const std::uint64_t user = CounterDelta(a.User, b.User) + CounterDelta(a.Nice, b.Nice);
        const std::uint64_t irq = CounterDelta(a.Irq, b.Irq);
        const std::uint64_t soft = CounterDelta(a.SoftIrq, b.SoftIrq);
        const std::uint64_t system = CounterDelta(a.System, b.System);
        row.Set("PercentIdleTime", U64Value(pct(idle)));
        row.Set("PercentProcessorTime", U64Value(100 - pct(idle)));
        row.Set("PercentUserTime", U64Value(pct(user)));
        row.Set("PercentPrivilegedTime", U64Value(pct(system + irq + soft)));
        row.Set("PercentInterruptTime", U64Value(pct(irq)));
        row.Set("PercentDPCTime", U64Value(pct(soft)));
    }
    std::optional<std::uint64_t> intrBefore, intrAfter;
    if (index < 0 && samples.Before.Stat.Interrupts && samples.After.Stat.Interrupts) {
        intrBefore = samples.Before.Stat.Interrupts;
        intrAfter = samples.After.Stat.Interrupts;
    } else {
        intrBefore = Column(samples.Before.Interrupts, index);
        intrAfter = Column(samples.After.Interrupts, index);
    }
    row.Set("InterruptsPersec", U32Value(Rate(intrBefore, intrAfter, samples.Seconds)));
    row.Set("DPCsQueuedPersec", U32Value(Rate(Column(samples.Before.SoftIrqs, index),
                                              Column(samples.After.SoftIrqs, index), samples.Seconds)));
    SetCStates(row, index, samples);
    return MakeNativeInstance(cls, std::move(row));
}

}  // namespace

std::vector<WbemObjectPtr> BuildProcessors(const SamplePair<ProcessorSample>& samples) {
    std::vector<WbemObjectPtr> out;
    for (const auto& cpu : samples.After.Stat.Cpus) {
        const CpuTimes* before = FindCpu(samples.Before.Stat, cpu.Index);
        // A processor that came online between the samples has no interval yet.
        out.push_back(BuildOne(std::to_string(cpu.Index), before ? *before : cpu, cpu, cpu.Index, samples));
    }
    if (samples.After.Stat.All) {
        const CpuTimes* before = FindCpu(samples.Before.Stat, -1);
        out.push_back(BuildOne("_Total", before ? *before : *samples.After.Stat.All,
                               *samples.After.Stat.All, -1, samples));
    }
    return out;
}

ProcessorProvider::ProcessorProvider(std::shared_ptr<const NativeContext> context)
    : FContext(std::move(context)), FSampler(std::make_shared<IntervalSampler<ProcessorSample>>()) {}

WbemObjectProducer ProcessorProvider::Enumerate() {
    auto context = FContext;
    auto pair = FSampler->Take([context] { return ProcessorSample::Read(context->Files()); });
    return ProduceList(BuildProcessors(pair));
}

}  // namespace veskin
