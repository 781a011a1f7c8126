#include "platform/win/WinWbemProperty.h"

#include "platform/win/OleVariant.h"

namespace veskin {

namespace {

// Reads a value through a getter that delivers a VARIANT.
template <class Getter>
HRESULT ReadValue(Getter get, Variant& value) {
    value = Variant();
    TOleVariant raw;
    HRESULT hr = get(raw.Get());
    if (FAILED(hr)) return hr;
    HRESULT conversion = OleToVariant(raw.Value(), value);
    return FAILED(conversion) ? conversion : hr;
}

}  // namespace

HRESULT TWinPropertySet::get__NewEnum(IInterfacePtr& enumerator) {
    TComPtr<::IUnknown> result;
    HRESULT hr = FIntf->get__NewEnum(result.Out());
    return DeliverEnumerator(hr, result, enumerator);
}

HRESULT TWinPropertySet::Item(const WideString& name, std::int32_t flags, ISWbemPropertyPtr& property) {
    TBStr bName(name);
    TComPtr<::ISWbemProperty> result;
    HRESULT hr = FIntf->Item(bName.Get(), flags, result.Out());
    return Deliver<TWinProperty>(hr, result, property);
}

HRESULT TWinPropertySet::get_Count(std::int32_t& count) {
    LONG raw = 0;
    HRESULT hr = FIntf->get_Count(&raw);
    count = SUCCEEDED(hr) ? raw : 0;
    return hr;
}

HRESULT TWinProperty::get_Value(Variant& value) {
    return ReadValue([this](VARIANT* v) { return FIntf->get_Value(v); }, value);
}

HRESULT TWinProperty::put_Value(const Variant& value) {
    TOleVariant raw;
    HRESULT hr = VariantToOle(value, *raw.Get());
    if (FAILED(hr)) return hr;
    return FIntf->put_Value(raw.Get());
}

HRESULT TWinProperty::get_Name(WideString& name) {
    BSTR raw = nullptr;
    HRESULT hr = FIntf->get_Name(&raw);
    return DeliverText(hr, raw, name);
}

HRESULT TWinProperty::get_IsLocal(VARIANT_BOOL& isLocal) {
    ::VARIANT_BOOL raw = 0;
    HRESULT hr = FIntf->get_IsLocal(&raw);
    isLocal = SUCCEEDED(hr) && raw != 0 ? -1 : 0;
    return hr;
}

HRESULT TWinProperty::get_Origin(WideString& origin) {
    BSTR raw = nullptr;
    HRESULT hr = FIntf->get_Origin(&raw);
    return DeliverText(hr, raw, origin);
}

HRESULT TWinProperty::get_CIMType(std::int32_t& cimType) {
    WbemCimtypeEnum raw{};
    HRESULT hr = FIntf->get_CIMType(&raw);
    cimType = SUCCEEDED(hr) ? static_cast<std::int32_t>(raw) : 0;
    return hr;
}

HRESULT TWinProperty::get_Qualifiers_(ISWbemQualifierSetPtr& qualifiers) {
    TComPtr<::ISWbemQualifierSet> result;
    HRESULT hr = FIntf->get_Qualifiers_(result.Out());
    return Deliver<TWinQualifierSet>(hr, result, qualifiers);
}

HRESULT TWinProperty::get_IsArray(VARIANT_BOOL& isArray) {
    ::VARIANT_BOOL raw = 0;
    HRESULT hr = FIntf->get_IsArray(&raw);
    isArray = SUCCEEDED(hr) && raw != 0 ? -1 : 0;
    return hr;
}

HRESULT TWinQualifierSet::get__NewEnum(IInterfacePtr& enumerator) {
    TComPtr<::IUnknown> result;
    HRESULT hr = FIntf->get__NewEnum(result.Out());
    return DeliverEnumerator(hr, result, enumerator);
}

HRESULT TWinQualifierSet::Item(const WideString& name, std::int32_t flags, ISWbemQualifierPtr& qualifier) {
    TBStr bName(name);
    TComPtr<::ISWbemQualifier> result;
    HRESULT hr = FIntf->Item(bName.Get(), flags, result.Out());
    return Deliver<TWinQualifier>(hr, result, qualifier);
}

HRESULT TWinQualifierSet::get_Count(std::int32_t& count) {
    LONG raw = 0;
    HRESULT hr = FIntf->get_Count(&raw);
    count = SUCCEEDED(hr) ? raw : 0;
    return hr;
}

HRESULT TWinQualifier::get_Value(Variant& value) {
    return ReadValue([this](VARIANT* v) { return FIntf->get_Value(v); }, value);
}

HRESULT TWinQualifier::get_Name(WideString& name) {
    BSTR raw = nullptr;
    HRESULT hr = FIntf->get_Name(&raw);
    return DeliverText(hr, raw, name);
}

}  // namespace veskin
