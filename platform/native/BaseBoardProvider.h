#pragma once
// Win32_BaseBoard: the single instance describing the main board, from SMBIOS
// (sys/class/dmi/id/board_*); none when the kernel has no SMBIOS data.
#include <memory>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr BaseBoardClass();

WbemObjectProducer EnumerateBaseBoard(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
