// Stand-ins for COM start-up where there is no COM: they record each call for the
// observer and answer as COM would for a single process.
#ifndef _WIN32

#include "platform/ComInit.h"

#include <atomic>
#include <mutex>

namespace veskin {

namespace {

std::mutex gObserverLock;
ComCallObserver gObserver;
thread_local bool tInitialised = false;
std::atomic<bool> gSecuritySet{false};

void Notify(const ComCall& call) {
    ComCallObserver observer;
    {
        std::lock_guard<std::mutex> guard(gObserverLock);
        observer = gObserver;
    }
    if (observer) observer(call);
}

// S_OK for the first initialisation of a thread, S_FALSE for every later one.
HRESULT InitialiseThread() {
    if (tInitialised) return S_FALSE;
    tInitialised = true;
    return S_OK;
}

}  // namespace

HRESULT CoInitialize(void*) {
    ComCall call;
    call.Name = "CoInitialize";
    Notify(call);
    return InitialiseThread();
}

HRESULT CoInitializeEx(void*, std::uint32_t coInit) {
    ComCall call;
    call.Name = "CoInitializeEx";
    call.Args[0] = coInit;
    Notify(call);
    return InitialiseThread();
}

HRESULT CoInitializeSecurity(void*, std::int32_t authServiceCount, void*, void*,
                             std::uint32_t authnLevel, std::uint32_t impLevel, void*,
                             std::uint32_t capabilities, void*) {
    ComCall call;
    call.Name = "CoInitializeSecurity";
    call.Args[0] = authServiceCount;
    call.Args[1] = authnLevel;
    call.Args[2] = impLevel;
    call.Args[3] = capabilities;
    Notify(call);
    // Process security can be set once; later attempts are too late.
    bool expected = false;
    return gSecuritySet.compare_exchange_strong(expected, true) ? S_OK : RPC_E_TOO_LATE;
}

ComCallObserver SetComCallObserver(ComCallObserver observer) {
    std::lock_guard<std::mutex> guard(gObserverLock);
    ComCallObserver old = std::move(gObserver);
    gObserver = std::move(observer);
    return old;
}

}  // namespace veskin

#endif  // _WIN32
