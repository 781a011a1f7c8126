#include "platform/win/WinNamedValueSet.h"

#include "platform/win/OleVariant.h"

namespace veskin {

HRESULT TWinNamedValue::get_Name(WideString& name) {
    BSTR raw = nullptr;
    HRESULT hr = FIntf->get_Name(&raw);
    return DeliverText(hr, raw, name);
}

HRESULT TWinNamedValue::get_Value(Variant& value) {
    value = Variant();
    TOleVariant raw;
    HRESULT hr = FIntf->get_Value(raw.Get());
    if (FAILED(hr)) return hr;
    HRESULT conversion = OleToVariant(raw.Value(), value);
    return FAILED(conversion) ? conversion : hr;
}

HRESULT TWinNamedValueSet::Add(const WideString& name, const Variant& value, std::int32_t flags,
                               ISWbemNamedValuePtr& namedValue) {
    namedValue.reset();
    TOleVariant raw;
    HRESULT hr = VariantToOle(value, *raw.Get());
    if (FAILED(hr)) return hr;
    TBStr bName(name);
    TComPtr<::ISWbemNamedValue> result;
    hr = FIntf->Add(bName.Get(), raw.Get(), flags, result.Out());
    return Deliver<TWinNamedValue>(hr, result, namedValue);
}

HRESULT TWinNamedValueSet::Item(const WideString& name, std::int32_t flags,
                                ISWbemNamedValuePtr& namedValue) {
    TBStr bName(name);
    TComPtr<::ISWbemNamedValue> result;
    HRESULT hr = FIntf->Item(bName.Get(), flags, result.Out());
    return Deliver<TWinNamedValue>(hr, result, namedValue);
}

HRESULT TWinNamedValueSet::get_Count(std::int32_t& count) {
    LONG raw = 0;
    HRESULT hr = FIntf->get_Count(&raw);
    count = SUCCEEDED(hr) ? raw : 0;
    return hr;
}

HRESULT TWinNamedValueSet::get__NewEnum(IInterfacePtr& enumerator) {
    TComPtr<::IUnknown> result;
    HRESULT hr = FIntf->get__NewEnum(result.Out());
    return DeliverEnumerator(hr, result, enumerator);
}

HRESULT CreateComNamedValueSet(TComPtr<::ISWbemNamedValueSet>& set) {
    return ::CoCreateInstance(ToWinGuid(CLSID_SWbemNamedValueSet), nullptr, CLSCTX_INPROC_SERVER,
                              ToWinGuid(IID_ISWbemNamedValueSet),
                              reinterpret_cast<void**>(set.Out()));
}

HRESULT ComValueSet(const ISWbemNamedValueSetPtr& valueSet, TComPtr<::IDispatch>& target) {
    target.Reset();
    if (!valueSet) return S_OK;
    if (auto own = std::dynamic_pointer_cast<TWinComObject>(valueSet)) {
        target = own->ComDispatch();
        return target ? S_OK : E_NOINTERFACE;
    }
    // A set of another kind: copy its names and values into a set of the system.
    TComPtr<::ISWbemNamedValueSet> copy;
    HRESULT hr = CreateComNamedValueSet(copy);
    if (FAILED(hr)) return hr;
    IInterfacePtr enumObject;
    hr = valueSet->get__NewEnum(enumObject);
    if (FAILED(hr)) return hr;
    auto items = Supports<IEnumVARIANT>(enumObject);
    if (!items) return E_NOINTERFACE;
    for (;;) {
        Variant element;
        std::uint32_t fetched = 0;
        hr = items->Next(1, &element, &fetched);
        if (FAILED(hr)) return hr;
        if (fetched != 1) break;
        const Variant& item = element.Deref();
        const bool isObject = item.VarType() == varDispatch || item.VarType() == varUnknown;
        auto named = isObject ? Supports<ISWbemNamedValue>(item.RawInterface()) : nullptr;
        if (!named) return E_NOINTERFACE;
        WideString name;
        Variant value;
        hr = named->get_Name(name);
        if (SUCCEEDED(hr)) hr = named->get_Value(value);
        TOleVariant raw;
        if (SUCCEEDED(hr)) hr = VariantToOle(value, *raw.Get());
        TBStr bName(name);
        TComPtr<::ISWbemNamedValue> added;
        if (SUCCEEDED(hr)) hr = copy->Add(bName.Get(), raw.Get(), 0, added.Out());
        if (FAILED(hr)) return hr;
    }
    target = TComPtr<::IDispatch>(copy.Get(), true);
    return S_OK;
}

}  // namespace veskin
