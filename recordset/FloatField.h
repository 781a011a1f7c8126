#pragma once
// Double-precision floating-point field.
#include "recordset/Field.h"

namespace veskin {

class TFloatField : public TField {
public:
    TFloatField() : TField(ftFloat) {}
    std::string ClassName() const override { return "TFloatField"; }
    int DataSize() const override { return 8; }

    // Significant digits of the text form.
    int Precision() const { return FPrecision; }
    void SetPrecision(int value) { FPrecision = value; }

    // General format with Precision significant digits and the user's decimal
    // separator; empty when null.
    std::string AsString() const override;
    std::int32_t AsInteger() const override;
    std::int64_t AsLargeInt() const override;
    double AsFloat() const override;
    Variant AsVariant() const override;
    void SetAsString(const std::string& value) override;
    void SetAsInteger(std::int32_t value) override { SetAsFloat(value); }
    void SetAsLargeInt(std::int64_t value) override { SetAsFloat(static_cast<double>(value)); }
    void SetAsFloat(double value) override { SetData(&value); }

protected:
    void SetVarValue(const Variant& value) override { SetAsFloat(value.AsDouble()); }

private:
    bool GetValue(double& value) const { return GetData(&value); }
    int FPrecision = 15;
};

}  // namespace veskin
