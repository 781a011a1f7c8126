#pragma once
// Win32_Environment: the system's variables from etc/environment (user "<SYSTEM>")
// and the variables of this process's environment (proc/self/environ) under the user
// it runs as.
#include <memory>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr EnvironmentClass();

WbemObjectProducer EnumerateEnvironment(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
