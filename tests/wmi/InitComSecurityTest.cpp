#include "wmi/InitComSecurity.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ComInit.h"

namespace veskin {
namespace {

// Records the COM start-up calls (and marks of the test's own) made on the thread
// that runs the body; each body runs on a new thread, whose COM state is fresh.
class StartupRecorder {
public:
    StartupRecorder() {
        FPrevious = SetComCallObserver([this](const ComCall& call) {
            std::string entry = call.Name;
            if (call.Name == "CoInitializeEx") entry += "(" + std::to_string(call.Args[0]) + ")";
            if (call.Name == "CoInitializeSecurity")
                entry += "(" + std::to_string(call.Args[0]) + "," + std::to_string(call.Args[1]) + "," +
                         std::to_string(call.Args[2]) + "," + std::to_string(call.Args[3]) + ")";
            Mark(entry);
        });
    }
    ~StartupRecorder() { SetComCallObserver(FPrevious); }
    void Mark(const std::string& entry) {
        std::lock_guard<std::mutex> guard(FLock);
        FCalls.push_back(entry);
    }
    std::vector<std::string> Take() {
        std::lock_guard<std::mutex> guard(FLock);
        return std::exchange(FCalls, {});
    }

private:
    ComCallObserver FPrevious;
    std::mutex FLock;
    std::vector<std::string> FCalls;
};

template <class F>
void OnNewThread(F body) {
    std::thread t(body);
    t.join();
}

const std::string Ex = "CoInitializeEx(2)";
const std::string Security = "CoInitializeSecurity(-1,0,3,0)";

TEST(InitComSecurity, InitComThreadCallsOncePerThread) {
    StartupRecorder rec;
    OnNewThread([] {
        InitComThread();
        InitComThread();
    });
    EXPECT_EQ(rec.Take(), (std::vector<std::string>{Ex, Security}));
    // Another thread initialises for itself.
    OnNewThread([] { InitComThread(); });
    EXPECT_EQ(rec.Take(), (std::vector<std::string>{Ex, Security}));
}

TEST(InitComSecurity, ProgramStartupRunsSavedProcedureThenSecurity) {
    StartupRecorder rec;
    SetModuleIsLibrary(false);
    const TComStartupProc framework = GetStartupProc();
    SetStartupProc([&rec] {
        rec.Mark("saved");
        CoInitialize(nullptr);
    });
    OnNewThread([] {
        InitComSecurityInitialize();
        InitComStartup();
        InitComThread();  // the first connection later finds the thread done
    });
    EXPECT_EQ(rec.Take(), (std::vector<std::string>{"saved", "CoInitialize", Ex, Security}));

    // The saved procedure runs first also when the thread is already initialised.
    OnNewThread([] {
        InitComThread();
        InitComStartup();
    });
    EXPECT_EQ(rec.Take(), (std::vector<std::string>{Ex, Security, "saved", "CoInitialize"}));

    InitComSecurityFinalize();
    SetStartupProc(framework);
}

TEST(InitComSecurity, LibraryInstallsNothingAndFirstConnectionInitialises) {
    StartupRecorder rec;
    SetModuleIsLibrary(true);
    const TComStartupProc framework = GetStartupProc();
    SetStartupProc([&rec] { rec.Mark("framework"); });
    OnNewThread([] {
        InitComSecurityInitialize();
        InitComStartup();
    });
    EXPECT_EQ(rec.Take(), (std::vector<std::string>{"framework"}));
    OnNewThread([] { InitComThread(); });
    EXPECT_EQ(rec.Take(), (std::vector<std::string>{Ex, Security}));
    InitComSecurityFinalize();
    SetModuleIsLibrary(false);
    SetStartupProc(framework);
}

TEST(InitComSecurity, StartupWithoutExplicitInitialisationInstallsTheHookOnce) {
    StartupRecorder rec;
    SetModuleIsLibrary(false);
    const TComStartupProc framework = GetStartupProc();
    SetStartupProc([&rec] { rec.Mark("saved"); });
    OnNewThread([] {
        InitComStartup();
        InitComStartup();  // the hook does not wrap itself
    });
    EXPECT_EQ(rec.Take(), (std::vector<std::string>{"saved", Ex, Security, "saved"}));
    InitComSecurityFinalize();
    SetStartupProc(framework);
}

}  // namespace
}  // namespace veskin
