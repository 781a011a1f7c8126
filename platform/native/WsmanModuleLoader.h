#pragma once
// Finds and loads the WS-Management module once per process, in the folders the
// dynamic loader searches for the program's libraries (its run path names the folder
// the module is installed in).
#include <string>

#include "platform/wsman/WsmanModule.h"

namespace veskin {

inline constexpr const char* kWsmanModuleFile = "veskin-wsman.so";

// The module's table, loaded on the first call; null when it cannot be loaded, with
// the reason in reason.
const WsmanModule* LoadWsmanModule(std::string* reason = nullptr);
// The module's table if it has been loaded already, else null (nothing is loaded).
const WsmanModule* LoadedWsmanModule();

// Opens file (a name looked up like a library's, or a path) and checks that it is the
// module of this build; null with the reason when it is not.
const WsmanModule* OpenWsmanModule(const std::string& file, std::string& reason);

}  // namespace veskin
