// COM start-up on Windows: the system's own calls.
#include "platform/ComInitSystem.h"

#include "platform/win/WinApi.h"

namespace veskin {

HRESULT SystemCoInitialize(void* reserved) { return ::CoInitialize(reserved); }

HRESULT SystemCoInitializeEx(void* reserved, std::uint32_t coInit) { return ::CoInitializeEx(reserved, coInit); }

HRESULT SystemCoInitializeSecurity(void* securityDescriptor, std::int32_t authServiceCount,
                                   void* authServices, void* reserved1, std::uint32_t authnLevel,
                                   std::uint32_t impLevel, void* authList, std::uint32_t capabilities,
                                   void* reserved3) {
    return ::CoInitializeSecurity(static_cast<PSECURITY_DESCRIPTOR>(securityDescriptor),
                                  authServiceCount,
                                  static_cast<SOLE_AUTHENTICATION_SERVICE*>(authServices), reserved1,
                                  authnLevel, impLevel, authList, capabilities, reserved3);
}

}  // namespace veskin
