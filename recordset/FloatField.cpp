#include "recordset/FloatField.h"

#include <cmath>

#include "recordset/DatabaseError.h"
#include "rtl/SysUtils.h"

namespace veskin {

std::string TFloatField::AsString() const {
    double v = 0;
    if (!GetValue(v)) return {};
    return FloatToStrGeneral(v, FPrecision, 0, FormatSettings());
}

double TFloatField::AsFloat() const {
    double v = 0;
    return GetValue(v) ? v : 0.0;
}

std::int64_t TFloatField::AsLargeInt() const {
    double rounded = std::nearbyint(AsFloat());
    // 2^63 itself is out of range; every double below it converts exactly.
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
        DatabaseError("Float value " + AsString() + " is not a valid integer value for field '" + DisplayName() + "'");
    return static_cast<std::int64_t>(rounded);
}

std::int32_t TFloatField::AsInteger() const {
    double rounded = std::nearbyint(AsFloat());
    if (!(rounded >= INT32_MIN && rounded <= INT32_MAX))
        DatabaseError("Float value " + AsString() + " is not a valid integer value for field '" + DisplayName() + "'");
    return static_cast<std::int32_t>(rounded);
}

Variant TFloatField::AsVariant() const {
    double v = 0;
    return GetValue(v) ? Variant::FromDouble(v) : Variant::Null();
}

void TFloatField::SetAsString(const std::string& value) {
    if (value.empty())
        Clear();
    else
        SetAsFloat(StrToFloat(value));
}

}  // namespace veskin
