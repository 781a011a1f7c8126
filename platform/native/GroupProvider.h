#pragma once
// Win32_Group: the local groups of etc/group, with the SIDs Samba gives Unix groups
// (S-1-22-2-<gid>).
#include <memory>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr GroupClass();

WbemObjectProducer EnumerateGroups(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
