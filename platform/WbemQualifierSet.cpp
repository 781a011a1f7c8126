#include "platform/WbemQualifierSet.h"

#include "platform/VariantEnumerator.h"
#include "rtl/TextFold.h"

namespace veskin {

HRESULT WbemQualifier::get_Value(Variant& value) {
    value = FDef.Value;
    return S_OK;
}

HRESULT WbemQualifier::get_Name(WideString& name) {
    name = FDef.Name;
    return S_OK;
}

HRESULT WbemQualifierSet::get__NewEnum(IInterfacePtr& enumerator) {
    std::vector<Variant> elements;
    elements.reserve(FQualifiers.size());
    for (const auto& q : FQualifiers)
        elements.push_back(Variant::FromDispatch(std::make_shared<WbemQualifier>(q)));
    enumerator = VariantEnumerator::OverList(std::move(elements));
    return S_OK;
}

HRESULT WbemQualifierSet::Item(const WideString& name, std::int32_t, ISWbemQualifierPtr& qualifier) {
    qualifier.reset();
    for (const auto& q : FQualifiers) {
        if (SameTextW(q.Name, name)) {
            qualifier = std::make_shared<WbemQualifier>(q);
            return S_OK;
        }
    }
    return WBEM_E_NOT_FOUND;
}

HRESULT WbemQualifierSet::get_Count(std::int32_t& count) {
    count = static_cast<std::int32_t>(FQualifiers.size());
    return S_OK;
}

}  // namespace veskin
