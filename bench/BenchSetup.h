#pragma once
// What the query benchmarks share: a scripted service holding 100,000 generated objects
// of 40 properties, a bare walk over a query's enumerator, the record set's query over
// the same objects, and a reporter that keeps each benchmark's time so a program can
// print the ratio of two of them.
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

// The enumerator of a forward-only query over every generated object.
inline IEnumVARIANTPtr QueryEnumerator(const ISWbemServicesPtr& services) {
    ISWbemObjectSetPtr set;
    WmiCheck(services->ExecQuery(u"SELECT * FROM Bench_Item", u"WQL", 48, nullptr, set));
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

// Opens the record set's query over every generated object on conn.
inline void OpenBenchQuery(TWmiQuery& query, TWmiConnection& conn) {
    query.SetConnection(&conn);
    query.SetWQL({"SELECT * FROM Bench_Item"});
    query.Open();
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

}  // namespace veskin::bench
