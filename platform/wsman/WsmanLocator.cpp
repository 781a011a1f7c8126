#include "platform/wsman/WsmanLocator.h"

#include "platform/ErrorDetail.h"
#include "platform/WbemRepository.h"
#include "platform/wsman/WsmanEnumeration.h"
#include "platform/wsman/WsmanServices.h"

namespace veskin {

WsmanLocator::WsmanLocator(WsmanTimeouts timeouts)
    : FTimeouts(timeouts), FSecurity(std::make_shared<WbemSecurity>()) {}

HRESULT WsmanLocator::ConnectServer(const WideString& server, const WideString& nameSpace,
                                    const WideString& user, const WideString& password,
                                    const WideString&, const WideString& authority, std::int32_t,
                                    const ISWbemNamedValueSetPtr&, ISWbemServicesPtr& services) {
    services.reset();
    WsmanEndpoint endpoint;
    if (!ParseWsmanEndpoint(WideToAnsi(server), endpoint)) {
        std::string detail = "\"";  // appended: GCC 12 at -O3 reports a false overlap for "\"" + text
        detail += WideToAnsi(server);
        detail += "\" is no computer name or address";
        SetErrorDetail(WSMAN_E_NAME_NOT_RESOLVED, detail);
        return WSMAN_E_NAME_NOT_RESOLVED;
    }
    const WideString ns = WbemRepository::NormaliseNamespace(nameSpace.empty() ? u"root\\cimv2" : nameSpace);
    WsmanCredentials credentials{WideToAnsi(user), WideToAnsi(password), WideToAnsi(authority)};
    auto transport = std::make_unique<WsmanTransport>(endpoint, std::move(credentials), FTimeouts);
    auto session = std::make_shared<WsmanSession>(std::move(transport), ns, FTimeouts);

    // WinRM keeps no connection state, so ask something cheap that every namespace
    // answers: it proves the computer, the account and the namespace at once. No
    // namespace has an empty name, so the answer is one message that ends the
    // enumeration: nothing to decode, nothing to release.
    {
        WsmanEnumeration probe(session, {"SELECT * FROM __NAMESPACE WHERE Name = ''", {}, {}});
        WbemObjectPtr first;
        const HRESULT hr = probe.Next(first);
        if (Failed(hr)) return hr;
    }
    services = std::make_shared<WsmanServices>(std::move(session));
    return S_OK;
}

HRESULT WsmanLocator::get_Security_(ISWbemSecurityPtr& security) {
    security = FSecurity;
    return S_OK;
}

}  // namespace veskin
