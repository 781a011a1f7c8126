#include "wmi/WmiDataSetFields.h"

#include <limits>

#include "platform/WbemScripting.h"
#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "rtl/IntegerText.h"
#include "rtl/SysUtils.h"
#include "wmi/WmiUtil.h"

namespace veskin {

std::string TWmiVariantField::AsString() const {
    Variant value = AsVariant();
    if (FCimType == wbemCimtypeUint32 && value.IsArray()) {
        std::vector<Variant> elements;
        for (int i = value.ArrayLowBound(); i <= value.ArrayHighBound(); ++i) {
            const Variant& e = value.GetElement(i).Deref();
            const bool wrapped = e.VarType() == varInteger && e.RawInt() < 0;
            elements.push_back(wrapped ? Variant::FromInt64(static_cast<std::uint32_t>(e.RawInt())) : e);
        }
        value = Variant::ArrayOf(std::move(elements));
    }
    return WmiVariantToText(value);
}

void TWmiWideStringField::SetAsString(const std::string& value) {
    WideString text = AnsiToWide(value);
    const auto limit = static_cast<std::size_t>(Size() > 0 ? Size() : 0);
    if (text.size() > limit) {
        std::size_t keep = limit;
        // Never keep half of a surrogate pair.
        if (keep > 0 && IsHighSurrogate(text[keep - 1])) --keep;
        text.resize(keep);
    }
    SetData(&text);
}

// ---- TWmiLargeintField

namespace {

constexpr auto kInt64Max = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

}  // namespace

std::uint64_t WmiStrToUInt64(const std::string& text) {
    const std::string digits = Trim(text);
    if (digits.empty()) return 0;
    std::uint64_t value = 0;
    if (!TryParseDecimal(digits, value)) StrToInt64(text);  // raises
    return value;
}

bool TWmiLargeintField::IsUnsigned64() const { return FCimType == wbemCimtypeUint64; }

bool TWmiLargeintField::GetUnsigned(std::uint64_t& value) const {
    std::int64_t bits = 0;
    if (!GetValue(bits)) return false;
    value = static_cast<std::uint64_t>(bits);
    return true;
}

void TWmiLargeintField::SetAsUnsigned(std::uint64_t value) { PutValue(static_cast<std::int64_t>(value)); }

std::string TWmiLargeintField::AsString() const {
    std::uint64_t value = 0;
    if (!IsUnsigned64()) return TLargeintField::AsString();
    return GetUnsigned(value) ? std::to_string(value) : std::string();
}

std::int64_t TWmiLargeintField::AsLargeInt() const {
    std::uint64_t value = 0;
    if (!IsUnsigned64() || !GetUnsigned(value) || value <= kInt64Max) return TLargeintField::AsLargeInt();
    DatabaseError(Format(SFieldRangeError, {value, DisplayName(), std::int64_t{0}, kInt64Max}));
}

double TWmiLargeintField::AsFloat() const {
    std::uint64_t value = 0;
    if (IsUnsigned64() && GetUnsigned(value)) return static_cast<double>(value);
    return TLargeintField::AsFloat();
}

Variant TWmiLargeintField::AsVariant() const {
    std::uint64_t value = 0;
    if (IsUnsigned64() && GetUnsigned(value) && value > kInt64Max) return Variant::FromUInt64(value);
    return TLargeintField::AsVariant();
}

void TWmiLargeintField::SetAsString(const std::string& value) {
    std::int64_t signedValue = 0;
    if (IsUnsigned64() && !Trim(value).empty() && !TryStrToInt64(value, signedValue))
        SetAsUnsigned(WmiStrToUInt64(value));
    else
        TLargeintField::SetAsString(value);
}

void TWmiLargeintField::SetAsLargeInt(std::int64_t value) {
    const std::int64_t top = FCimType == wbemCimtypeUint32 ? std::numeric_limits<std::uint32_t>::max()
                                                           : std::numeric_limits<std::int64_t>::max();
    const bool isUnsigned = FCimType == wbemCimtypeUint32 || IsUnsigned64();
    if (isUnsigned && (value < 0 || value > top))
        DatabaseError(Format(SFieldRangeError, {value, DisplayName(), std::int64_t{0}, top}));
    TLargeintField::SetAsLargeInt(value);
}

void TWmiLargeintField::SetVarValue(const Variant& value) {
    if (IsUnsigned64() && value.VarType() == varUInt64)
        SetAsUnsigned(value.RawUInt64());
    else
        TLargeintField::SetVarValue(value);
}

TFieldClass WmiFieldClassFor(TFieldType fieldType) {
    switch (fieldType) {
        case ftLargeint: return &CreateFieldOf<TWmiLargeintField>;
        case ftWideString: return &CreateFieldOf<TWmiWideStringField>;
        case ftVariant: return &CreateFieldOf<TWmiVariantField>;
        default: return nullptr;
    }
}

}  // namespace veskin
