#pragma once
// The locator, services, security and event-source objects of the system's WMI
// Scripting library behind our abstract interfaces.
#include "platform/win/WinAdapter.h"

namespace veskin {

class TWinLocator : public ISWbemLocator, public TWinAdapter<::ISWbemLocator> {
public:
    using TWinAdapter<::ISWbemLocator>::TWinAdapter;
    HRESULT ConnectServer(const WideString& server, const WideString& nameSpace,
                          const WideString& user, const WideString& password,
                          const WideString& locale, const WideString& authority,
                          std::int32_t securityFlags, const ISWbemNamedValueSetPtr& valueSet,
                          ISWbemServicesPtr& services) override;
    HRESULT get_Security_(ISWbemSecurityPtr& security) override;
};

class TWinServices : public ISWbemServices, public TWinAdapter<::ISWbemServices> {
public:
    using TWinAdapter<::ISWbemServices>::TWinAdapter;
    HRESULT Get(const WideString& objectPath, std::int32_t flags,
                const ISWbemNamedValueSetPtr& valueSet, ISWbemObjectPtr& object) override;
    HRESULT ExecQuery(const WideString& query, const WideString& queryLanguage,
                      std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet,
                      ISWbemObjectSetPtr& objectSet) override;
    HRESULT get_Security_(ISWbemSecurityPtr& security) override;
};

class TWinSecurity : public ISWbemSecurity, public TWinAdapter<::ISWbemSecurity> {
public:
    using TWinAdapter<::ISWbemSecurity>::TWinAdapter;
    HRESULT get_ImpersonationLevel(std::int32_t& level) override;
    HRESULT put_ImpersonationLevel(std::int32_t level) override;
    HRESULT get_AuthenticationLevel(std::int32_t& level) override;
    HRESULT put_AuthenticationLevel(std::int32_t level) override;
};

class TWinEventSource : public ISWbemEventSource, public TWinAdapter<::ISWbemEventSource> {
public:
    using TWinAdapter<::ISWbemEventSource>::TWinAdapter;
    HRESULT NextEvent(std::int32_t timeoutMs, ISWbemObjectPtr& event) override;
};

}  // namespace veskin
