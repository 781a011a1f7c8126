#pragma once
// What the query benchmarks share: a scripted service holding 100,000 generated objects
// of 40 properties, a bare walk over a query's enumerator, the record set's query over
// the same objects, the local computer's service with a walk over every value of a
// query, and a reporter that keeps each benchmark's time so a program can print the
// ratio of two of them.
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

namespace veskin::bench {

constexpr std::int64_t kObjects = 100000;
constexpr int kProperties = 40;

// The generated class; set when Service() first runs.
inline WbemClassPtr& BenchClass() {
    static WbemClassPtr cls;
    return cls;
}

// The service, made once and kept for the whole program.
inline ScriptedWmi& Service() {
    static ScriptedWmi* wmi = [] {
        auto* w = new ScriptedWmi();
        BenchClass() = AddGeneratedClass(*w, u"root\\cimv2", u"Bench_Item", kObjects, kProperties);
        return w;
    }();
    return *wmi;
}

// A connection to the service's root\cimv2.
inline ISWbemServicesPtr BenchServices() {
    Service();
    return WmiConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", nullptr);
}

// A connection to the local computer's service through the locator class, as the
// program makes it; null when there is none.
inline ISWbemServicesPtr ConnectLocal() {
    IInterfacePtr obj;
    if (CoCreateInstance(CLSID_SWbemLocator, nullptr, 7, IID_ISWbemLocator, obj) != S_OK) return nullptr;
    auto locator = Supports<ISWbemLocator>(obj);
    ISWbemServicesPtr services;
    if (!locator || locator->ConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", 128, nullptr, services) != S_OK)
        return nullptr;
    return services;
}

// The enumerator of a forward-only query, by default over every generated object.
inline IEnumVARIANTPtr QueryEnumerator(const ISWbemServicesPtr& services,
                                       const WideString& wql = u"SELECT * FROM Bench_Item") {
    ISWbemObjectSetPtr set;
    WmiCheck(services->ExecQuery(wql, u"WQL", 48, nullptr, set));
    IInterfacePtr unknown;
    WmiCheck(set->get__NewEnum(unknown));
    return IntfCast<IEnumVARIANT>(unknown);
}

// The enumerator's next object, or null at the end.
inline ISWbemObjectPtr NextObject(IEnumVARIANT& enumerator) {
    Variant element;
    std::uint32_t fetched = 0;
    WmiCheck(enumerator.Next(1, &element, &fetched));
    if (fetched != 1) return nullptr;
    return IntfCast<ISWbemObject>(element.AsInterface());
}

// Every object of wql and every property value through the Scripting interfaces, as
// the record set reads them. Answers the number of values read.
inline std::size_t ReadAllValues(const ISWbemServicesPtr& services, const WideString& wql) {
    std::size_t values = 0;
    const IEnumVARIANTPtr objects = QueryEnumerator(services, wql);
    while (const ISWbemObjectPtr object = NextObject(*objects)) {
        ISWbemPropertySetPtr props;
        if (object->get_Properties_(props) != S_OK) continue;
        IInterfacePtr pe;
        props->get__NewEnum(pe);
        auto propEnum = Supports<IEnumVARIANT>(pe);
        Variant p;
        std::uint32_t got = 0;
        while (propEnum && propEnum->Next(1, &p, &got) == S_OK && got == 1) {
            auto prop = Supports<ISWbemProperty>(p.RawInterface());
            Variant value;
            if (prop && prop->get_Value(value) == S_OK) {
                benchmark::DoNotOptimize(value);
                ++values;
            }
        }
    }
    return values;
}

// Opens the record set's query over every generated object on conn.
inline void OpenBenchQuery(TWmiQuery& query, TWmiConnection& conn) {
    query.SetConnection(&conn);
    query.SetWQL({"SELECT * FROM Bench_Item"});
    query.Open();
}

// Opens the record set's query over every generated object on conn, calls
// record(query) on each record and closes it again; answers the number of records.
template <class Record>
std::int64_t WalkBenchQuery(TWmiConnection& conn, Record record) {
    TWmiQuery query;
    OpenBenchQuery(query, conn);
    std::int64_t count = 0;
    while (!query.Eof()) {
        record(query);
        ++count;
        query.Next();
    }
    query.Close();
    return count;
}

// Keeps each benchmark's real time per iteration so the ratio can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) Times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    // Prints "label: ratio" for the two named benchmarks when both ran.
    void PrintRatio(const char* label, const std::string& numerator, const std::string& denominator) const {
        const auto top = Times.find(numerator);
        const auto bottom = Times.find(denominator);
        if (top != Times.end() && bottom != Times.end() && bottom->second > 0)
            std::printf("%s: %.2f\n", label, top->second / bottom->second);
    }
    std::map<std::string, double> Times;
};

// "label: ratio" of the numerator benchmark's time to the denominator's.
struct BenchRatio {
    const char* Label;
    std::string Numerator, Denominator;
};

// The program's main: runs the benchmarks the command line selects, then prints the ratios.
inline int RunBenchmarksWithRatios(int argc, char** argv, const std::vector<BenchRatio>& ratios) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const BenchRatio& ratio : ratios) reporter.PrintRatio(ratio.Label, ratio.Numerator, ratio.Denominator);
    benchmark::Shutdown();
    return 0;
}

}  // namespace veskin::bench
