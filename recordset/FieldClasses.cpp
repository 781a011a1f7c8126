#include "recordset/FieldClasses.h"

namespace veskin {

TFieldClass DefaultFieldClass(TFieldType fieldType) {
    switch (fieldType) {
        case ftSmallint: return &CreateFieldOf<TSmallintField>;
        case ftWord: return &CreateFieldOf<TWordField>;
        case ftInteger: return &CreateFieldOf<TIntegerField>;
        case ftLargeint: return &CreateFieldOf<TLargeintField>;
        case ftFloat: return &CreateFieldOf<TFloatField>;
        case ftBoolean: return &CreateFieldOf<TBooleanField>;
        case ftDateTime: return &CreateFieldOf<TDateTimeField>;
        case ftWideString: return &CreateFieldOf<TWideStringField>;
        case ftVariant: return &CreateFieldOf<TVariantField>;
        case ftInterface: return &CreateFieldOf<TInterfaceField>;
        default: return nullptr;
    }
}

}  // namespace veskin
