#pragma once
// The named-value set (SWbemNamedValueSet): an ordered list of name/value pairs whose
// names compare without regard to case.
#include <mutex>
#include <vector>

#include "platform/ComObjects.h"
#include "platform/WbemScripting.h"

namespace veskin {

class WbemNamedValue : public ISWbemNamedValue {
public:
    WbemNamedValue(WideString name, Variant value);
    HRESULT get_Name(WideString& name) override;
    HRESULT get_Value(Variant& value) override;

    const WideString& Name() const { return FName; }
    Variant Value() const;
    void SetValue(const Variant& value);

private:
    WideString FName;
    mutable std::mutex FLock;
    Variant FValue;
};

class WbemNamedValueSet : public ISWbemNamedValueSet {
public:
    // Adds the pair; a name that is already there (in any letter case) gets the new value.
    HRESULT Add(const WideString& name, const Variant& value, std::int32_t flags,
                ISWbemNamedValuePtr& namedValue) override;
    // WBEM_E_NOT_FOUND for a name the set lacks.
    HRESULT Item(const WideString& name, std::int32_t flags,
                 ISWbemNamedValuePtr& namedValue) override;
    HRESULT get_Count(std::int32_t& count) override;
    // Elements are dispatch variants of ISWbemNamedValue, in the order of addition.
    HRESULT get__NewEnum(IInterfacePtr& enumerator) override;

    // The pairs in order (a snapshot).
    std::vector<std::shared_ptr<WbemNamedValue>> Items() const;

private:
    mutable std::mutex FLock;
    std::vector<std::shared_ptr<WbemNamedValue>> FItems;
};

// The class factory the registry uses for CLSID_SWbemNamedValueSet.
ClassFactory NamedValueSetFactory();

}  // namespace veskin
