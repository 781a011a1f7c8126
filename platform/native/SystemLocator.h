#pragma once
// The WMI locator of the library on Linux: the local computer's names go to the
// native service, every other computer to its WinRM service over WS-Management.
#include <mutex>

#include "platform/native/NativeService.h"

namespace veskin {

class SystemLocator : public ISWbemLocator {
public:
    // remote: the locator for other computers; null to take it from the WS-Management
    // module, loaded at the first connection to another computer.
    SystemLocator(std::shared_ptr<WbemLocatorImpl> local, std::string hostName,
                  std::shared_ptr<ISWbemLocator> remote = nullptr);

    HRESULT ConnectServer(const WideString& server, const WideString& nameSpace,
                          const WideString& user, const WideString& password,
                          const WideString& locale, const WideString& authority,
                          std::int32_t securityFlags, const ISWbemNamedValueSetPtr& valueSet,
                          ISWbemServicesPtr& services) override;
    HRESULT get_Security_(ISWbemSecurityPtr& security) override;
    HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t lcid,
                        std::shared_ptr<ITypeInfo>& info) override;

private:
    // The remote locator, made on first use; a failure's code, with its detail recorded.
    HRESULT Remote(std::shared_ptr<ISWbemLocator>& remote);

    std::shared_ptr<WbemLocatorImpl> FLocal;
    std::string FHostName;
    std::mutex FRemoteLock;
    std::shared_ptr<ISWbemLocator> FRemote;
};

// The locator of the real system: the native service of this computer and the
// WS-Management client for the others.
std::shared_ptr<SystemLocator> MakeSystemLocator();

}  // namespace veskin
