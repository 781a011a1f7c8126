#pragma once
// Values of CIM-typed properties in the form the Scripting API delivers them:
// string, datetime, reference, sint64, uint64 as UTF-16 text; boolean as boolean;
// uint8 as byte; sint8, sint16, char16 as 16-bit integer; uint16, sint32, uint32 as
// 32-bit integer (uint32 above 2^31 wraps to negative); real32 single; real64 double;
// embedded objects as dispatch references; arrays as variant arrays from 0; null as null.
#include <cstdint>

#include "platform/ComTypes.h"
#include "rtl/Variant.h"

namespace veskin {

// The MOF name of a CIM type ("uint32", "string", "object", ...); empty when unknown.
const char* CimTypeName(std::int32_t cimType);

// Converts any automation value into the delivered form of the CIM type (arrays
// element by element). Empty and null give null. WBEM_E_TYPE_MISMATCH when the value
// cannot be represented (text that is no number, a number out of range, an array for
// a scalar property or the other way round, an object that is no WMI object).
HRESULT CimCoerce(const Variant& value, std::int32_t cimType, bool isArray, Variant& out);

}  // namespace veskin
