#pragma once
// The two field classes of the WMI record set and the field class chosen per type.
#include <string>

#include "recordset/DataSet.h"
#include "recordset/VariantField.h"
#include "recordset/WideStringField.h"

namespace veskin {

// A variant field whose text is the WMI display text of its value (arrays in braces,
// embedded objects as their object text).
class TWmiVariantField : public TVariantField {
public:
    std::string ClassName() const override { return "TWmiVariantField"; }
    std::string AsString() const override;
    std::string ValueText() const override { return AsString(); }
};

// A wide-string field sized in characters; text set from 8-bit text is cut to Size
// characters (65535 for a string property, 2 for a char16 property).
class TWmiWideStringField : public TWideStringField {
public:
    std::string ClassName() const override { return "TWmiWideStringField"; }
    int DataSize() const override { return Size() + 2; }
    void SetAsString(const std::string& value) override;
};

// TWmiWideStringField for ftWideString, TWmiVariantField for ftVariant; null for every
// other type (the framework's default class applies).
TFieldClass WmiFieldClassFor(TFieldType fieldType);

}  // namespace veskin
