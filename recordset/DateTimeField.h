#pragma once
// Date-time field; its data is a double counting days since 1899-12-30.
#include "recordset/Field.h"

namespace veskin {

class TDateTimeField : public TField {
public:
    TDateTimeField() : TField(ftDateTime) {}
    std::string ClassName() const override { return "TDateTimeField"; }
    int DataSize() const override { return 8; }

    // The date in the user's short date format, then a blank and the long time unless
    // the time of day is 00:00:00; empty when null.
    std::string AsString() const override;
    double AsFloat() const override { return AsDateTime(); }
    TDateTime AsDateTime() const override;
    Variant AsVariant() const override;
    void SetAsString(const std::string& value) override;
    void SetAsFloat(double value) override { SetAsDateTime(value); }
    void SetAsDateTime(TDateTime value) override { SetData(&value); }

protected:
    int DefaultWidth() const override { return 18; }
    void SetVarValue(const Variant& value) override { SetAsDateTime(value.AsDateTime()); }
};

}  // namespace veskin
