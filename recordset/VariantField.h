#pragma once
// Field holding an automation variant; its data is a Variant.
#include "recordset/Field.h"

namespace veskin {

class TVariantField : public TField {
public:
    TVariantField() : TField(ftVariant) {}
    std::string ClassName() const override { return "TVariantField"; }
    int DataSize() const override { return 16; }

    // Null when the data set has no value for the record.
    Variant AsVariant() const override;
    // The variant's conversions; "" for null in AsString.
    std::string AsString() const override { return VarToStr(AsVariant()); }
    WideString AsWideString() const override { return VarToWideStr(AsVariant()); }
    std::int32_t AsInteger() const override { return AsVariant().AsInteger(); }
    std::int64_t AsLargeInt() const override { return AsVariant().AsInt64(); }
    double AsFloat() const override { return AsVariant().AsDouble(); }
    bool AsBoolean() const override { return AsVariant().AsBoolean(); }
    TDateTime AsDateTime() const override { return AsVariant().AsDateTime(); }
    void SetAsString(const std::string& value) override { SetVarValue(Variant::FromString(value)); }
    void SetAsWideString(const WideString& value) override { SetVarValue(Variant::FromOleStr(value)); }
    void SetAsInteger(std::int32_t value) override { SetVarValue(Variant::FromInteger(value)); }
    void SetAsLargeInt(std::int64_t value) override { SetVarValue(Variant::FromInt64(value)); }
    void SetAsFloat(double value) override { SetVarValue(Variant::FromDouble(value)); }
    void SetAsBoolean(bool value) override { SetVarValue(Variant::FromBoolean(value)); }
    void SetAsDateTime(TDateTime value) override { SetVarValue(Variant::FromDate(value)); }

    std::string ValueText() const override { return AsString(); }

protected:
    void SetVarValue(const Variant& value) override { SetData(&value); }
};

}  // namespace veskin
