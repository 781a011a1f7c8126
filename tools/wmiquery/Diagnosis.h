#pragma once
// wmiquery's WS-Management part (posix/Diagnosis.cpp; Windows has none, win/Diagnosis.cpp):
// --diagnose, the connection ladder to a remote computer, one line per step, and whether
// a server gave class schemas.
#include <ostream>

#include "platform/WbemScripting.h"
#include "tools/wmiquery/QueryTable.h"

namespace veskin {

// Writes the ladder's lines to out; the exit code: 0 when every step passed, else that of
// the failed step's kind (connection, authentication, query).
int RunDiagnosis(const TQueryRequest& request, std::ostream& out);

// True when services are a WS-Management server's that gave no class schema, so that
// every property arrives as text.
bool ServerGaveNoClassSchema(const ISWbemServicesPtr& services);

}  // namespace veskin
