// On Windows the scripting classes are the system's own: their factories create the
// real COM objects and hand them out in their adapters.
#include "platform/NativeClasses.h"

#include "platform/win/OleText.h"
#include "platform/win/WinNamedValueSet.h"
#include "platform/win/WinWbemServices.h"

namespace veskin {

namespace {

// Class contexts: the locator may live in-process, in a handler or in a local server;
// the named-value set is an in-process server.
constexpr DWORD LocatorContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
constexpr DWORD ValueSetContext = CLSCTX_INPROC_SERVER;

template <class Adapter, class Intf>
ClassFactory SystemClass(const CLSID& clsid, const IID& iid, DWORD context) {
    return [clsid, iid, context](const IID& asked, IInterfacePtr& obj) -> HRESULT {
        obj.reset();
        if (asked != iid) return E_NOINTERFACE;
        TComPtr<Intf> raw;
        HRESULT hr = ::CoCreateInstance(ToWinGuid(clsid), nullptr, context, ToWinGuid(iid),
                                        reinterpret_cast<void**>(raw.Out()));
        if (FAILED(hr)) return hr;
        if (!raw) return E_POINTER;
        obj = std::make_shared<Adapter>(std::move(raw));
        return hr;
    };
}

}  // namespace

void RegisterNativeClasses() {
    RegisterClassFactory(CLSID_SWbemLocator,
                         SystemClass<TWinLocator, ::ISWbemLocator>(CLSID_SWbemLocator, IID_ISWbemLocator,
                                                                   LocatorContext));
    RegisterClassFactory(CLSID_SWbemNamedValueSet,
                         SystemClass<TWinNamedValueSet, ::ISWbemNamedValueSet>(
                             CLSID_SWbemNamedValueSet, IID_ISWbemNamedValueSet, ValueSetContext));
}

}  // namespace veskin
