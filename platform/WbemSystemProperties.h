#pragma once
// The system properties every object has besides its class's own (__CLASS, __PATH,
// ...). They are computed from the object's class, location and keys; Properties_
// does not enumerate them, but queries, Item and GetValue reach them by name.
#include <optional>

#include "platform/WbemObject.h"

namespace veskin {

// The definition (name as Windows spells it, CIM type, array flag) of a system
// property (any letter case); null for any other name.
const WbemPropertyDef* SystemPropertyDef(const WideString& name);

// The value of a system property of object, null when Windows has none for it (a
// root class has no __SUPERCLASS, an object without keys no __PATH); nothing when
// name is no system property.
std::optional<Variant> SystemPropertyValue(const WbemObject& object, const WideString& name);

}  // namespace veskin
