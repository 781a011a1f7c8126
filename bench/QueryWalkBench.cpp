// Walking a query of 100,000 objects of 40 properties with the WMI record set, against
// walking the same object set's enumerator directly. Prints the overhead ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/support/GeneratedObjects.h"
#include "tests/support/ScriptedWmi.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {
namespace {

constexpr std::int64_t kObjects = 100000;
constexpr int kProperties = 40;

ScriptedWmi& Service() {
    static ScriptedWmi* wmi = [] {
        auto* w = new ScriptedWmi();
        AddGeneratedClass(*w, u"root\\cimv2", u"Bench_Item", kObjects, kProperties);
        return w;
    }();
    return *wmi;
}

void BM_BareEnumeratorWalk(benchmark::State& state) {
    Service();
    const ISWbemServicesPtr services = WmiConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", nullptr);
    for (auto _ : state) {
        ISWbemObjectSetPtr set;
        WmiCheck(services->ExecQuery(u"SELECT * FROM Bench_Item", u"WQL", 48, nullptr, set));
        IInterfacePtr unknown;
        WmiCheck(set->get__NewEnum(unknown));
        const auto enumerator = IntfCast<IEnumVARIANT>(unknown);
        std::int64_t count = 0;
        for (;;) {
            Variant element;
            std::uint32_t fetched = 0;
            WmiCheck(enumerator->Next(1, &element, &fetched));
            if (fetched != 1) break;
            benchmark::DoNotOptimize(IntfCast<ISWbemObject>(element.AsInterface()));
            ++count;
        }
        if (count != kObjects) state.SkipWithError("wrong object count");
    }
}

// The same walk keeping every object, as the record store must to move backwards.
void BM_BareWalkKeepingObjects(benchmark::State& state) {
    Service();
    const ISWbemServicesPtr services = WmiConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", nullptr);
    for (auto _ : state) {
        ISWbemObjectSetPtr set;
        WmiCheck(services->ExecQuery(u"SELECT * FROM Bench_Item", u"WQL", 48, nullptr, set));
        IInterfacePtr unknown;
        WmiCheck(set->get__NewEnum(unknown));
        const auto enumerator = IntfCast<IEnumVARIANT>(unknown);
        std::vector<ISWbemObjectPtr> kept;
        for (;;) {
            Variant element;
            std::uint32_t fetched = 0;
            WmiCheck(enumerator->Next(1, &element, &fetched));
            if (fetched != 1) break;
            kept.push_back(IntfCast<ISWbemObject>(element.AsInterface()));
        }
        if (static_cast<std::int64_t>(kept.size()) != kObjects) state.SkipWithError("wrong object count");
    }
}

void BM_QueryWalk(benchmark::State& state) {
    Service();
    TWmiConnection conn;
    for (auto _ : state) {
        TWmiQuery query;
        query.SetConnection(&conn);
        query.SetWQL({"SELECT * FROM Bench_Item"});
        query.Open();
        std::int64_t count = 0;
        while (!query.Eof()) {
            ++count;
            query.Next();
        }
        if (count != kObjects || query.FieldCount() != kProperties) state.SkipWithError("wrong walk");
        query.Close();
    }
}

BENCHMARK(BM_BareEnumeratorWalk)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BareWalkKeepingObjects)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QueryWalk)->Unit(benchmark::kMillisecond)->Iterations(3);

// Keeps each benchmark's real time per iteration so the ratio can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) Times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times;
};

}  // namespace
}  // namespace veskin

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    veskin::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto bare = reporter.Times.find("BM_BareEnumeratorWalk/iterations:3");
    const auto kept = reporter.Times.find("BM_BareWalkKeepingObjects/iterations:3");
    const auto walk = reporter.Times.find("BM_QueryWalk/iterations:3");
    if (bare != reporter.Times.end() && walk != reporter.Times.end() && bare->second > 0)
        std::printf("record-set walk / bare enumerator walk: %.2f\n", walk->second / bare->second);
    if (kept != reporter.Times.end() && walk != reporter.Times.end() && kept->second > 0)
        std::printf("record-set walk / bare walk keeping the objects: %.2f\n", walk->second / kept->second);
    benchmark::Shutdown();
    return 0;
}
