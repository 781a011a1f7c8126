#include "wmi/WmiDataSetFields.h"

#include "wmi/WmiUtil.h"

namespace veskin {

std::string TWmiVariantField::AsString() const { return WmiVariantToText(AsVariant()); }

void TWmiWideStringField::SetAsString(const std::string& value) {
    WideString text = AnsiToWide(value);
    const auto limit = static_cast<std::size_t>(Size() > 0 ? Size() : 0);
    if (text.size() > limit) {
        std::size_t keep = limit;
        // Never keep half of a surrogate pair.
        if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;
        text.resize(keep);
    }
    SetData(&text);
}

TFieldClass WmiFieldClassFor(TFieldType fieldType) {
    switch (fieldType) {
        case ftWideString: return &CreateFieldOf<TWmiWideStringField>;
        case ftVariant: return &CreateFieldOf<TWmiVariantField>;
        default: return nullptr;
    }
}

}  // namespace veskin
