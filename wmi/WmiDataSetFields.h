#pragma once
// The two field classes of the WMI record set and the field class chosen per type.
#include <cstdint>
#include <string>

#include "recordset/DataSet.h"
#include "recordset/IntegerFields.h"
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

// The 64-bit integer field of the record set; it also carries the uint32 and uint64
// properties. With the property's CIM type set, a uint32 field holds 0 to 4294967295,
// and a uint64 field keeps all 64 bits and shows them as the unsigned decimal number
// (its value above 9223372036854775807 is an unsigned 64-bit variant; as a signed
// integer it is out of range).
class TWmiLargeintField : public TLargeintField {
public:
    std::string ClassName() const override { return "TWmiLargeintField"; }
    std::int32_t CimType() const { return FCimType; }
    void SetCimType(std::int32_t cimType) { FCimType = cimType; }
    bool IsUnsigned64() const;

    std::string AsString() const override;
    std::int64_t AsLargeInt() const override;
    double AsFloat() const override;
    Variant AsVariant() const override;
    void SetAsString(const std::string& value) override;
    void SetAsLargeInt(std::int64_t value) override;

    // The stored bits of a uint64 value; false when null.
    bool GetUnsigned(std::uint64_t& value) const;
    void SetAsUnsigned(std::uint64_t value);

protected:
    void SetVarValue(const Variant& value) override;

private:
    std::int32_t FCimType = 0;
};

// Decimal text as an unsigned 64-bit value; raises the framework's conversion error
// "'%s' is not a valid integer value" for anything else (empty text gives 0).
std::uint64_t WmiStrToUInt64(const std::string& text);

// TWmiWideStringField for ftWideString, TWmiVariantField for ftVariant,
// TWmiLargeintField for ftLargeint; null for every other type (the framework's default
// class applies).
TFieldClass WmiFieldClassFor(TFieldType fieldType);

}  // namespace veskin
