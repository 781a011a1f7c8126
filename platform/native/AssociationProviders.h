#pragma once
// The association classes of the local service: Win32_SystemProcesses (the computer and
// each of its processes) and Win32_NetworkAdapterSetting (an adapter and its TCP/IP
// configuration). Their references are full object paths, as Windows gives them.
#include <memory>
#include <string>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr SystemProcessesClass();
WbemClassPtr NetworkAdapterSettingClass();

// "\\HOST\root\cimv2:<relPath>": the path of an object of the local service.
std::string NativeObjectPath(const NativeContext& context, const std::string& relPath);

WbemObjectProducer EnumerateSystemProcesses(std::shared_ptr<const NativeContext> context);
WbemObjectProducer EnumerateNetworkAdapterSettings(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
