#pragma once
// Named-value sets (context values of WMI calls) of the system's WMI Scripting
// library behind our abstract interfaces.
#include "platform/win/WinAdapter.h"

namespace veskin {

class TWinNamedValue : public ISWbemNamedValue, public TWinAdapter<::ISWbemNamedValue> {
public:
    using TWinAdapter<::ISWbemNamedValue>::TWinAdapter;
    HRESULT get_Name(WideString& name) override;
    HRESULT get_Value(Variant& value) override;
};

class TWinNamedValueSet : public ISWbemNamedValueSet, public TWinAdapter<::ISWbemNamedValueSet> {
public:
    using TWinAdapter<::ISWbemNamedValueSet>::TWinAdapter;
    HRESULT Add(const WideString& name, const Variant& value, std::int32_t flags,
                ISWbemNamedValuePtr& namedValue) override;
    HRESULT Item(const WideString& name, std::int32_t flags, ISWbemNamedValuePtr& namedValue) override;
    HRESULT get_Count(std::int32_t& count) override;
    HRESULT get__NewEnum(IInterfacePtr& enumerator) override;
};

// A new, empty set of the system (class context: in-process server).
HRESULT CreateComNamedValueSet(TComPtr<::ISWbemNamedValueSet>& set);

}  // namespace veskin
