#pragma once
// Property and qualifier sets of the system's WMI Scripting library behind our
// abstract interfaces.
#include "platform/win/WinAdapter.h"

namespace veskin {

class TWinPropertySet : public ISWbemPropertySet, public TWinAdapter<::ISWbemPropertySet> {
public:
    using TWinAdapter<::ISWbemPropertySet>::TWinAdapter;
    HRESULT get__NewEnum(IInterfacePtr& enumerator) override;
    HRESULT Item(const WideString& name, std::int32_t flags, ISWbemPropertyPtr& property) override;
    HRESULT get_Count(std::int32_t& count) override;
};

class TWinProperty : public ISWbemProperty, public TWinAdapter<::ISWbemProperty> {
public:
    using TWinAdapter<::ISWbemProperty>::TWinAdapter;
    HRESULT get_Value(Variant& value) override;
    HRESULT put_Value(const Variant& value) override;
    HRESULT get_Name(WideString& name) override;
    HRESULT get_IsLocal(VARIANT_BOOL& isLocal) override;
    HRESULT get_Origin(WideString& origin) override;
    HRESULT get_CIMType(std::int32_t& cimType) override;
    HRESULT get_Qualifiers_(ISWbemQualifierSetPtr& qualifiers) override;
    HRESULT get_IsArray(VARIANT_BOOL& isArray) override;
};

class TWinQualifierSet : public ISWbemQualifierSet, public TWinAdapter<::ISWbemQualifierSet> {
public:
    using TWinAdapter<::ISWbemQualifierSet>::TWinAdapter;
    HRESULT get__NewEnum(IInterfacePtr& enumerator) override;
    HRESULT Item(const WideString& name, std::int32_t flags, ISWbemQualifierPtr& qualifier) override;
    HRESULT get_Count(std::int32_t& count) override;
};

class TWinQualifier : public ISWbemQualifier, public TWinAdapter<::ISWbemQualifier> {
public:
    using TWinAdapter<::ISWbemQualifier>::TWinAdapter;
    HRESULT get_Value(Variant& value) override;
    HRESULT get_Name(WideString& name) override;
};

}  // namespace veskin
