#pragma once
// Win32_BIOS: the single instance describing the firmware, from SMBIOS (sys/class/dmi/id
// and the entry point under sys/firmware/dmi/tables); none when the kernel has no
// SMBIOS data.
#include <memory>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr BiosClass();

WbemObjectProducer EnumerateBios(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
