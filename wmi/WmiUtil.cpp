// Connecting to WMI and reading the scripting library's version.
#include "wmi/WmiUtil.h"

#include <string>

#include "platform/ComObjects.h"
#include "wmi/InitComSecurity.h"
#include "wmi/WmiErr.h"

namespace veskin {

namespace {

constexpr std::uint32_t LocatorClassContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
constexpr std::size_t ConversionBufferSize = 255;  // wide characters, terminating zero included

std::shared_ptr<ISWbemLocator> CreateLocator() {
    IInterfacePtr obj;
    WmiCheck(CoCreateInstance(CLSID_SWbemLocator, nullptr, LocatorClassContext, IID_ISWbemLocator, obj));
    auto locator = Supports<ISWbemLocator>(obj);
    if (!locator) WmiCheck(E_NOINTERFACE);
    return locator;
}

// Reads the services object's security object and sets impersonation on it.
void SetImpersonation(const ISWbemServicesPtr& services) {
    ISWbemSecurityPtr security;
    WmiCheck(services->get_Security_(security));
    if (!security) WmiCheck(E_POINTER);
    WmiCheck(security->put_ImpersonationLevel(wbemImpersonationLevelImpersonate));
}

}  // namespace

WideString WmiConversionBuffer(const WideString& text) {
    WideString converted = AnsiToWide(WideToAnsi(text));
    if (converted.size() > ConversionBufferSize - 1) return WideString();
    return converted;
}

ISWbemServicesPtr WmiConnectServer(const WideString& server, const WideString& nameSpace,
                                   const WideString& user, const WideString& password,
                                   const WideString& locale, const WideString& authority,
                                   const ISWbemNamedValueSetPtr& context) {
    InitComThread();
    auto locator = CreateLocator();
    ISWbemServicesPtr services;
    WmiCheck(locator->ConnectServer(WmiConversionBuffer(server), WmiConversionBuffer(nameSpace),
                                    WmiConversionBuffer(user), WmiConversionBuffer(password), locale,
                                    authority, wbemConnectFlagUseMaxWait, context, services));
    // A service that reports success must hand over an object; never use a missing one.
    if (!services) WmiCheck(E_POINTER);
    SetImpersonation(services);
    return services;
}

ISWbemServicesPtr WmiConnectLocal() {
    InitComThread();
    auto locator = CreateLocator();
    ISWbemServicesPtr services;
    const HRESULT hr = locator->ConnectServer(WideString(), u"root\\cimv2", WideString(), WideString(),
                                              WideString(), WideString(), wbemConnectFlagUseMaxWait,
                                              nullptr, services);
    if (hr != S_OK || !services) return nullptr;
    SetImpersonation(services);
    return services;
}

ISWbemObjectPtr WmiQueryPrototype(const WideString& query) {
    ISWbemServicesPtr services = WmiConnectLocal();
    if (!services) return nullptr;
    ISWbemObjectSetPtr objectSet;
    WmiCheck(services->ExecQuery(query, u"WQL",
                                 wbemFlagReturnImmediately | wbemFlagForwardOnly | wbemQueryFlagPrototype,
                                 nullptr, objectSet));
    if (!objectSet) WmiCheck(E_POINTER);
    IInterfacePtr enumerator;
    WmiCheck(objectSet->get__NewEnum(enumerator));
    auto items = IntfCast<IEnumVARIANT>(enumerator);
    if (!items) WmiCheck(E_POINTER);
    Variant element;
    std::uint32_t fetched = 0;
    WmiCheck(items->Next(1, &element, &fetched));
    if (fetched != 1) return nullptr;
    const Variant& value = element.Deref();
    const TVarType type = value.VarType();
    if (type != varDispatch && type != varUnknown) return nullptr;
    return Supports<ISWbemObject>(value.RawInterface());
}

WideString WmiLibraryVersion() {
    try {
        IInterfacePtr obj;
        if (Failed(CoCreateInstance(CLSID_SWbemLocator, nullptr, LocatorClassContext, IID_ISWbemLocator, obj)))
            return WideString();
        auto locator = Supports<ISWbemLocator>(obj);
        if (!locator) return WideString();
        std::shared_ptr<ITypeInfo> info;
        if (Failed(locator->GetTypeInfo(0, 0, info)) || !info) return WideString();
        std::shared_ptr<ITypeLib> lib;
        std::uint32_t index = 0;
        if (Failed(info->GetContainingTypeLib(lib, index)) || !lib) return WideString();
        TLibAttr attr;
        if (Failed(lib->GetLibAttr(attr))) return WideString();
        return AnsiToWide(std::to_string(attr.wMajorVerNum) + "." + std::to_string(attr.wMinorVerNum));
    } catch (...) {
        // The version is informational: any failure on the way gives the empty text.
        return WideString();
    }
}

}  // namespace veskin
