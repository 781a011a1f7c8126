#include "wmi/WmiDataSetFieldDefs.h"

#include "rtl/Interface.h"
#include "rtl/TextFold.h"
#include "rtl/Variant.h"
#include "rtl/WideString.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {

namespace {

IEnumVARIANTPtr EnumeratorOf(const IInterfacePtr& unknown) { return IntfCast<IEnumVARIANT>(unknown); }

// One element of an enumeration; false at its end (or on any code other than success
// with one element delivered).
bool NextElement(const IEnumVARIANTPtr& enumerator, Variant& element) {
    element = Variant();
    std::uint32_t fetched = 0;
    const HRESULT hr = enumerator->Next(1, &element, &fetched);
    return hr == S_OK && fetched == 1;
}

}  // namespace

TWmiFieldDef::TWmiFieldDef(TFieldDefs* owner, const std::string& name, TFieldType dataType, int size,
                           bool required, int fieldNo, bool isArray)
    : TFieldDef(owner, AnsiToWide(name), dataType, size, required, fieldNo), FIsArray(isArray) {}

TFieldAttributes WmiQualifierAttributes(const ISWbemPropertyPtr& property) {
    TFieldAttributes result;
    ISWbemQualifierSetPtr qualifiers;
    WmiCheck(property->get_Qualifiers_(qualifiers));
    IInterfacePtr unknown;
    WmiCheck(qualifiers->get__NewEnum(unknown));
    const IEnumVARIANTPtr enumerator = EnumeratorOf(unknown);
    Variant element;
    while (NextElement(enumerator, element)) {
        const auto qualifier = IntfCast<ISWbemQualifier>(element.AsInterface());
        WideString name;
        WmiCheck(qualifier->get_Name(name));
        const bool isKey = SameTextW(name, u"KEY");
        if (!isKey && !SameTextW(name, u"READONLY")) continue;
        Variant value;
        WmiCheck(qualifier->get_Value(value));
        if (value.AsBoolean()) result.add(isKey ? faRequired : faReadonly);
    }
    return result;
}

void WmiBuildFieldDefs(TFieldDefs& defs, const ISWbemObjectPtr& object, bool irregularView) {
    defs.Clear();
    if (!object) return;
    if (irregularView) {
        defs.AddDef<TWmiFieldDef>(std::string(WmiObjectFieldName), ftVariant, 0, false, 1, false);
        return;
    }
    ISWbemPropertySetPtr properties;
    WmiCheck(object->get_Properties_(properties));
    IInterfacePtr unknown;
    WmiCheck(properties->get__NewEnum(unknown));
    const IEnumVARIANTPtr enumerator = EnumeratorOf(unknown);
    int fieldNo = 1;
    Variant element;
    while (NextElement(enumerator, element)) {
        const auto property = IntfCast<ISWbemProperty>(element.AsInterface());
        WideString name;
        std::int32_t cimType = 0;
        VARIANT_BOOL isArray = VARIANT_FALSE;
        WmiCheck(property->get_Name(name));
        WmiCheck(property->get_CIMType(cimType));
        WmiCheck(property->get_IsArray(isArray));
        const TFieldAttributes attributes = WmiQualifierAttributes(property);
        TFieldType fieldType = ftUnknown;
        std::uint16_t size = 0;
        WmiCimTypeToFieldType(cimType, isArray, fieldType, size);
        TWmiFieldDef* def = defs.AddDef<TWmiFieldDef>(WideToAnsi(name), fieldType, static_cast<int>(size),
                                                      false, fieldNo, isArray != 0);
        def->SetAttributes(attributes);
        def->SetCimType(cimType);
        ++fieldNo;
    }
}

}  // namespace veskin
