#pragma once
// Win32_Processor: one instance per processor package (socket, "physical id" of
// proc/cpuinfo; "CPU0", "CPU1", ...), with its model, cores and threads, clock speeds
// from cpufreq and cache sizes from sys/devices/system/cpu/cpu<N>/cache.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr CpuPackageClass();

// The "key : value" blocks of proc/cpuinfo, one per logical processor.
std::vector<std::map<std::string, std::string>> ParseCpuInfoBlocks(std::string_view text);

// "256K" / "12M" (cache sizes) in kilobytes.
std::optional<std::uint64_t> CacheSizeKb(std::string_view text);

std::vector<WbemObjectPtr> ReadCpuPackages(const NativeContext& context);

WbemObjectProducer EnumerateCpuPackages(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
