#include "wmi/InitComSecurity.h"

#include <mutex>

#include "platform/ComInit.h"

namespace veskin {

namespace {

thread_local bool ComInitDone = false;

struct StartupState {
    std::mutex Lock;
    TComStartupProc Current = [] { CoInitialize(nullptr); };
    TComStartupProc Saved;
    bool HookInstalled = false;
    bool IsLibrary = false;
    int InitCount = 0;
};

StartupState& State() {
    static StartupState state;
    return state;
}

void ComSecurityHook() {
    TComStartupProc saved;
    bool isLibrary;
    {
        std::lock_guard<std::mutex> guard(State().Lock);
        saved = State().Saved;
        isLibrary = State().IsLibrary;
    }
    if (saved) saved();
    if (!isLibrary) InitComThread();
}

}  // namespace

void InitComThread() {
    if (ComInitDone) return;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    ComInitDone = true;
}

TComStartupProc GetStartupProc() {
    std::lock_guard<std::mutex> guard(State().Lock);
    return State().Current;
}

void SetStartupProc(TComStartupProc proc) {
    std::lock_guard<std::mutex> guard(State().Lock);
    State().Current = std::move(proc);
}

bool ModuleIsLibrary() {
    std::lock_guard<std::mutex> guard(State().Lock);
    return State().IsLibrary;
}

void SetModuleIsLibrary(bool value) {
    std::lock_guard<std::mutex> guard(State().Lock);
    State().IsLibrary = value;
}

void InitComSecurityInitialize() {
    std::lock_guard<std::mutex> guard(State().Lock);
    StartupState& s = State();
    if (++s.InitCount != 1) return;
    if (s.IsLibrary || s.HookInstalled) return;
    s.Saved = s.Current;
    s.Current = ComSecurityHook;
    s.HookInstalled = true;
}

void InitComSecurityFinalize() {
    std::lock_guard<std::mutex> guard(State().Lock);
    StartupState& s = State();
    if (s.InitCount == 0) return;
    if (--s.InitCount != 0) return;
    if (s.HookInstalled) {
        s.Current = s.Saved;
        s.Saved = nullptr;
        s.HookInstalled = false;
    }
}

void InitComStartup() {
    bool initialised;
    {
        std::lock_guard<std::mutex> guard(State().Lock);
        initialised = State().InitCount > 0;
    }
    if (!initialised) InitComSecurityInitialize();
    TComStartupProc proc = GetStartupProc();
    if (proc) proc();
}

}  // namespace veskin
