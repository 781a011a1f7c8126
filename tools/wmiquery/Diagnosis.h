#pragma once
// wmiquery --diagnose: the connection ladder to a remote computer, one line per step.
#include <ostream>

#include "tools/wmiquery/QueryTable.h"

namespace veskin {

// Writes the ladder's lines to out; the exit code: 0 when every step passed, else that of
// the failed step's kind (connection, authentication, query).
int RunDiagnosis(const TQueryRequest& request, std::ostream& out);

}  // namespace veskin
