#pragma once
// The firmware's description of the machine (SMBIOS) as the kernel gives it under
// sys/class/dmi/id and sys/firmware/dmi/tables.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/native/SystemFiles.h"

namespace veskin {

// One field of sys/class/dmi/id ("bios_vendor"); nothing when absent or blank.
std::optional<std::string> DmiField(const SystemFiles& files, std::string_view name);

// True when the kernel found SMBIOS data (the folder sys/class/dmi/id exists).
bool DmiPresent(const SystemFiles& files);

// "MM/DD/YYYY" (bios_date) as a DMTF date at midnight UTC.
std::optional<std::string> DmiDateToDmtf(std::string_view text);

struct DottedVersion {
    std::uint32_t Major = 0, Minor = 0;
};
// "a.b" (bios_release, ec_firmware_release).
std::optional<DottedVersion> ParseDottedVersion(std::string_view text);

// The SMBIOS version from the entry point's bytes ("_SM_" or "_SM3_" anchor).
std::optional<DottedVersion> SmbiosVersionOf(std::string_view entryPoint);

}  // namespace veskin
