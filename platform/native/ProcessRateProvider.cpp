#include "platform/native/ProcessRateProvider.h"

#include <map>

#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"
#include "platform/native/ProcessCounterProvider.h"
#include "platform/native/TextFields.h"

namespace veskin {

WbemClassPtr ProcessRateClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_PerfFormattedData_PerfProc_Process");
    return cls;
}

namespace {

std::optional<std::uint64_t> Number(const WbemObject& raw, const char* name) {
    const Variant v = raw.GetValue(AnsiToWide(name));
    if (v.IsNull()) return std::nullopt;
    if (v.VarType() == varOleStr) return ToU64(WideToAnsi(v.RawOleStr()));
    return static_cast<std::uint32_t>(v.RawInt());
}

// A process is the same one in both samples when its id and name agree (ids are reused).
std::string Identity(const WbemObject& raw) {
    return WideToAnsi(raw.GetValue(u"Name").IsNull() ? WideString() : raw.GetValue(u"Name").RawOleStr()) + "/" +
           std::to_string(Number(raw, "IDProcess").value_or(0));
}

}  // namespace

std::vector<WbemObjectPtr> BuildProcessRates(const SamplePair<ProcessCounterSample>& samples) {
    static const char* const kTimes[] = {"PercentPrivilegedTime", "PercentProcessorTime", "PercentUserTime"};
    static const char* const kRates[] = {"IODataBytesPersec", "IODataOperationsPersec", "IOReadBytesPersec",
                                         "IOReadOperationsPersec", "IOWriteBytesPersec", "IOWriteOperationsPersec"};
    static const char* const kFigures[] = {"PageFileBytes", "PrivateBytes", "VirtualBytes", "VirtualBytesPeak",
                                           "WorkingSet", "WorkingSetPeak"};
    std::map<std::string, const WbemObject*> before;
    for (const auto& raw : samples.Before) before.emplace(Identity(*raw), raw.get());
    const WbemClassPtr& cls = ProcessRateClass();
    std::vector<WbemObjectPtr> out;
    for (const auto& after : samples.After) {
        auto found = before.find(Identity(*after));
        const WbemObject& earlier = found == before.end() ? *after : *found->second;
        ValueRow row(cls);
        row.Set("Name", after->GetValue(u"Name"));
        for (const char* id : {"IDProcess", "CreatingProcessID", "PriorityBase", "HandleCount", "ThreadCount"})
            row.Set(id, U32Value(Number(*after, id)));
        for (const char* figure : kFigures) row.Set(figure, U64Value(Number(*after, figure)));
        auto delta = [&](const char* name) -> std::optional<std::uint64_t> {
            auto a = Number(earlier, name), b = Number(*after, name);
            if (!a || !b) return std::nullopt;
            return CounterDelta(*a, *b);
        };
        const double seconds = samples.Seconds;  // never zero
        for (const char* name : kTimes)
            if (auto d = delta(name)) row.Set(name, U64Value(static_cast<std::uint64_t>(static_cast<double>(*d) / (seconds * 1e5))));
        for (const char* name : kRates)
            if (auto d = delta(name)) row.Set(name, U64Value(static_cast<std::uint64_t>(static_cast<double>(*d) / seconds)));
        if (auto d = delta("PageFaultsPersec")) row.Set("PageFaultsPersec", U32Value(static_cast<std::uint64_t>(static_cast<double>(*d) / seconds)));
        const auto created = Number(*after, "ElapsedTime"), now = Number(*after, "Timestamp_Object");
        if (created && now && *now >= *created) row.Set("ElapsedTime", U64Value((*now - *created) / 10000000));
        out.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    return out;
}

ProcessRateProvider::ProcessRateProvider(std::shared_ptr<const NativeContext> context)
    : FContext(std::move(context)), FSampler(std::make_shared<IntervalSampler<ProcessCounterSample>>()) {}

WbemObjectProducer ProcessRateProvider::Enumerate() {
    auto context = FContext;
    auto pair = FSampler->Take([context] { return ReadProcessCounters(context, PerfClock::Now()); });
    return ProduceList(BuildProcessRates(pair));
}

}  // namespace veskin
