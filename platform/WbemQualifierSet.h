#pragma once
// The qualifiers of a property (ISWbemQualifierSet) and one qualifier (ISWbemQualifier).
#include <vector>

#include "platform/WbemClass.h"
#include "platform/WbemScripting.h"

namespace veskin {

class WbemQualifier : public ISWbemQualifier {
public:
    explicit WbemQualifier(WbemQualifierDef def) : FDef(std::move(def)) {}
    HRESULT get_Value(Variant& value) override;
    HRESULT get_Name(WideString& name) override;

private:
    WbemQualifierDef FDef;
};

class WbemQualifierSet : public ISWbemQualifierSet {
public:
    explicit WbemQualifierSet(std::vector<WbemQualifierDef> qualifiers)
        : FQualifiers(std::move(qualifiers)) {}
    // Elements are dispatch variants of ISWbemQualifier, in declaration order.
    HRESULT get__NewEnum(IInterfacePtr& enumerator) override;
    // WBEM_E_NOT_FOUND for a name the property lacks (names compare without case).
    HRESULT Item(const WideString& name, std::int32_t flags, ISWbemQualifierPtr& qualifier) override;
    HRESULT get_Count(std::int32_t& count) override;

private:
    std::vector<WbemQualifierDef> FQualifiers;
};

}  // namespace veskin
