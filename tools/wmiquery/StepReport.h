#pragma once
// Walks one query through the scripting objects step by step, the way the library
// does, and reports what each call answered: locator, ConnectServer, Security_,
// ImpersonationLevel, ExecQuery, _NewEnum, Next, Properties_, the property set's
// _NewEnum and Next, and the first property's Name and Value. Stops at the first
// failing step. For finding out how far a platform's WMI goes. A remote computer
// whose server gives no class schemas gets a step saying so.
#include <string>
#include <vector>

#include "tools/wmiquery/QueryTable.h"

namespace veskin {

struct TStepResult {
    std::string Step;
    std::int32_t Code = 0;
    std::string Detail;  // what the step delivered, or the error text
};

std::vector<TStepResult> RunQuerySteps(const TQueryRequest& request);

}  // namespace veskin
