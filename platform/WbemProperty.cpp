#include "platform/WbemProperty.h"

#include "platform/VariantEnumerator.h"
#include "platform/WbemQualifierSet.h"
#include "platform/WbemSystemProperties.h"

namespace veskin {

WbemProperty::WbemProperty(WbemObjectPtr object, std::size_t index)
    : FObject(std::move(object)), FIndex(index) {}

WbemProperty::WbemProperty(WbemObjectPtr object, const WbemPropertyDef* system)
    : FObject(std::move(object)), FSystem(system) {}

const WbemPropertyDef& WbemProperty::Def() const {
    return FSystem ? *FSystem : FObject->Class()->Properties()[FIndex];
}

HRESULT WbemProperty::get_Value(Variant& value) {
    HRESULT hr = FObject->Check(WbemObjectCall{WbemObjectOp::PropertyValue, Def().Name});
    if (Failed(hr)) return hr;
    value = FSystem ? FObject->GetValue(FSystem->Name) : FObject->GetValue(FIndex);
    return S_OK;
}

HRESULT WbemProperty::put_Value(const Variant& value) {
    HRESULT hr = FObject->Check(WbemObjectCall{WbemObjectOp::PutValue, Def().Name});
    if (Failed(hr)) return hr;
    if (FSystem) return WBEM_E_SYSTEM_PROPERTY;
    return FObject->SetValue(FIndex, value);
}

HRESULT WbemProperty::get_Name(WideString& name) {
    name = Def().Name;
    return S_OK;
}

HRESULT WbemProperty::get_IsLocal(VARIANT_BOOL& isLocal) {
    isLocal = FSystem ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

HRESULT WbemProperty::get_Origin(WideString& origin) {
    origin = FSystem ? u"___SYSTEM" : FObject->Class()->Name();
    return S_OK;
}

HRESULT WbemProperty::get_CIMType(std::int32_t& cimType) {
    cimType = Def().CimType;
    return S_OK;
}

HRESULT WbemProperty::get_Qualifiers_(ISWbemQualifierSetPtr& qualifiers) {
    qualifiers = std::make_shared<WbemQualifierSet>(Def().Qualifiers);
    return S_OK;
}

HRESULT WbemProperty::get_IsArray(VARIANT_BOOL& isArray) {
    isArray = Def().IsArray ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

WbemPropertySet::WbemPropertySet(WbemObjectPtr object) : FObject(std::move(object)) {}

HRESULT WbemPropertySet::get__NewEnum(IInterfacePtr& enumerator) {
    WbemObjectPtr object = FObject;
    enumerator = std::make_shared<VariantEnumerator>([object]() -> VariantProducer {
        auto next = std::make_shared<std::size_t>(0);
        return [object, next](Variant& out) -> HRESULT {
            if (*next >= object->Class()->PropertyCount()) return S_FALSE;
            out = Variant::FromDispatch(std::make_shared<WbemProperty>(object, (*next)++));
            return S_OK;
        };
    });
    return S_OK;
}

HRESULT WbemPropertySet::Item(const WideString& name, std::int32_t flags,
                              ISWbemPropertyPtr& property) {
    property.reset();
    HRESULT hr = FObject->Check(WbemObjectCall{WbemObjectOp::PropertyItem, name, flags});
    if (Failed(hr)) return hr;
    int i = FObject->Class()->IndexOf(name);
    if (i < 0) {
        const WbemPropertyDef* system = SystemPropertyDef(name);
        if (!system) return WBEM_E_NOT_FOUND;
        property = std::make_shared<WbemProperty>(FObject, system);
        return S_OK;
    }
    property = std::make_shared<WbemProperty>(FObject, static_cast<std::size_t>(i));
    return S_OK;
}

HRESULT WbemPropertySet::get_Count(std::int32_t& count) {
    count = static_cast<std::int32_t>(FObject->Class()->PropertyCount());
    return S_OK;
}

}  // namespace veskin
