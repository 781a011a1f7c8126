#pragma once
// VARIANT, SAFEARRAY and BSTR converted to and from our Variant. Dispatch values
// become the matching adapter (see WrapComObject) and adapters go back as the COM
// object they stand for.
#include "platform/win/WinApi.h"

namespace veskin {

// A VARIANT that is cleared with its holder.
class TOleVariant {
public:
    TOleVariant() { ::VariantInit(&FValue); }
    ~TOleVariant() { ::VariantClear(&FValue); }
    TOleVariant(const TOleVariant&) = delete;
    TOleVariant& operator=(const TOleVariant&) = delete;
    VARIANT* Get() { return &FValue; }
    const VARIANT& Value() const { return FValue; }

private:
    VARIANT FValue;
};

// DISP_E_BADVARTYPE for a type our Variant cannot hold (records, arrays of more than
// one dimension: WMI hands out neither).
HRESULT OleToVariant(const VARIANT& source, Variant& target);

// target must be initialised and empty. DISP_E_TYPEMISMATCH for an object reference
// that does not come from COM (it has nothing to hand over).
HRESULT VariantToOle(const Variant& source, VARIANT& target);

}  // namespace veskin
