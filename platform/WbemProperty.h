#pragma once
// The properties of an object (ISWbemPropertySet) and one property (ISWbemProperty).
// They refer to their object: reading gives its current value, writing changes it.
#include "platform/WbemObject.h"

namespace veskin {

class WbemProperty : public ISWbemProperty {
public:
    WbemProperty(WbemObjectPtr object, std::size_t index);
    // A system property (system is its definition from SystemPropertyDef): read-only.
    WbemProperty(WbemObjectPtr object, const WbemPropertyDef* system);

    HRESULT get_Value(Variant& value) override;
    // Converts to the property's CIM type; changes the local object only.
    HRESULT put_Value(const Variant& value) override;
    HRESULT get_Name(WideString& name) override;
    HRESULT get_IsLocal(VARIANT_BOOL& isLocal) override;
    HRESULT get_Origin(WideString& origin) override;
    HRESULT get_CIMType(std::int32_t& cimType) override;
    HRESULT get_Qualifiers_(ISWbemQualifierSetPtr& qualifiers) override;
    HRESULT get_IsArray(VARIANT_BOOL& isArray) override;

private:
    const WbemPropertyDef& Def() const;

    WbemObjectPtr FObject;
    std::size_t FIndex = 0;
    const WbemPropertyDef* FSystem = nullptr;
};

class WbemPropertySet : public ISWbemPropertySet {
public:
    explicit WbemPropertySet(WbemObjectPtr object);

    // Elements are dispatch variants of ISWbemProperty, in case-insensitive
    // alphabetical order of the names; the system properties are not among them.
    HRESULT get__NewEnum(IInterfacePtr& enumerator) override;
    // Also finds the system properties (__PATH, ...).
    HRESULT Item(const WideString& name, std::int32_t flags, ISWbemPropertyPtr& property) override;
    HRESULT get_Count(std::int32_t& count) override;

private:
    WbemObjectPtr FObject;
};

}  // namespace veskin
