#include "platform/WbemLocatorImpl.h"

#include "platform/WbemTypeInfo.h"

namespace veskin {

WbemLocatorImpl::WbemLocatorImpl(WbemRepositoryPtr repository, WbemConnectPolicy policy)
    : FRepository(std::move(repository)),
      FPolicy(std::move(policy)),
      FSecurity(std::make_shared<WbemSecurity>()) {}

HRESULT WbemLocatorImpl::ConnectServer(const WideString& server, const WideString& nameSpace,
                                       const WideString& user, const WideString& password,
                                       const WideString& locale, const WideString& authority,
                                       std::int32_t securityFlags,
                                       const ISWbemNamedValueSetPtr& valueSet,
                                       ISWbemServicesPtr& services) {
    services.reset();
    if (FPolicy) {
        WbemConnectRequest request{server, nameSpace, user, password, locale, authority,
                                   securityFlags, valueSet};
        HRESULT hr = FPolicy(request);
        if (Failed(hr)) return hr;
    }
    WbemNamespacePtr ns = FRepository->FindNamespace(nameSpace.empty() ? u"root\\cimv2" : nameSpace);
    if (!ns) return WBEM_E_INVALID_NAMESPACE;
    services = std::make_shared<WbemServicesImpl>(FRepository, ns);
    return S_OK;
}

HRESULT WbemLocatorImpl::get_Security_(ISWbemSecurityPtr& security) {
    security = FSecurity;
    return S_OK;
}

HRESULT WbemLocatorImpl::GetTypeInfo(std::uint32_t index, std::uint32_t, std::shared_ptr<ITypeInfo>& info) {
    info.reset();
    if (index != 0) return DISP_E_BADINDEX;
    info = std::make_shared<WbemTypeInfo>(1, 2);
    return S_OK;
}

}  // namespace veskin
