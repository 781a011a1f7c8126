#include "platform/native/NetworkInterfaceProvider.h"

#include <time.h>

#include "platform/native/ClassSchema.h"
#include "platform/native/DeviceParsers.h"
#include "platform/native/DmtfTime.h"
#include "platform/native/NativeValues.h"
#include "platform/native/TextFields.h"

namespace veskin {

WbemClassPtr NetworkInterfaceClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_PerfRawData_Tcpip_NetworkInterface");
    return cls;
}

PerfClock PerfClock::Now() {
    PerfClock c;
    struct timespec mono {
    }, real{};
    ::clock_gettime(CLOCK_MONOTONIC, &mono);
    ::clock_gettime(CLOCK_REALTIME, &real);
    c.MonotonicNs = static_cast<std::uint64_t>(mono.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(mono.tv_nsec);
    c.FileTime = FileTimeFromUnixNs(static_cast<std::int64_t>(real.tv_sec) * 1000000000 + real.tv_nsec);
    return c;
}

namespace {

// Counters of 32-bit type keep their low 32 bits, as a wrapping counter does.
std::uint64_t Low32(std::uint64_t v) { return v & 0xFFFFFFFFull; }

}  // namespace

std::vector<WbemObjectPtr> ReadNetworkInterfaces(const NativeContext& context, const PerfClock& clock) {
    std::vector<WbemObjectPtr> out;
    auto text = context.Files().Read("proc/net/dev", 1 << 20);
    if (!text) return out;
    const WbemClassPtr& cls = NetworkInterfaceClass();
    for (const NetDevStat& s : ParseNetDev(*text)) {
        const std::string sys = "sys/class/net/" + s.Name + "/";
        ValueRow row(cls);
        row.Set("Name", StrValue(s.Name));
        row.Set("BytesReceivedPersec", U32Value(Low32(s.RxBytes)));
        row.Set("BytesSentPersec", U32Value(Low32(s.TxBytes)));
        row.Set("BytesTotalPersec", U64Value(s.RxBytes + s.TxBytes));
        if (auto speed = context.Files().Read(sys + "speed", 256)) {
            if (auto mbits = ParseLinkSpeed(*speed)) row.Set("CurrentBandwidth", U32Value(*mbits * 1000000));
        }
        // Windows documents this counter as always 0 (NDIS queues the requests itself).
        row.Set("OutputQueueLength", U32Value(0));
        row.Set("PacketsOutboundDiscarded", U32Value(Low32(s.TxDropped)));
        row.Set("PacketsOutboundErrors", U32Value(Low32(s.TxErrors)));
        row.Set("PacketsPersec", U32Value(Low32(s.RxPackets + s.TxPackets)));
        row.Set("PacketsReceivedDiscarded", U32Value(Low32(s.RxDropped)));
        row.Set("PacketsReceivedErrors", U32Value(Low32(s.RxErrors)));
        row.Set("PacketsReceivedNonUnicastPersec", U32Value(Low32(s.RxMulticast)));
        row.Set("PacketsReceivedPersec", U32Value(Low32(s.RxPackets)));
        row.Set("PacketsReceivedUnicastPersec",
                U32Value(Low32(s.RxPackets >= s.RxMulticast ? s.RxPackets - s.RxMulticast : 0)));
        if (auto unknown = context.Files().ReadLine(sys + "statistics/rx_nohandler"))
            row.Set("PacketsReceivedUnknown", U32Value(ToU64(*unknown)));
        row.Set("PacketsSentPersec", U32Value(Low32(s.TxPackets)));
        row.Set("PacketsSentUnicastPersec", U32Value(Low32(s.TxPackets)));
        row.Set("Timestamp_PerfTime", U64Value(clock.MonotonicNs));
        row.Set("Frequency_PerfTime", U64Value(1000000000ull));
        row.Set("Timestamp_Object", U64Value(clock.MonotonicNs));
        row.Set("Frequency_Object", U64Value(1000000000ull));
        row.Set("Timestamp_Sys100NS", U64Value(clock.FileTime));
        row.Set("Frequency_Sys100NS", U64Value(10000000ull));
        out.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    return out;
}

WbemObjectProducer EnumerateNetworkInterfaces(std::shared_ptr<const NativeContext> context) {
    return ProduceList(ReadNetworkInterfaces(*context, PerfClock::Now()));
}

}  // namespace veskin
