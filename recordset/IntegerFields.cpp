#include "recordset/IntegerFields.h"

#include <cmath>

#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "rtl/SysUtils.h"

namespace veskin {

std::string TIntegerFieldBase::AsString() const {
    std::int64_t v = 0;
    return GetValue(v) ? IntToStr(v) : std::string();
}

std::int64_t TIntegerFieldBase::AsLargeInt() const {
    std::int64_t v = 0;
    return GetValue(v) ? v : 0;
}

std::int32_t TIntegerFieldBase::AsInteger() const {
    std::int64_t v = AsLargeInt();
    if (v < INT32_MIN || v > INT32_MAX)
        DatabaseError(Format(SFieldRangeError, {v, DisplayName(), INT32_MIN, INT32_MAX}));
    return static_cast<std::int32_t>(v);
}

double TIntegerFieldBase::AsFloat() const { return static_cast<double>(AsLargeInt()); }

Variant TIntegerFieldBase::AsVariant() const {
    std::int64_t v = 0;
    return GetValue(v) ? MakeVariant(v) : Variant::Null();
}

void TIntegerFieldBase::SetAsString(const std::string& value) {
    if (value.empty())
        Clear();
    else
        SetAsLargeInt(StrToInt64(value));
}

void TIntegerFieldBase::SetAsLargeInt(std::int64_t value) {
    // A value outside the storage is refused rather than cut to its low bits.
    if (value < FMinRange || value > FMaxRange)
        DatabaseError(Format(SFieldRangeError, {value, DisplayName(), FMinRange, FMaxRange}));
    PutValue(value);
}

void TIntegerFieldBase::SetAsFloat(double value) {
    double rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<double>(FMinRange) && rounded <= static_cast<double>(FMaxRange)))
        DatabaseError("Float value " + FloatToStr(value) + " is not a valid value for field '" + DisplayName() + "'");
    SetAsLargeInt(static_cast<std::int64_t>(rounded));
}

void TIntegerFieldBase::SetVarValue(const Variant& value) { SetAsLargeInt(value.AsInt64()); }

// --- storage per class

bool TSmallintField::GetValue(std::int64_t& value) const {
    std::int16_t v = 0;
    if (!GetData(&v)) return false;
    value = v;
    return true;
}
void TSmallintField::PutValue(std::int64_t value) {
    auto v = static_cast<std::int16_t>(value);
    SetData(&v);
}
Variant TSmallintField::MakeVariant(std::int64_t value) const {
    return Variant::FromInteger(static_cast<std::int32_t>(value));
}

bool TWordField::GetValue(std::int64_t& value) const {
    std::uint16_t v = 0;
    if (!GetData(&v)) return false;
    value = v;
    return true;
}
void TWordField::PutValue(std::int64_t value) {
    auto v = static_cast<std::uint16_t>(value);
    SetData(&v);
}
Variant TWordField::MakeVariant(std::int64_t value) const {
    return Variant::FromInteger(static_cast<std::int32_t>(value));
}

bool TIntegerField::GetValue(std::int64_t& value) const {
    std::int32_t v = 0;
    if (!GetData(&v)) return false;
    value = v;
    return true;
}
void TIntegerField::PutValue(std::int64_t value) {
    auto v = static_cast<std::int32_t>(value);
    SetData(&v);
}
Variant TIntegerField::MakeVariant(std::int64_t value) const {
    return Variant::FromInteger(static_cast<std::int32_t>(value));
}

bool TLargeintField::GetValue(std::int64_t& value) const {
    std::int64_t v = 0;
    if (!GetData(&v)) return false;
    value = v;
    return true;
}
void TLargeintField::PutValue(std::int64_t value) { SetData(&value); }
Variant TLargeintField::MakeVariant(std::int64_t value) const { return Variant::FromInt64(value); }

}  // namespace veskin
