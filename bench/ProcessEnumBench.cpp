// Enumerating every Win32_Process object of the local computer's service and reading
// every property's value, against "ps" listing the same processes. Prints the ratio
// of the two times (below 1: the service is faster).
#include <sys/resource.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench/BenchSetup.h"

namespace {

using namespace veskin;

void BM_NativeProcessEnum(benchmark::State& state) {
    ISWbemServicesPtr services = bench::ConnectLocal();
    if (!services) {
        state.SkipWithError("no local WMI service");
        return;
    }
    std::size_t values = 0;
    for (auto _ : state) values = bench::ReadAllValues(services, u"SELECT * FROM Win32_Process");
    state.counters["values"] = static_cast<double>(values);
}
BENCHMARK(BM_NativeProcessEnum)->Unit(benchmark::kMillisecond)->MinTime(2.0);

double ChildCpuMs() {
    struct rusage r {};
    ::getrusage(RUSAGE_CHILDREN, &r);
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

void BM_PsCommand(benchmark::State& state) {
    std::size_t lines = 0;
    const double childStart = ChildCpuMs();
    for (auto _ : state) {
        FILE* ps = ::popen("ps -eo pid,ppid,user,rss,vsz,nlwp,lstart,time,comm,args", "r");
        if (!ps) {
            state.SkipWithError("ps cannot be started");
            return;
        }
        char buf[65536];
        lines = 0;
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, ps)) > 0)
            for (std::size_t i = 0; i < n; ++i) lines += buf[i] == '\n';
        ::pclose(ps);
    }
    state.counters["lines"] = static_cast<double>(lines);
    // ps does its work in child processes, whose CPU time the benchmark's CPU column
    // does not see.
    state.counters["child_cpu_ms"] = (ChildCpuMs() - childStart) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PsCommand)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps each benchmark's mean real time so that the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) {
            if (r.error_occurred) continue;
            Times[r.benchmark_name()] = r.GetAdjustedRealTime();
            double cpu = r.GetAdjustedCPUTime();
            auto child = r.counters.find("child_cpu_ms");
            if (child != r.counters.end()) cpu += child->second.value;  // both in ms
            CpuTimes[r.benchmark_name()] = cpu;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times;
    std::map<std::string, double> CpuTimes;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string native = "BM_NativeProcessEnum/min_time:2.000", ps = "BM_PsCommand/min_time:2.000";
    if (reporter.Times.count(native) && reporter.Times.count(ps) && reporter.Times[ps] > 0 &&
        reporter.CpuTimes[ps] > 0) {
        std::printf("ratio native/ps, elapsed time: %.3f\n", reporter.Times[native] / reporter.Times[ps]);
        std::printf("ratio native/ps, CPU time (ps counted with its child processes): %.3f\n",
                    reporter.CpuTimes[native] / reporter.CpuTimes[ps]);
        std::printf("(below 1: the native service is faster than ps)\n");
    }
    benchmark::Shutdown();
    return 0;
}
