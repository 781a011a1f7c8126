#pragma once
// UTF-16 text field. Reading hands the data set a WideString* to assign the whole
// text to; writing hands it a const WideString*. Size is the length in characters.
#include "recordset/Field.h"

namespace veskin {

class TWideStringField : public TField {
public:
    TWideStringField() : TField(ftWideString) {}
    std::string ClassName() const override { return "TWideStringField"; }
    // Two bytes per character and a terminating zero character.
    int DataSize() const override { return 2 * Size() + 2; }

    // The text in 8-bit form; empty when null.
    std::string AsString() const override { return WideToAnsi(AsWideString()); }
    WideString AsWideString() const override;
    std::int32_t AsInteger() const override;
    std::int64_t AsLargeInt() const override;
    double AsFloat() const override;
    // True when the text begins with T or Y (any case).
    bool AsBoolean() const override;
    Variant AsVariant() const override;
    void SetAsString(const std::string& value) override { SetAsWideString(AnsiToWide(value)); }
    void SetAsWideString(const WideString& value) override;
    void SetAsInteger(std::int32_t value) override;
    void SetAsLargeInt(std::int64_t value) override;
    void SetAsFloat(double value) override;
    void SetAsBoolean(bool value) override;

protected:
    int DefaultWidth() const override { return Size() > 0 ? Size() : 10; }
    void SetVarValue(const Variant& value) override { SetAsWideString(value.AsWideString()); }
};

}  // namespace veskin
