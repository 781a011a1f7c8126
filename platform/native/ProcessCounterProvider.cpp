#include "platform/native/ProcessCounterProvider.h"

#include <map>

#include "platform/native/ClassSchema.h"
#include "platform/native/DmtfTime.h"
#include "platform/native/NativeValues.h"
#include "platform/native/ProcessProvider.h"
#include "platform/native/TextFields.h"

namespace veskin {

WbemClassPtr ProcessCounterClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_PerfRawData_PerfProc_Process");
    return cls;
}

std::optional<std::uint64_t> FileTimeOfDmtf(const std::string& dmtf) {
    if (dmtf.size() != 25 || dmtf[14] != '.' || (dmtf[21] != '+' && dmtf[21] != '-')) return std::nullopt;
    auto part = [&dmtf](std::size_t at, std::size_t len) { return ToU64(std::string_view(dmtf).substr(at, len)); };
    auto y = part(0, 4), mo = part(4, 2), d = part(6, 2), h = part(8, 2), mi = part(10, 2), s = part(12, 2),
         us = part(15, 6), off = part(22, 3);
    if (!y || !mo || !d || !h || !mi || !s || !us || !off || *mo < 1 || *mo > 12 || *d < 1) return std::nullopt;
    // Days since 1970 of the civil date (proleptic Gregorian).
    const std::int64_t year = static_cast<std::int64_t>(*y) - (*mo <= 2 ? 1 : 0);
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yoe = year - era * 400;
    const std::int64_t m = static_cast<std::int64_t>(*mo);
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<std::int64_t>(*d) - 1;
    const std::int64_t days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    std::int64_t seconds = days * 86400 + static_cast<std::int64_t>(*h * 3600 + *mi * 60 + *s);
    seconds -= (dmtf[21] == '+' ? 1 : -1) * static_cast<std::int64_t>(*off) * 60;  // local time to UTC
    return FileTimeFromUnixNs(seconds * 1000000000 + static_cast<std::int64_t>(*us) * 1000);
}

namespace {

std::optional<std::uint64_t> Number(const WbemObject& process, const char16_t* name) {
    const Variant v = process.GetValue(WideString(name));
    if (v.IsNull()) return std::nullopt;
    if (v.VarType() == varOleStr) return ToU64(WideToAnsi(v.RawOleStr()));
    return static_cast<std::uint32_t>(v.RawInt());
}

std::optional<std::uint64_t> Plus(std::optional<std::uint64_t> a, std::optional<std::uint64_t> b) {
    if (!a || !b) return std::nullopt;
    return *a + *b;
}

}  // namespace

