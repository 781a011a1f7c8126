#pragma once
// A field: one column of a data set's records. The value lives in the data set; a
// field reads it through the data set's GetFieldData and writes it through SetFieldData
// in the layout of its field type, and gives it as typed values and as text.
#include <cstdint>
#include <string>

#include "recordset/FieldTypes.h"
#include "rtl/Component.h"
#include "rtl/DateTime.h"
#include "rtl/Variant.h"
#include "rtl/WideString.h"

namespace veskin {

class TDataSet;

class TField : public TObject {
public:
    explicit TField(TFieldType dataType);
    ~TField() override = default;
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    std::string ClassName() const override { return "TField"; }

    TDataSet* DataSet() const { return FDataSet; }
    // Position among the data set's fields; -1 without a data set.
    int Index() const;

    const std::string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::string& name) { FFieldName = name; }
    // Empty by default; DisplayName is the label when it is not empty, else FieldName.
    const std::string& DisplayLabel() const { return FDisplayLabel; }
    void SetDisplayLabel(const std::string& label) { FDisplayLabel = label; }
    std::string DisplayName() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    // Characters the field wants to be shown in; the class's default until set.
    int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultWidth(); }
    void SetDisplayWidth(int width) { FDisplayWidth = width; }
    bool Required() const { return FRequired; }
    void SetRequired(bool value) { FRequired = value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    int Size() const { return FSize; }
    void SetSize(int size) { FSize = size; }
    int FieldNo() const { return FFieldNo; }
    void SetFieldNo(int fieldNo) { FFieldNo = fieldNo; }
    TFieldType DataType() const { return FDataType; }
    // Bytes of the field's data in its layout.
    virtual int DataSize() const { return 0; }

    // Reads the active record's value into data (laid out for the field type; null
    // data only tests for a value). False when the value is null.
    bool GetData(void* data) const;
    // Writes data (null data sets the value to null).
    void SetData(const void* data);
    bool IsNull() const { return !GetData(nullptr); }
    void Clear() { SetData(nullptr); }

    // Typed access. A conversion the class does not offer raises
    // "Cannot access field '%s' as type %s".
    virtual std::string AsString() const;  // the class description, "(Name)", by default
    virtual WideString AsWideString() const { return AnsiToWide(AsString()); }
    virtual std::int32_t AsInteger() const;
    virtual std::int64_t AsLargeInt() const;
    virtual double AsFloat() const;
    virtual bool AsBoolean() const;
    virtual TDateTime AsDateTime() const;
    virtual Variant AsVariant() const;
    Variant Value() const { return AsVariant(); }

    virtual void SetAsString(const std::string& value);
    virtual void SetAsWideString(const WideString& value) { SetAsString(WideToAnsi(value)); }
    virtual void SetAsInteger(std::int32_t value);
    virtual void SetAsLargeInt(std::int64_t value);
    virtual void SetAsFloat(double value);
    virtual void SetAsBoolean(bool value);
    virtual void SetAsDateTime(TDateTime value);
    // Null and empty clear the field; anything else goes to SetVarValue.
    void SetAsVariant(const Variant& value);
    void SetValue(const Variant& value) { SetAsVariant(value); }

    // The text shown for the value in a results table.
    virtual std::string ValueText() const { return AsString(); }

protected:
    [[noreturn]] void AccessError(const char* typeName) const;
    // "(Name)" from the class name without its leading T and trailing Field, upper case
    // when the field has a value.
    std::string ClassDesc() const;
    virtual int DefaultWidth() const { return 10; }
    virtual void SetVarValue(const Variant& value);

private:
    friend class TDataSet;
    TDataSet* FDataSet = nullptr;
    std::string FFieldName;
    std::string FDisplayLabel;
    int FDisplayWidth = 0;
    bool FRequired = false;
    bool FReadOnly = false;
    int FSize = 0;
    int FFieldNo = 0;
    TFieldType FDataType;
};

}  // namespace veskin
