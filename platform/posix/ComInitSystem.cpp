// COM start-up where there is no COM: each thread is initialised once, and process
// security can be set once.
#include "platform/ComInitSystem.h"

#include <atomic>

namespace veskin {

namespace {

thread_local bool tInitialised = false;
std::atomic<bool> gSecuritySet{false};

// S_OK for the first initialisation of a thread, S_FALSE for every later one.
HRESULT InitialiseThread() {
    if (tInitialised) return S_FALSE;
    tInitialised = true;
    return S_OK;
}

}  // namespace

HRESULT SystemCoInitialize(void*) { return InitialiseThread(); }

HRESULT SystemCoInitializeEx(void*, std::uint32_t) { return InitialiseThread(); }

HRESULT SystemCoInitializeSecurity(void*, std::int32_t, void*, void*, std::uint32_t, std::uint32_t, void*,
                                   std::uint32_t, void*) {
    // Later attempts are too late.
    bool expected = false;
    return gSecuritySet.compare_exchange_strong(expected, true) ? S_OK : RPC_E_TOO_LATE;
}

}  // namespace veskin
