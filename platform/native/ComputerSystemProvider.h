#pragma once
// Win32_ComputerSystem: the single instance describing the computer: its names (the
// host name), SMBIOS's maker and model (sys/class/dmi/id), the processors of
// proc/cpuinfo and the memory of proc/meminfo.
#include <memory>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr ComputerSystemClass();

// Windows' PCSystemType for an SMBIOS chassis type (0: unspecified).
std::uint32_t PcSystemTypeOfChassis(std::uint64_t chassisType);

WbemObjectPtr ReadComputerSystem(const NativeContext& context, std::int64_t nowSeconds);

WbemObjectProducer EnumerateComputerSystem(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
