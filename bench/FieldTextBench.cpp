// The text form of every field of every record of a 100,000-object, 40-property query,
// against reading the same property values straight from the scripting interfaces.
// Prints the overhead ratio.
#include <vector>

#include "bench/BenchSetup.h"
#include "recordset/Field.h"

namespace veskin::bench {
namespace {

void BM_ScriptingValues(benchmark::State& state) {
    const ISWbemServicesPtr services = BenchServices();
    std::vector<WideString> names;
    for (const auto& p : BenchClass()->Properties()) names.push_back(p.Name);
    for (auto _ : state) {
        const IEnumVARIANTPtr enumerator = QueryEnumerator(services);
        std::int64_t values = 0;
        while (const ISWbemObjectPtr object = NextObject(*enumerator)) {
            ISWbemPropertySetPtr properties;
            WmiCheck(object->get_Properties_(properties));
            for (const WideString& name : names) {
                ISWbemPropertyPtr property;
                WmiCheck(properties->Item(name, 0, property));
                Variant value;
                WmiCheck(property->get_Value(value));
                benchmark::DoNotOptimize(value);
                ++values;
            }
        }
        if (values != kObjects * kProperties) state.SkipWithError("wrong value count");
    }
}

void BM_FieldTexts(benchmark::State& state) {
    Service();
    TWmiConnection conn;
    for (auto _ : state) {
        std::int64_t values = 0;
        std::size_t length = 0;
        WalkBenchQuery(conn, [&](TWmiQuery& query) {
            for (int i = 0; i < query.FieldCount(); ++i) {
                length += query.Fields(i)->ValueText().size();
                ++values;
            }
        });
        benchmark::DoNotOptimize(length);
        if (values != kObjects * kProperties) state.SkipWithError("wrong value count");
    }
}

BENCHMARK(BM_ScriptingValues)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FieldTexts)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace veskin::bench

int main(int argc, char** argv) {
    return veskin::bench::RunBenchmarksWithRatios(argc, argv,
                                                  {{"field texts / values straight from the scripting interfaces",
                                                    "BM_FieldTexts/iterations:2", "BM_ScriptingValues/iterations:2"}});
}
