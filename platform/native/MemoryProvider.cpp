#include "platform/native/MemoryProvider.h"

#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"
#include "platform/native/TextFields.h"

namespace veskin {

WbemClassPtr MemoryClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_PerfFormattedData_PerfOS_Memory");
    return cls;
}

namespace {

std::optional<std::uint64_t> Bytes(std::optional<std::uint64_t> kb) {
    if (!kb) return std::nullopt;
    return *kb * 1024;
}

std::optional<std::uint64_t> Sum(std::optional<std::uint64_t> a, std::optional<std::uint64_t> b) {
    if (!a || !b) return std::nullopt;
    return *a + *b;
}

}  // namespace

WbemObjectPtr BuildMemory(const std::map<std::string, std::string>& meminfo,
                          const SamplePair<VmStatSample>& vmstat, std::uint64_t& cachePeak) {
    const WbemClassPtr& cls = MemoryClass();
    ValueRow row(cls);
    auto available = LeadingU64(meminfo, "MemAvailable");
    if (!available) available = LeadingU64(meminfo, "MemFree");
    row.Set("AvailableBytes", U64Value(Bytes(available)));
    row.Set("AvailableKBytes", U64Value(available));
    if (available) row.Set("AvailableMBytes", U64Value(*available / 1024));
    auto cached = LeadingU64(meminfo, "Cached");
    auto cache = Bytes(Sum(cached, LeadingU64(meminfo, "Buffers")));
    row.Set("CacheBytes", U64Value(cache));
    if (cache && *cache > cachePeak) cachePeak = *cache;
    if (cache) row.Set("CacheBytesPeak", U64Value(cachePeak));
    auto limit = LeadingU64(meminfo, "CommitLimit");
    auto committed = LeadingU64(meminfo, "Committed_AS");
    row.Set("CommitLimit", U64Value(Bytes(limit)));
    row.Set("CommittedBytes", U64Value(Bytes(committed)));
    if (limit && committed && *limit > 0) row.Set("PercentCommittedBytesInUse", U32Value(*committed * 100 / *limit));
    row.Set("PoolNonpagedBytes", U64Value(Bytes(LeadingU64(meminfo, "SUnreclaim"))));
    row.Set("PoolPagedBytes", U64Value(Bytes(LeadingU64(meminfo, "SReclaimable"))));
    row.Set("SystemCacheResidentBytes", U64Value(Bytes(cached)));

    auto rate = [&vmstat](const char* key) -> std::optional<std::uint64_t> {
        auto a = LeadingU64(vmstat.Before, key), b = LeadingU64(vmstat.After, key);
        if (!a || !b || vmstat.Seconds <= 0) return std::nullopt;
        return static_cast<std::uint64_t>(static_cast<double>(CounterDelta(*a, *b)) / vmstat.Seconds);
    };
    auto pagesIn = rate("pswpin"), pagesOut = rate("pswpout");
    row.Set("PageFaultsPersec", U32Value(rate("pgfault")));
    row.Set("PageReadsPersec", U32Value(rate("pgmajfault")));
    row.Set("PagesInputPersec", U32Value(pagesIn));
    row.Set("PagesOutputPersec", U32Value(pagesOut));
    row.Set("PagesPersec", U32Value(Sum(pagesIn, pagesOut)));
    row.Set("PageWritesPersec", U32Value(pagesOut));
    return MakeNativeInstance(cls, std::move(row));
}

MemoryProvider::MemoryProvider(std::shared_ptr<const NativeContext> context)
    : FContext(std::move(context)),
      FSampler(std::make_shared<IntervalSampler<VmStatSample>>()),
      FCachePeak(std::make_shared<std::atomic<std::uint64_t>>(0)) {}

WbemObjectProducer MemoryProvider::Enumerate() {
    auto context = FContext;
    auto pair = FSampler->Take([context] {
        auto text = context->Files().Read("proc/vmstat");
        return text ? ParseKeyValues(*text) : VmStatSample();
    });
    std::map<std::string, std::string> meminfo;
    if (auto text = FContext->Files().Read("proc/meminfo")) meminfo = ParseKeyValues(*text);
    std::uint64_t peak = FCachePeak->load();
    WbemObjectPtr memory = BuildMemory(meminfo, pair, peak);
    // Concurrent queries may race here; the larger peak wins.
    std::uint64_t seen = FCachePeak->load();
    while (peak > seen && !FCachePeak->compare_exchange_weak(seen, peak)) {
    }
    return ProduceList({memory});
}

}  // namespace veskin
