#pragma once
// Integer fields: 16-bit signed and unsigned, 32-bit and 64-bit signed.
#include <cstdint>

#include "recordset/Field.h"

namespace veskin {

// Common behaviour of the integer fields: text in decimal, values checked against the
// range of the field's storage before they are written.
class TIntegerFieldBase : public TField {
public:
    std::string AsString() const override;
    std::int32_t AsInteger() const override;
    std::int64_t AsLargeInt() const override;
    double AsFloat() const override;
    Variant AsVariant() const override;
    void SetAsString(const std::string& value) override;
    void SetAsInteger(std::int32_t value) override { SetAsLargeInt(value); }
    void SetAsLargeInt(std::int64_t value) override;
    void SetAsFloat(double value) override;
    std::string ValueText() const override { return AsString(); }

    std::int64_t MinRange() const { return FMinRange; }
    std::int64_t MaxRange() const { return FMaxRange; }

protected:
    TIntegerFieldBase(TFieldType dataType, std::int64_t minRange, std::int64_t maxRange)
        : TField(dataType), FMinRange(minRange), FMaxRange(maxRange) {}
    // Reads the stored value; false when null.
    virtual bool GetValue(std::int64_t& value) const = 0;
    // Writes a value already checked against the range.
    virtual void PutValue(std::int64_t value) = 0;
    virtual Variant MakeVariant(std::int64_t value) const = 0;
    void SetVarValue(const Variant& value) override;

private:
    std::int64_t FMinRange;
    std::int64_t FMaxRange;
};

class TSmallintField : public TIntegerFieldBase {
public:
    TSmallintField() : TIntegerFieldBase(ftSmallint, INT16_MIN, INT16_MAX) {}
    std::string ClassName() const override { return "TSmallintField"; }
    int DataSize() const override { return 2; }

protected:
    int DefaultWidth() const override { return 6; }
    bool GetValue(std::int64_t& value) const override;
    void PutValue(std::int64_t value) override;
    Variant MakeVariant(std::int64_t value) const override;
};

class TWordField : public TIntegerFieldBase {
public:
    TWordField() : TIntegerFieldBase(ftWord, 0, UINT16_MAX) {}
    std::string ClassName() const override { return "TWordField"; }
    int DataSize() const override { return 2; }

protected:
    int DefaultWidth() const override { return 5; }
    bool GetValue(std::int64_t& value) const override;
    void PutValue(std::int64_t value) override;
    Variant MakeVariant(std::int64_t value) const override;
};

class TIntegerField : public TIntegerFieldBase {
public:
    TIntegerField() : TIntegerFieldBase(ftInteger, INT32_MIN, INT32_MAX) {}
    std::string ClassName() const override { return "TIntegerField"; }
    int DataSize() const override { return 4; }

protected:
    int DefaultWidth() const override { return 11; }
    bool GetValue(std::int64_t& value) const override;
    void PutValue(std::int64_t value) override;
    Variant MakeVariant(std::int64_t value) const override;
};

class TLargeintField : public TIntegerFieldBase {
public:
    TLargeintField() : TIntegerFieldBase(ftLargeint, INT64_MIN, INT64_MAX) {}
    std::string ClassName() const override { return "TLargeintField"; }
    int DataSize() const override { return 8; }

protected:
    int DefaultWidth() const override { return 15; }
    bool GetValue(std::int64_t& value) const override;
    void PutValue(std::int64_t value) override;
    Variant MakeVariant(std::int64_t value) const override;
};

}  // namespace veskin
