// COM start-up: an installed observer is told of each call, then the system's call
// (or its stand-in) answers.
#include "platform/ComInit.h"

#include <mutex>

#include "platform/ComInitSystem.h"

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
    return SystemCoInitialize(reserved);
}

HRESULT CoInitializeEx(void* reserved, std::uint32_t coInit) {
    ComCall call;
    call.Name = "CoInitializeEx";
    call.Args[0] = coInit;
    Notify(call);
    return SystemCoInitializeEx(reserved, coInit);
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
    return SystemCoInitializeSecurity(securityDescriptor, authServiceCount, authServices, reserved1,
                                      authnLevel, impLevel, authList, capabilities, reserved3);
}

ComCallObserver SetComCallObserver(ComCallObserver observer) {
    std::lock_guard<std::mutex> guard(gObserverLock);
    ComCallObserver old = std::move(gObserver);
    gObserver = std::move(observer);
    return old;
}

}  // namespace veskin
