#include "recordset/InterfaceField.h"

namespace veskin {

IInterfacePtr TInterfaceField::AsInterface() const {
    IInterfacePtr value;
    if (!GetData(&value)) return nullptr;
    return value;
}

Variant TInterfaceField::AsVariant() const {
    IInterfacePtr value;
    if (!GetData(&value)) return Variant::Null();
    return Variant::FromUnknown(value);
}

}  // namespace veskin
