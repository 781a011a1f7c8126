#pragma once
// Runs a query through the Scripting interfaces to the end and keeps every object.
#include <cstdint>
#include <vector>

#include "platform/WbemScripting.h"

namespace veskin {

// The objects of the query in order. Answers S_OK, or the code of the first call that
// failed (ExecQuery, _NewEnum or Next), keeping the objects delivered before it.
HRESULT QueryObjects(const ISWbemServicesPtr& services, const WideString& wql, std::vector<ISWbemObjectPtr>& objects,
                     std::int32_t flags = 48);

}  // namespace veskin
