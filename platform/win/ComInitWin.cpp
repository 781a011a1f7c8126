// COM start-up on Windows: the system's calls. An installed observer is told of each
// call first, as on other platforms.
#include "platform/ComInit.h"

#include <mutex>

#include "platform/win/WinApi.h"

namespace veskin {

namespace {

std::mutex gObserverLock;
ComCallObserver gObserver;

void Notify(const ComCall& call) {
    ComCallObserver observer;
    {
        std::lock_guard<std::mutex> guard(gObserverLock);
        observer = gObserver;
    }
    if (observer) observer(call);
}

}  // namespace

HRESULT CoInitialize(void* reserved) {
    ComCall call;
    call.Name = "CoInitialize";
    Notify(call);
    return ::CoInitialize(reserved);
}

HRESULT CoInitializeEx(void* reserved, std::uint32_t coInit) {
    ComCall call;
    call.Name = "CoInitializeEx";
    call.Args[0] = coInit;
    Notify(call);
    return ::CoInitializeEx(reserved, coInit);
}

HRESULT CoInitializeSecurity(void* securityDescriptor, std::int32_t authServiceCount,
                             void* authServices, void* reserved1, std::uint32_t authnLevel,
                             std::uint32_t impLevel, void* authList, std::uint32_t capabilities,
                             void* reserved3) {
    ComCall call;
    call.Name = "CoInitializeSecurity";
    call.Args[0] = authServiceCount;
    call.Args[1] = authnLevel;
    call.Args[2] = impLevel;
    call.Args[3] = capabilities;
    Notify(call);
    return ::CoInitializeSecurity(static_cast<PSECURITY_DESCRIPTOR>(securityDescriptor),
                                  authServiceCount,
                                  static_cast<SOLE_AUTHENTICATION_SERVICE*>(authServices), reserved1,
                                  authnLevel, impLevel, authList, capabilities, reserved3);
}

ComCallObserver SetComCallObserver(ComCallObserver observer) {
    std::lock_guard<std::mutex> guard(gObserverLock);
    ComCallObserver old = std::move(gObserver);
    gObserver = std::move(observer);
    return old;
}

}  // namespace veskin
