#include "platform/win/WinWbemObject.h"

#include "platform/win/WinWbemProperty.h"

namespace veskin {

HRESULT TWinObject::get_Properties_(ISWbemPropertySetPtr& properties) {
    TComPtr<::ISWbemPropertySet> result;
    HRESULT hr = FIntf->get_Properties_(result.Out());
    return Deliver<TWinPropertySet>(hr, result, properties);
}

HRESULT TWinObject::get_Path_(ISWbemObjectPathPtr& path) {
    TComPtr<::ISWbemObjectPath> result;
    HRESULT hr = FIntf->get_Path_(result.Out());
    return Deliver<TWinObjectPath>(hr, result, path);
}

HRESULT TWinObject::Put_(std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet,
                         ISWbemObjectPathPtr& path) {
    path.reset();
    TComPtr<::IDispatch> context;
    HRESULT hr = ComValueSet(valueSet, context);
    if (FAILED(hr)) return hr;
    TComPtr<::ISWbemObjectPath> result;
    hr = FIntf->Put_(flags, context.Get(), result.Out());
    return Deliver<TWinObjectPath>(hr, result, path);
}

HRESULT TWinObject::Delete_(std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet) {
    TComPtr<::IDispatch> context;
    HRESULT hr = ComValueSet(valueSet, context);
    if (FAILED(hr)) return hr;
    return FIntf->Delete_(flags, context.Get());
}

HRESULT TWinObject::GetObjectText_(std::int32_t flags, WideString& text) {
    BSTR raw = nullptr;
    HRESULT hr = FIntf->GetObjectText_(flags, &raw);
    return DeliverText(hr, raw, text);
}

HRESULT TWinObjectPath::get_Path(WideString& path) {
    BSTR raw = nullptr;
    HRESULT hr = FIntf->get_Path(&raw);
    return DeliverText(hr, raw, path);
}

HRESULT TWinObjectPath::get_RelPath(WideString& relPath) {
    BSTR raw = nullptr;
    HRESULT hr = FIntf->get_RelPath(&raw);
    return DeliverText(hr, raw, relPath);
}

HRESULT TWinObjectPath::get_Class(WideString& className) {
    BSTR raw = nullptr;
    HRESULT hr = FIntf->get_Class(&raw);
    return DeliverText(hr, raw, className);
}

HRESULT TWinObjectPath::get_Namespace(WideString& nameSpace) {
    BSTR raw = nullptr;
    HRESULT hr = FIntf->get_Namespace(&raw);
    return DeliverText(hr, raw, nameSpace);
}

HRESULT TWinObjectPath::get_Server(WideString& server) {
    BSTR raw = nullptr;
    HRESULT hr = FIntf->get_Server(&raw);
    return DeliverText(hr, raw, server);
}

HRESULT TWinObjectSet::get__NewEnum(IInterfacePtr& enumerator) {
    TComPtr<::IUnknown> result;
    HRESULT hr = FIntf->get__NewEnum(result.Out());
    return DeliverEnumerator(hr, result, enumerator);
}

HRESULT TWinObjectSet::get_Count(std::int32_t& count) {
    LONG raw = 0;
    HRESULT hr = FIntf->get_Count(&raw);
    count = SUCCEEDED(hr) ? raw : 0;
    return hr;
}

}  // namespace veskin
