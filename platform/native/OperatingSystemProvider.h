#pragma once
// Win32_OperatingSystem: the single instance describing the running system, from
// /etc/os-release, /proc (meminfo, stat, cpuinfo, kernel names), the mounts, utmp and
// the locale.
#include <ctime>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr OperatingSystemClass();

// The instance as of the moment now (seconds since 1970 UTC and microseconds).
WbemObjectPtr ReadOperatingSystem(const NativeContext& context, std::int64_t nowSeconds,
                                  std::uint32_t nowMicros, const std::string& localeName);

WbemObjectProducer EnumerateOperatingSystem(std::shared_ptr<const NativeContext> context);

// USER_PROCESS entries of a utmp file's bytes (nothing when it is not whole records).
std::optional<std::uint32_t> CountUtmpUsers(const std::string& bytes);

}  // namespace veskin
