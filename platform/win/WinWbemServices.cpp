#include "platform/win/WinWbemServices.h"

#include "platform/win/WinWbemObject.h"

namespace veskin {

HRESULT TWinLocator::ConnectServer(const WideString& server, const WideString& nameSpace,
                                   const WideString& user, const WideString& password,
                                   const WideString& locale, const WideString& authority,
                                   std::int32_t securityFlags,
                                   const ISWbemNamedValueSetPtr& valueSet,
                                   ISWbemServicesPtr& services) {
    services.reset();
    TComPtr<::IDispatch> context;
    HRESULT hr = ComValueSet(valueSet, context);
    if (FAILED(hr)) return hr;
    TBStr bServer(server), bNameSpace(nameSpace), bUser(user), bPassword(password),
        bLocale(locale), bAuthority(authority);
    TComPtr<::ISWbemServices> result;
    hr = FIntf->ConnectServer(bServer.Get(), bNameSpace.Get(), bUser.Get(), bPassword.Get(),
                              bLocale.Get(), bAuthority.Get(), securityFlags, context.Get(),
                              result.Out());
    return Deliver<TWinServices>(hr, result, services);
}

HRESULT TWinLocator::get_Security_(ISWbemSecurityPtr& security) {
    TComPtr<::ISWbemSecurity> result;
    HRESULT hr = FIntf->get_Security_(result.Out());
    return Deliver<TWinSecurity>(hr, result, security);
}

HRESULT TWinServices::Get(const WideString& objectPath, std::int32_t flags,
                          const ISWbemNamedValueSetPtr& valueSet, ISWbemObjectPtr& object) {
    object.reset();
    TComPtr<::IDispatch> context;
    HRESULT hr = ComValueSet(valueSet, context);
    if (FAILED(hr)) return hr;
    TBStr path(objectPath);
    TComPtr<::ISWbemObject> result;
    hr = FIntf->Get(path.Get(), flags, context.Get(), result.Out());
    return Deliver<TWinObject>(hr, result, object);
}

HRESULT TWinServices::ExecQuery(const WideString& query, const WideString& queryLanguage,
                                std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet,
                                ISWbemObjectSetPtr& objectSet) {
    objectSet.reset();
    TComPtr<::IDispatch> context;
    HRESULT hr = ComValueSet(valueSet, context);
    if (FAILED(hr)) return hr;
    TBStr bQuery(query), bLanguage(queryLanguage);
    TComPtr<::ISWbemObjectSet> result;
    hr = FIntf->ExecQuery(bQuery.Get(), bLanguage.Get(), flags, context.Get(), result.Out());
    return Deliver<TWinObjectSet>(hr, result, objectSet);
}

HRESULT TWinServices::get_Security_(ISWbemSecurityPtr& security) {
    TComPtr<::ISWbemSecurity> result;
    HRESULT hr = FIntf->get_Security_(result.Out());
    return Deliver<TWinSecurity>(hr, result, security);
}

HRESULT TWinSecurity::get_ImpersonationLevel(std::int32_t& level) {
    WbemImpersonationLevelEnum raw{};
    HRESULT hr = FIntf->get_ImpersonationLevel(&raw);
    level = SUCCEEDED(hr) ? static_cast<std::int32_t>(raw) : 0;
    return hr;
}

HRESULT TWinSecurity::put_ImpersonationLevel(std::int32_t level) {
    return FIntf->put_ImpersonationLevel(static_cast<WbemImpersonationLevelEnum>(level));
}

HRESULT TWinSecurity::get_AuthenticationLevel(std::int32_t& level) {
    WbemAuthenticationLevelEnum raw{};
    HRESULT hr = FIntf->get_AuthenticationLevel(&raw);
    level = SUCCEEDED(hr) ? static_cast<std::int32_t>(raw) : 0;
    return hr;
}

HRESULT TWinSecurity::put_AuthenticationLevel(std::int32_t level) {
    return FIntf->put_AuthenticationLevel(static_cast<WbemAuthenticationLevelEnum>(level));
}

HRESULT TWinEventSource::NextEvent(std::int32_t timeoutMs, ISWbemObjectPtr& event) {
    TComPtr<::ISWbemObject> result;
    HRESULT hr = FIntf->NextEvent(timeoutMs, result.Out());
    return Deliver<TWinObject>(hr, result, event);
}

}  // namespace veskin
