#include "platform/native/SystemLocator.h"

namespace veskin {

SystemLocator::SystemLocator(std::shared_ptr<WbemLocatorImpl> local, std::string hostName,
                             std::shared_ptr<ISWbemLocator> remote)
    : FLocal(std::move(local)), FHostName(std::move(hostName)), FRemote(std::move(remote)) {}

HRESULT SystemLocator::ConnectServer(const WideString& server, const WideString& nameSpace,
                                     const WideString& user, const WideString& password,
                                     const WideString& locale, const WideString& authority,
                                     std::int32_t securityFlags, const ISWbemNamedValueSetPtr& valueSet,
                                     ISWbemServicesPtr& services) {
    ISWbemLocator& target = IsLocalComputerName(server, FHostName) ? static_cast<ISWbemLocator&>(*FLocal) : *FRemote;
    return target.ConnectServer(server, nameSpace, user, password, locale, authority, securityFlags,
                                valueSet, services);
}

HRESULT SystemLocator::get_Security_(ISWbemSecurityPtr& security) { return FLocal->get_Security_(security); }

HRESULT SystemLocator::GetTypeInfo(std::uint32_t index, std::uint32_t lcid, std::shared_ptr<ITypeInfo>& info) {
    return FLocal->GetTypeInfo(index, lcid, info);
}

std::shared_ptr<SystemLocator> MakeSystemLocator() {
    return std::make_shared<SystemLocator>(NativeSystemLocator(), NativeSystemHostName(),
                                           std::make_shared<WsmanLocator>());
}

}  // namespace veskin
