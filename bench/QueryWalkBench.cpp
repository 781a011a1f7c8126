// Walking a query of 100,000 objects of 40 properties with the WMI record set, against
// walking the same object set's enumerator directly. Prints the overhead ratio.
#include <vector>

#include "bench/BenchSetup.h"

namespace veskin::bench {
namespace {

void BM_BareEnumeratorWalk(benchmark::State& state) {
    const ISWbemServicesPtr services = BenchServices();
    for (auto _ : state) {
        const IEnumVARIANTPtr enumerator = QueryEnumerator(services);
        std::int64_t count = 0;
        while (ISWbemObjectPtr object = NextObject(*enumerator)) {
            benchmark::DoNotOptimize(object);
            ++count;
        }
        if (count != kObjects) state.SkipWithError("wrong object count");
    }
}

// The same walk keeping every object, as the record store must to move backwards.
void BM_BareWalkKeepingObjects(benchmark::State& state) {
    const ISWbemServicesPtr services = BenchServices();
    for (auto _ : state) {
        const IEnumVARIANTPtr enumerator = QueryEnumerator(services);
        std::vector<ISWbemObjectPtr> kept;
        while (ISWbemObjectPtr object = NextObject(*enumerator)) kept.push_back(std::move(object));
        if (static_cast<std::int64_t>(kept.size()) != kObjects) state.SkipWithError("wrong object count");
    }
}

void BM_QueryWalk(benchmark::State& state) {
    Service();
    TWmiConnection conn;
    for (auto _ : state) {
        int fields = 0;
        const std::int64_t count = WalkBenchQuery(conn, [&fields](TWmiQuery& query) { fields = query.FieldCount(); });
        if (count != kObjects || fields != kProperties) state.SkipWithError("wrong walk");
    }
}

BENCHMARK(BM_BareEnumeratorWalk)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BareWalkKeepingObjects)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QueryWalk)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace veskin::bench

int main(int argc, char** argv) {
    return veskin::bench::RunBenchmarksWithRatios(
        argc, argv,
        {{"record-set walk / bare enumerator walk", "BM_QueryWalk/iterations:3", "BM_BareEnumeratorWalk/iterations:3"},
         {"record-set walk / bare walk keeping the objects", "BM_QueryWalk/iterations:3",
          "BM_BareWalkKeepingObjects/iterations:3"}});
}
