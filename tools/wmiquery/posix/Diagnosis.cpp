// wmiquery's WS-Management part: the connection ladder of --diagnose, and whether a
// server gave class schemas.
#include "tools/wmiquery/Diagnosis.h"

#include "platform/native/WsmanModuleLoader.h"
#include "tools/wmiquery/CommandLine.h"
#include "wmi/WmiErr.h"

namespace veskin {

int RunDiagnosis(const TQueryRequest& request, std::ostream& out) {
    WsmanDiagnosisRequest diagnosis;
    diagnosis.Computer = WideToAnsi(request.MachineName);
    diagnosis.Credentials = {WideToAnsi(request.UserName), WideToAnsi(request.Password), WideToAnsi(request.Authority)};
    diagnosis.NameSpace = WideToAnsi(request.NameSpace);
    if (!request.Query.empty()) diagnosis.Query = request.Query;

    std::string reason;
    const WsmanModule* module = LoadWsmanModule(&reason);
    if (!module) {
        out << "[FAIL] " << reason << '\n';
        return ExitConnection;
    }
    int exitCode = ExitSuccess;
    const bool passed = module->Diagnose(diagnosis, [&](const WsmanDiagnosisStep& step) {
        const char* mark = step.Note ? "[note]" : step.Passed ? "[ ok ]"
                                                              : "[FAIL]";
        out << mark << ' ' << step.Name;
        if (!step.Note) out << " (" << step.Milliseconds << " ms)";
        // A failure reads as the library's error message for its code.
        const bool failed = !step.Passed && !step.Note;
        out << ": " << (failed ? WmiErrorMessage(step.Code, step.Detail) : step.Outcome) << '\n';
        if (failed) {
            out << "Likely cause: " << step.Advice << '\n';
            exitCode = step.Kind == WsmanStepKind::Authentication ? ExitAuthentication
                       : step.Kind == WsmanStepKind::Query        ? ExitQuery
                                                                  : ExitConnection;
        }
        out.flush();
    });
    return passed ? ExitSuccess : exitCode;
}

bool ServerGaveNoClassSchema(const ISWbemServicesPtr& services) {
    // Services of another computer came from the module; without it there are none.
    const WsmanModule* module = LoadedWsmanModule();
    return module && module->ServerGaveNoClassSchema(services);
}

}  // namespace veskin
