#pragma once
// COM start-up calls. On Windows these are the system's; elsewhere stand-ins answer
// as COM would. An observer sees each call first, so that tests can check order and arguments.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/ComTypes.h"

namespace veskin {

constexpr std::uint32_t COINIT_APARTMENTTHREADED = 2;
constexpr std::uint32_t RPC_C_AUTHN_LEVEL_DEFAULT = 0;
constexpr std::uint32_t RPC_C_IMP_LEVEL_IMPERSONATE = 3;
constexpr std::uint32_t EOAC_NONE = 0;

HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, std::uint32_t coInit);
HRESULT CoInitializeSecurity(void* securityDescriptor, std::int32_t authServiceCount,
                             void* authServices, void* reserved1, std::uint32_t authnLevel,
                             std::uint32_t impLevel, void* authList, std::uint32_t capabilities,
                             void* reserved3);

// What the stand-ins saw. Name is "CoInitialize", "CoInitializeEx" or
// "CoInitializeSecurity"; args are the integer arguments in order.
struct ComCall {
    std::string Name;
    std::int64_t Args[4] = {};
};
// Installs an observer of the stand-in calls (empty function: none). Returns the old one.
using ComCallObserver = std::function<void(const ComCall&)>;
ComCallObserver SetComCallObserver(ComCallObserver observer);

}  // namespace veskin
