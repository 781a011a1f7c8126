// wmiquery on Windows, where the system's WMI reaches other computers itself: there is
// no WS-Management client to diagnose.
#include "tools/wmiquery/Diagnosis.h"

#include "tools/wmiquery/CommandLine.h"

namespace veskin {

int RunDiagnosis(const TQueryRequest&, std::ostream& out) {
    out << "--diagnose checks WinRM connections from Linux; on Windows the system's WMI connects itself.\n";
    return ExitUsage;
}

bool ServerGaveNoClassSchema(const ISWbemServicesPtr&) { return false; }

}  // namespace veskin
