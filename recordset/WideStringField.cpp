#include "recordset/WideStringField.h"

#include "recordset/DbConsts.h"
#include "rtl/SysUtils.h"

namespace veskin {

WideString TWideStringField::AsWideString() const {
    WideString text;
    if (!GetData(&text)) return {};
    return text;
}

std::int32_t TWideStringField::AsInteger() const { return StrToInt(AsString()); }
std::int64_t TWideStringField::AsLargeInt() const { return StrToInt64(AsString()); }
double TWideStringField::AsFloat() const { return StrToFloat(AsString()); }

bool TWideStringField::AsBoolean() const {
    WideString text = AsWideString();
    if (text.empty()) return false;
    char16_t c = text[0];
    return c == u'T' || c == u't' || c == u'Y' || c == u'y';
}

Variant TWideStringField::AsVariant() const {
    WideString text;
    if (!GetData(&text)) return Variant::Null();
    return Variant::FromOleStr(text);
}

void TWideStringField::SetAsWideString(const WideString& value) { SetData(&value); }
void TWideStringField::SetAsInteger(std::int32_t value) { SetAsString(IntToStr(value)); }
void TWideStringField::SetAsLargeInt(std::int64_t value) { SetAsString(IntToStr(value)); }
void TWideStringField::SetAsFloat(double value) { SetAsString(FloatToStr(value)); }
void TWideStringField::SetAsBoolean(bool value) {
    SetAsString(std::string(1, value ? STextTrue[0] : STextFalse[0]));
}

}  // namespace veskin
