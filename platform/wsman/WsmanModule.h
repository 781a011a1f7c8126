#pragma once
// The WS-Management client is built as a module of its own (veskin-wsman.so), loaded
// at the first connection to another computer: a program that asks only the local
// computer then never loads TLS, XML and GSS-API. The module exports one C function,
// veskin_wsman_module, which returns this table.
#include <functional>
#include <memory>

#include "platform/WbemScripting.h"
#include "platform/wsman/WsmanDiagnosis.h"

namespace veskin {

// Raised whenever the table or a type in it changes, so that a program refuses a
// module of another build instead of calling it wrongly.
inline constexpr int kWsmanModuleVersion = 1;

struct WsmanModule {
    int Version = kWsmanModuleVersion;
    std::size_t Size = sizeof(WsmanModule);
    std::shared_ptr<ISWbemLocator> (*MakeLocator)() = nullptr;
    bool (*Diagnose)(const WsmanDiagnosisRequest& request,
                     const std::function<void(const WsmanDiagnosisStep&)>& report) = nullptr;
    // True when services came from a server that gave no class schemas.
    bool (*ServerGaveNoClassSchema)(const ISWbemServicesPtr& services) = nullptr;
};

}  // namespace veskin

extern "C" const veskin::WsmanModule* veskin_wsman_module();
