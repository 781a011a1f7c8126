#pragma once
// Win32_Service: the systemd service units, read from their unit files
// (etc/systemd/system, run/systemd/system, usr/lib/systemd/system, lib/systemd/system;
// the first of a name wins), enablement from the .wants folders and the running
// processes from the unit's cgroup. No instances where systemd does not run
// (run/systemd/system missing).
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr ServiceClass();

// The [Service] and [Unit] keys of a unit file that Win32_Service shows: the first
// value of each key.
struct UnitFile {
    std::string Description;
    std::string ExecStart;  // without systemd's prefixes ("-", "@", "+", "!", ":")
};
UnitFile ParseUnitFile(std::string_view text);

WbemObjectProducer EnumerateServices(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
