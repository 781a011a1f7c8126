#pragma once
// Boolean field; its data is a 16-bit value, 0 for false and 1 for true (any
// non-zero value reads as true).
#include "recordset/Field.h"

namespace veskin {

class TBooleanField : public TField {
public:
    TBooleanField() : TField(ftBoolean) {}
    std::string ClassName() const override { return "TBooleanField"; }
    int DataSize() const override { return 2; }

    // "True" or "False"; empty when null.
    std::string AsString() const override;
    bool AsBoolean() const override;
    Variant AsVariant() const override;
    // Accepts the beginning of "True" or "False" in any letter case; empty clears.
    void SetAsString(const std::string& value) override;
    void SetAsBoolean(bool value) override;

protected:
    int DefaultWidth() const override { return 5; }
    void SetVarValue(const Variant& value) override { SetAsBoolean(value.AsBoolean()); }
};

}  // namespace veskin
