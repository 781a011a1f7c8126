#include "recordset/BooleanField.h"

#include <cstdint>

#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "rtl/SysUtils.h"

namespace veskin {

std::string TBooleanField::AsString() const {
    std::int16_t v = 0;
    if (!GetData(&v)) return {};
    return v != 0 ? STextTrue : STextFalse;
}

bool TBooleanField::AsBoolean() const {
    std::int16_t v = 0;
    return GetData(&v) && v != 0;
}

Variant TBooleanField::AsVariant() const {
    std::int16_t v = 0;
    return GetData(&v) ? Variant::FromBoolean(v != 0) : Variant::Null();
}

void TBooleanField::SetAsBoolean(bool value) {
    std::int16_t v = value ? 1 : 0;
    SetData(&v);
}

void TBooleanField::SetAsString(const std::string& value) {
    if (value.empty()) {
        Clear();
        return;
    }
    const std::string falseText = STextFalse, trueText = STextTrue;
    if (value.size() <= falseText.size() && AnsiSameText(value, falseText.substr(0, value.size())))
        SetAsBoolean(false);
    else if (value.size() <= trueText.size() && AnsiSameText(value, trueText.substr(0, value.size())))
        SetAsBoolean(true);
    else
        DatabaseError(Format(SInvalidBoolValue, {value, DisplayName()}));
}

}  // namespace veskin
