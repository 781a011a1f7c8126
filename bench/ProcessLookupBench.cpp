// Looking up one process by its id: "SELECT * FROM Win32_Process WHERE ProcessId = n"
// on the local computer (this program's own process), and on generated process trees
// of 100 and 5,000 processes, which shows that the time does not grow with the number
// of processes. Goal: at most 2 ms.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchSetup.h"
#include "platform/native/NativeService.h"

namespace {

using namespace veskin;
namespace fs = std::filesystem;

// Every property value of every object of the query; answers the number of objects.
std::size_t RunQuery(const ISWbemServicesPtr& services, const WideString& wql) {
    const IEnumVARIANTPtr objects = bench::QueryEnumerator(services, wql);
    std::size_t count = 0;
    while (const ISWbemObjectPtr element = bench::NextObject(*objects)) {
        auto object = std::dynamic_pointer_cast<WbemObject>(element);
        if (!object) continue;
        for (std::size_t i = 0; i < object->Class()->PropertyCount(); ++i) benchmark::DoNotOptimize(object->GetValue(i));
        ++count;
    }
    return count;
}

void BM_LookupOwnProcess(benchmark::State& state) {
    ISWbemServicesPtr services = bench::ConnectLocal();
    if (!services) {
        state.SkipWithError("no local WMI service");
        return;
    }
    const WideString wql = AnsiToWide("SELECT * FROM Win32_Process WHERE ProcessId = " + std::to_string(::getpid()));
    std::size_t found = 0;
    for (auto _ : state) found = RunQuery(services, wql);
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_LookupOwnProcess)->Unit(benchmark::kMicrosecond);

// A tree of processes 1..count, each with stat, status and cmdline.
fs::path MakeTree(int count) {
    fs::path root = fs::temp_directory_path() / ("veskin-lookup-" + std::to_string(::getpid()) + "-" + std::to_string(count));
    fs::remove_all(root);
    fs::create_directories(root / "proc/sys/kernel");
    std::ofstream(root / "proc/sys/kernel/hostname") << "benchhost\n";
    std::ofstream(root / "proc/stat") << "btime 1700000000\n";
    for (int pid = 1; pid <= count; ++pid) {
        const fs::path dir = root / "proc" / std::to_string(pid);
        fs::create_directories(dir);
        std::ofstream(dir / "stat") << pid << " (worker) S 1 " << pid << " " << pid
                                    << " 0 -1 0 10 0 0 0 30 10 0 0 20 0 1 0 500 1000000 100 0\n";
        std::ofstream(dir / "status") << "Name:\tworker\nVmSize:\t1000 kB\nVmRSS:\t400 kB\nThreads:\t1\n";
        std::ofstream(dir / "cmdline") << "worker" << '\0' << "--id=" << pid << '\0';
    }
    return root;
}

void BM_LookupInTree(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const fs::path root = MakeTree(count);
    auto context = std::make_shared<const NativeContext>(root.string());
    auto locator = MakeNativeLocator(context, MakeNativeRepository(context));
    ISWbemServicesPtr services;
    locator->ConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", 128, nullptr, services);
    const WideString wql = AnsiToWide("SELECT * FROM Win32_Process WHERE ProcessId = " + std::to_string(count / 2));
    std::size_t found = 0;
    for (auto _ : state) found = RunQuery(services, wql);
    state.counters["found"] = static_cast<double>(found);
    fs::remove_all(root);
}
BENCHMARK(BM_LookupInTree)->Arg(100)->Arg(5000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
