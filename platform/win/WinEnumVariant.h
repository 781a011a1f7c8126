#pragma once
// The system's IEnumVARIANT: each delivered VARIANT becomes our Variant, object
// elements in their matching adapter (ISWbemObject, ISWbemProperty, ...).
#include "platform/win/WinAdapter.h"

namespace veskin {

class TWinEnumVariant : public IEnumVARIANT, public TWinAdapter<::IEnumVARIANT> {
public:
    using TWinAdapter::TWinAdapter;
    HRESULT Next(std::uint32_t count, Variant* elements, std::uint32_t* fetched) override;
    HRESULT Skip(std::uint32_t count) override;
    HRESULT Reset() override;
};

}  // namespace veskin
