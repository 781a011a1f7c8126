#include "platform/win/WinComObject.h"

#include "platform/win/WinEnumVariant.h"
#include "platform/win/WinNamedValueSet.h"
#include "platform/win/WinTypeInfo.h"
#include "platform/win/WinWbemObject.h"
#include "platform/win/WinWbemProperty.h"
#include "platform/win/WinWbemServices.h"

namespace veskin {

namespace {

// The adapter for an object that has interface Intf; false when it has not.
template <class Adapter, class Intf>
bool TryWrap(::IUnknown* object, IInterfacePtr& result) {
    TComPtr<Intf> typed;
    if (FAILED(object->QueryInterface(__uuidof(Intf), reinterpret_cast<void**>(typed.Out()))) || !typed)
        return false;
    result = std::make_shared<Adapter>(std::move(typed));
    return true;
}

}  // namespace

TComPtr<::IDispatch> TWinComObject::ComDispatch() const {
    TComPtr<::IDispatch> dispatch;
    if (FObject) FObject.As(dispatch);
    return dispatch;
}

HRESULT TWinComObject::GetTypeInfo(std::uint32_t index, std::uint32_t lcid,
                                   std::shared_ptr<ITypeInfo>& info) {
    info.reset();
    TComPtr<::IDispatch> dispatch = ComDispatch();
    if (!dispatch) return E_NOTIMPL;
    TComPtr<::ITypeInfo> raw;
    HRESULT hr = dispatch->GetTypeInfo(index, lcid, raw.Out());
    if (FAILED(hr)) raw.Reset();
    WrapInto<TWinTypeInfo>(std::move(raw), info);
    return hr;
}

IInterfacePtr WrapComObject(::IUnknown* object) {
    if (object == nullptr) return nullptr;
    IInterfacePtr result;
    // The kinds an enumerator or a value of the scripting library can hold; the most
    // specific first.
    if (TryWrap<TWinObject, ::ISWbemObject>(object, result)) return result;
    if (TryWrap<TWinProperty, ::ISWbemProperty>(object, result)) return result;
    if (TryWrap<TWinQualifier, ::ISWbemQualifier>(object, result)) return result;
    if (TryWrap<TWinNamedValue, ::ISWbemNamedValue>(object, result)) return result;
    if (TryWrap<TWinObjectPath, ::ISWbemObjectPath>(object, result)) return result;
    if (TryWrap<TWinObjectSet, ::ISWbemObjectSet>(object, result)) return result;
    if (TryWrap<TWinServices, ::ISWbemServices>(object, result)) return result;
    if (TryWrap<TWinNamedValueSet, ::ISWbemNamedValueSet>(object, result)) return result;
    if (TryWrap<TWinEnumVariant, ::IEnumVARIANT>(object, result)) return result;
    return std::make_shared<TWinDispatch>(TComPtr<::IUnknown>(object, true));
}

TComPtr<::IDispatch> UnwrapDispatch(const IInterfacePtr& object) {
    auto adapter = std::dynamic_pointer_cast<TWinComObject>(object);
    return adapter ? adapter->ComDispatch() : TComPtr<::IDispatch>();
}

HRESULT DeliverEnumerator(HRESULT hr, TComPtr<::IUnknown>& object, IInterfacePtr& target) {
    target.reset();
    if (FAILED(hr) || !object) return hr;
    TComPtr<::IEnumVARIANT> items;
    HRESULT qi = object.As(items);
    if (FAILED(qi)) return qi;
    target = std::make_shared<TWinEnumVariant>(std::move(items));
    return hr;
}

}  // namespace veskin
