#include "recordset/VariantField.h"

namespace veskin {

Variant TVariantField::AsVariant() const {
    Variant value;
    if (!GetData(&value)) return Variant::Null();
    return value;
}

}  // namespace veskin
