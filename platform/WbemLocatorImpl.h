#pragma once
// A WMI locator (ISWbemLocator) over a repository: ConnectServer checks the request
// with a policy and opens a services object on the namespace asked for.
#include <functional>

#include "platform/WbemServicesImpl.h"

namespace veskin {

struct WbemConnectRequest {
    WideString Server, NameSpace, User, Password, Locale, Authority;
    std::int32_t SecurityFlags = 0;
    ISWbemNamedValueSetPtr Context;
};

// Decides whether a connection may be made: S_OK, or the failure ConnectServer answers.
using WbemConnectPolicy = std::function<HRESULT(const WbemConnectRequest& request)>;

class WbemLocatorImpl : public ISWbemLocator {
public:
    WbemLocatorImpl(WbemRepositoryPtr repository, WbemConnectPolicy policy);

    // The policy first; then WBEM_E_INVALID_NAMESPACE for a namespace the repository
    // lacks. An empty namespace means "root\cimv2".
    HRESULT ConnectServer(const WideString& server, const WideString& nameSpace,
                          const WideString& user, const WideString& password,
                          const WideString& locale, const WideString& authority,
                          std::int32_t securityFlags, const ISWbemNamedValueSetPtr& valueSet,
                          ISWbemServicesPtr& services) override;
    HRESULT get_Security_(ISWbemSecurityPtr& security) override;
    // Type information of the WMI Scripting library, version 1.2.
    HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t lcid,
                        std::shared_ptr<ITypeInfo>& info) override;

private:
    WbemRepositoryPtr FRepository;
    WbemConnectPolicy FPolicy;
    std::shared_ptr<WbemSecurity> FSecurity;
};

}  // namespace veskin
