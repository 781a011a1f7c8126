#pragma once
// The system's COM start-up calls behind platform/ComInit.h: Windows's own
// (platform/win/ComInitSystem.cpp), or stand-ins that answer as COM would for a single
// process (platform/posix/ComInitSystem.cpp).
#include <cstdint>

#include "platform/ComTypes.h"

namespace veskin {

HRESULT SystemCoInitialize(void* reserved);
HRESULT SystemCoInitializeEx(void* reserved, std::uint32_t coInit);
HRESULT SystemCoInitializeSecurity(void* securityDescriptor, std::int32_t authServiceCount,
                                   void* authServices, void* reserved1, std::uint32_t authnLevel,
                                   std::uint32_t impLevel, void* authList, std::uint32_t capabilities,
                                   void* reserved3);

}  // namespace veskin
