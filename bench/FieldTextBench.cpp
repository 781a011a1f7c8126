// The text form of every field of every record of a 100,000-object, 40-property query,
// against reading the same property values straight from the scripting interfaces.
// Prints the overhead ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "recordset/Field.h"
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

WbemClassPtr& BenchClass() {
    static WbemClassPtr cls;
    return cls;
}

ScriptedWmi& Service() {
    static ScriptedWmi* wmi = [] {
        auto* w = new ScriptedWmi();
        BenchClass() = AddGeneratedClass(*w, u"root\\cimv2", u"Bench_Item", kObjects, kProperties);
        return w;
    }();
    return *wmi;
}

void BM_ScriptingValues(benchmark::State& state) {
    Service();
    std::vector<WideString> names;
    for (const auto& p : BenchClass()->Properties()) names.push_back(p.Name);
    const ISWbemServicesPtr services = WmiConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", nullptr);
    for (auto _ : state) {
        ISWbemObjectSetPtr set;
        WmiCheck(services->ExecQuery(u"SELECT * FROM Bench_Item", u"WQL", 48, nullptr, set));
        IInterfacePtr unknown;
        WmiCheck(set->get__NewEnum(unknown));
        const auto enumerator = IntfCast<IEnumVARIANT>(unknown);
        std::int64_t values = 0;
        for (;;) {
            Variant element;
            std::uint32_t fetched = 0;
            WmiCheck(enumerator->Next(1, &element, &fetched));
            if (fetched != 1) break;
            const auto object = IntfCast<ISWbemObject>(element.AsInterface());
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
        TWmiQuery query;
        query.SetConnection(&conn);
        query.SetWQL({"SELECT * FROM Bench_Item"});
        query.Open();
        std::int64_t values = 0;
        std::size_t length = 0;
        while (!query.Eof()) {
            for (int i = 0; i < query.FieldCount(); ++i) {
                length += query.Fields(i)->ValueText().size();
                ++values;
            }
            query.Next();
        }
        benchmark::DoNotOptimize(length);
        if (values != kObjects * kProperties) state.SkipWithError("wrong value count");
        query.Close();
    }
}

BENCHMARK(BM_ScriptingValues)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FieldTexts)->Unit(benchmark::kMillisecond)->Iterations(2);

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
    const auto direct = reporter.Times.find("BM_ScriptingValues/iterations:2");
    const auto texts = reporter.Times.find("BM_FieldTexts/iterations:2");
    if (direct != reporter.Times.end() && texts != reporter.Times.end() && direct->second > 0)
        std::printf("field texts / values straight from the scripting interfaces: %.2f\n",
                    texts->second / direct->second);
    benchmark::Shutdown();
    return 0;
}
