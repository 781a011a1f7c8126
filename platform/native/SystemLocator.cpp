#include "platform/native/SystemLocator.h"

#include "platform/ErrorDetail.h"
#include "platform/native/WsmanModuleLoader.h"

namespace veskin {

SystemLocator::SystemLocator(std::shared_ptr<WbemLocatorImpl> local, std::string hostName,
                             std::shared_ptr<ISWbemLocator> remote)
    : FLocal(std::move(local)), FHostName(std::move(hostName)), FRemote(std::move(remote)) {}

HRESULT SystemLocator::ConnectServer(const WideString& server, const WideString& nameSpace,
                                     const WideString& user, const WideString& password,
                                     const WideString& locale, const WideString& authority,
                                     std::int32_t securityFlags, const ISWbemNamedValueSetPtr& valueSet,
                                     ISWbemServicesPtr& services) {
    if (IsLocalComputerName(server, FHostName))
        return FLocal->ConnectServer(server, nameSpace, user, password, locale, authority, securityFlags, valueSet,
                                     services);
    std::shared_ptr<ISWbemLocator> remote;
    if (HRESULT hr = Remote(remote); Failed(hr)) return hr;
    return remote->ConnectServer(server, nameSpace, user, password, locale, authority, securityFlags, valueSet,
                                 services);
}

HRESULT SystemLocator::Remote(std::shared_ptr<ISWbemLocator>& remote) {
    std::lock_guard<std::mutex> guard(FRemoteLock);
    if (!FRemote) {
        std::string reason;
        const WsmanModule* module = LoadWsmanModule(&reason);
        if (!module) {
            SetErrorDetail(RPC_S_SERVER_UNAVAILABLE_HR, reason);
            return RPC_S_SERVER_UNAVAILABLE_HR;
        }
        FRemote = module->MakeLocator();
    }
    remote = FRemote;
    return S_OK;
}

HRESULT SystemLocator::get_Security_(ISWbemSecurityPtr& security) { return FLocal->get_Security_(security); }

HRESULT SystemLocator::GetTypeInfo(std::uint32_t index, std::uint32_t lcid, std::shared_ptr<ITypeInfo>& info) {
    return FLocal->GetTypeInfo(index, lcid, info);
}

std::shared_ptr<SystemLocator> MakeSystemLocator() {
    return std::make_shared<SystemLocator>(NativeSystemLocator(), NativeSystemHostName());
}

}  // namespace veskin