std::vector<WbemObjectPtr> ReadProcessCounters(std::shared_ptr<const NativeContext> context, const PerfClock& clock) {
    const WbemClassPtr& cls = ProcessCounterClass();
    std::vector<WbemObjectPtr> out;
    std::map<std::string, std::uint32_t> seen;  // instances of each name so far
    // The counters every instance and _Total carry.
    static const char* const kSummed[] = {"HandleCount", "IODataBytesPersec", "IODataOperationsPersec",
                                          "IOReadBytesPersec", "IOReadOperationsPersec", "IOWriteBytesPersec",
                                          "IOWriteOperationsPersec", "PageFaultsPersec", "PageFileBytes",
                                          "PercentPrivilegedTime", "PercentProcessorTime", "PercentUserTime",
                                          "PrivateBytes", "ThreadCount", "VirtualBytes", "WorkingSet"};
    std::map<std::string, std::uint64_t> totals;
    auto stamp = [&clock](ValueRow& row) {
        row.Set("Frequency_Object", U64Value(10000000ull));
        row.Set("Frequency_PerfTime", U64Value(1000000000ull));
        row.Set("Frequency_Sys100NS", U64Value(10000000ull));
        row.Set("Timestamp_Object", U64Value(clock.FileTime));
        row.Set("Timestamp_PerfTime", U64Value(clock.MonotonicNs));
        row.Set("Timestamp_Sys100NS", U64Value(clock.FileTime));
    };
    WbemObjectProducer processes = EnumerateProcesses(context);
    for (WbemObjectPtr p; processes(p) == S_OK;) {
        ValueRow row(cls);
        std::string name = WideToAnsi(p->GetValue(u"Name").IsNull() ? WideString() : p->GetValue(u"Name").RawOleStr());
        const std::uint32_t n = seen[name]++;
        if (n > 0) {
            // Appended piece by piece: GCC 12 at -O3 reports a false overlap for "#" + text.
            name += '#';
            name += std::to_string(n);
        }
        row.Set("Name", StrValue(name));
        row.Set("IDProcess", U32Value(Number(*p, u"ProcessId")));
        row.Set("CreatingProcessID", U32Value(Number(*p, u"ParentProcessId")));
        row.Set("PriorityBase", U32Value(Number(*p, u"Priority")));
        const Variant created = p->GetValue(u"CreationDate");
        if (!created.IsNull()) row.Set("ElapsedTime", U64Value(FileTimeOfDmtf(WideToAnsi(created.RawOleStr()))));
        std::map<std::string, std::optional<std::uint64_t>> v;
        v["HandleCount"] = Number(*p, u"HandleCount");
        v["IOReadBytesPersec"] = Number(*p, u"ReadTransferCount");
        v["IOReadOperationsPersec"] = Number(*p, u"ReadOperationCount");
        v["IOWriteBytesPersec"] = Number(*p, u"WriteTransferCount");
        v["IOWriteOperationsPersec"] = Number(*p, u"WriteOperationCount");
        v["IODataBytesPersec"] = Plus(v["IOReadBytesPersec"], v["IOWriteBytesPersec"]);
        v["IODataOperationsPersec"] = Plus(v["IOReadOperationsPersec"], v["IOWriteOperationsPersec"]);
        v["PageFaultsPersec"] = Number(*p, u"PageFaults");
        v["PageFileBytes"] = Number(*p, u"PrivatePageCount");
        v["PercentUserTime"] = Number(*p, u"UserModeTime");
        v["PercentPrivilegedTime"] = Number(*p, u"KernelModeTime");
        v["PercentProcessorTime"] = Plus(v["PercentUserTime"], v["PercentPrivilegedTime"]);
        v["PrivateBytes"] = Number(*p, u"PrivatePageCount");
        v["ThreadCount"] = Number(*p, u"ThreadCount");
        v["VirtualBytes"] = Number(*p, u"VirtualSize");
        v["WorkingSet"] = Number(*p, u"WorkingSetSize");
        for (const char* key : kSummed) {
            const auto& value = v[key];
            const bool narrow = std::string(key) == "HandleCount" || std::string(key) == "ThreadCount" ||
                                std::string(key) == "PageFaultsPersec";
            row.Set(key, narrow ? U32Value(value) : U64Value(value));
            if (value) totals[key] += *value;
        }
        row.Set("VirtualBytesPeak", U64Value(Number(*p, u"PeakVirtualSize")));
        const auto peakKb = Number(*p, u"PeakWorkingSetSize");
        row.Set("WorkingSetPeak", U64Value(peakKb ? std::optional<std::uint64_t>(*peakKb * 1024) : std::nullopt));
        stamp(row);
        out.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    ValueRow total(cls);
    total.Set("Name", StrValue("_Total"));
    for (const char* key : kSummed) {
        const bool narrow = std::string(key) == "HandleCount" || std::string(key) == "ThreadCount" ||
                            std::string(key) == "PageFaultsPersec";
        total.Set(key, narrow ? U32Value(totals[key]) : U64Value(totals[key]));
    }
    stamp(total);
    out.push_back(MakeNativeInstance(cls, std::move(total)));
    return out;
}

WbemObjectProducer EnumerateProcessCounters(std::shared_ptr<const NativeContext> context) {
    return ProduceList(ReadProcessCounters(std::move(context), PerfClock::Now()));
}

}  // namespace veskin
