#include "recordset/DateTimeField.h"

namespace veskin {

std::string TDateTimeField::AsString() const {
    TDateTime v = 0;
    return GetData(&v) ? DateTimeToStr(v) : std::string();
}

TDateTime TDateTimeField::AsDateTime() const {
    TDateTime v = 0;
    return GetData(&v) ? v : 0.0;
}

Variant TDateTimeField::AsVariant() const {
    TDateTime v = 0;
    return GetData(&v) ? Variant::FromDate(v) : Variant::Null();
}

void TDateTimeField::SetAsString(const std::string& value) {
    if (value.empty())
        Clear();
    else
        SetAsDateTime(StrToDateTime(value));
}

}  // namespace veskin
