#pragma once
// The locator for other computers (ISWbemLocator over WS-Management): ConnectServer
// opens a session on the computer's WinRM service and checks, with one cheap query,
// that the account is accepted and the namespace exists.
#include "platform/WbemSecurity.h"
#include "platform/wsman/WsmanTransport.h"

namespace veskin {

class WsmanLocator : public ISWbemLocator {
public:
    explicit WsmanLocator(WsmanTimeouts timeouts = {});

    // server: one of the computer-name forms (WsmanEndpoint.h); a name that is none
    // fails with WSMAN_E_NAME_NOT_RESOLVED. An empty namespace means "root\cimv2".
    HRESULT ConnectServer(const WideString& server, const WideString& nameSpace,
                          const WideString& user, const WideString& password,
                          const WideString& locale, const WideString& authority,
                          std::int32_t securityFlags, const ISWbemNamedValueSetPtr& valueSet,
                          ISWbemServicesPtr& services) override;
    HRESULT get_Security_(ISWbemSecurityPtr& security) override;

private:
    WsmanTimeouts FTimeouts;
    std::shared_ptr<WbemSecurity> FSecurity;
};

}  // namespace veskin
