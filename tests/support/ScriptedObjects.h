#pragma once
// The scripting objects a ScriptedWmi hands out: thin wrappers over the platform's
// in-memory service that count, record, delay and fail calls as scripted.
#include "platform/ComObjects.h"
#include "tests/support/ScriptedCore.h"

namespace veskin {

// Class factories for SWbemLocator and SWbemNamedValueSet.
ClassFactory ScriptedLocatorFactory(const ScriptedCorePtr& core);
ClassFactory ScriptedNamedValueSetFactory(const ScriptedCorePtr& core);

}  // namespace veskin
