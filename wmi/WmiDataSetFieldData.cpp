// Field values of the WMI record set: reading properties of the active record's object
// into field data, and writing field data back into the object.
#include <cstdint>
#include <string>
#include <typeinfo>
#include <utility>

#include "recordset/DatabaseError.h"
#include "recordset/DbConsts.h"
#include "recordset/Field.h"
#include "rtl/SysUtils.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiDataSetValues.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {

namespace {

// Text of at most maxDigits decimal digits and nothing else, as 64-bit integers arrive
// (WMI delivers them as text), read without converting the text; false otherwise.
bool ReadPlainDigits(const Variant& value, std::size_t maxDigits, std::uint64_t& out) {
    if (value.VarType() != varOleStr) return false;
    const WideString& text = value.RawOleStr();
    if (text.empty() || text.size() > maxDigits) return false;
    std::uint64_t v = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        v = v * 10 + static_cast<std::uint64_t>(c - u'0');
    }
    out = v;
    return true;
}

// The data of a 64-bit field: a uint32 value delivered as a negative 32-bit integer
// is taken unsigned, a uint64 value keeps its 64 bits; other values are 64-bit text.
std::int64_t LargeintFieldData(const TField* field, const Variant& value) {
    // The record set's own fields are nearly always exactly this class: comparing the
    // type first spares dynamic_cast's search on every read.
    const auto* large = typeid(*field) == typeid(TWmiLargeintField) ? static_cast<const TWmiLargeintField*>(field)
                                                                    : dynamic_cast<const TWmiLargeintField*>(field);
    const std::int32_t cimType = large != nullptr ? large->CimType() : 0;
    if (cimType == wbemCimtypeUint32 && value.VarType() == varInteger)
        return static_cast<std::uint32_t>(value.RawInt());
    // 19 digits always fit 64 unsigned bits, 18 the signed ones.
    std::uint64_t digits = 0;
    if (cimType == wbemCimtypeUint64) {
        if (ReadPlainDigits(value, 19, digits)) return static_cast<std::int64_t>(digits);
        return static_cast<std::int64_t>(WmiStrToUInt64(value.AsString()));
    }
    if (ReadPlainDigits(value, 18, digits)) return static_cast<std::int64_t>(digits);
    return WmiStrToInt64(value.AsString());
}

// The automation value written for a 64-bit field: uint32 travels as the 32-bit
// integer with the same bits, as the Scripting API delivers it; uint64 as its decimal
// text, so that values above the signed range survive.
Variant LargeintAutomationValue(std::int32_t cimType, std::int64_t data) {
    if (cimType == wbemCimtypeUint32 && data >= 0 && data <= UINT32_MAX)
        return Variant::FromInteger(static_cast<std::int32_t>(static_cast<std::uint32_t>(data)));
    if (cimType == wbemCimtypeUint64)
        return Variant::FromOleStr(AnsiToWide(std::to_string(static_cast<std::uint64_t>(data))));
    return Variant::FromInt64(data);
}

}  // namespace

bool TWmiDataSet::ReadFieldData(const TField* field, void* data) {
    TInterfaceHolder* record = ActiveHolder();
    if (record == nullptr || !record->WmiObject) return false;
    if (FIrregularView) {
        if (data != nullptr) *static_cast<Variant*>(data) = Variant::FromDispatch(record->WmiObject);
        return true;
    }
    const auto slot = static_cast<std::size_t>(field->FieldNo() > 0 ? field->FieldNo() : 0);
    if (slot >= FPropertySlots.size()) FPropertySlots.resize(slot + 1);
    Variant value = ReadFieldProperty(*record, field->FieldName(), FPropertySlots[slot]);
    if (value.IsNull()) return false;
    return PropertyToFieldData(field, std::move(value), data);
}

bool TWmiDataSet::PropertyToFieldData(const TField* field, Variant&& value, void* data) {
    if (data == nullptr) return true;
    switch (field->DataType()) {
        case ftSmallint:
        case ftWord:
            *static_cast<std::uint16_t*>(data) = static_cast<std::uint16_t>(value.AsInteger() & 0xFFFF);
            break;
        case ftInteger:
            *static_cast<std::int32_t*>(data) = value.AsInteger();
            break;
        case ftBoolean:
            *static_cast<std::int16_t*>(data) = value.AsBoolean() ? 1 : 0;
            break;
        case ftFloat:
            *static_cast<double*>(data) = value.AsDouble();
            break;
        case ftDateTime:
            *static_cast<double*>(data) = WmiDmtfToDateTime(value.AsString());
            break;
        case ftWideString:
            *static_cast<WideString*>(data) = value.VarType() == varOleStr ? value.TakeOleStr() : value.AsWideString();
            break;
        case ftLargeint:
            *static_cast<std::int64_t*>(data) = LargeintFieldData(field, value);
            break;
        case ftVariant:
            *static_cast<Variant*>(data) = value;
            break;
        default:
            throw Exception("Unknown data type in field " + field->FieldName());
    }
    return true;
}

Variant TWmiDataSet::CurrentPropertyValue(const std::string& name) {
    const ISWbemObjectPtr object = FStore ? FStore->CurrentObject() : nullptr;
    if (!object) DatabaseError(SRecordNotFound);
    ISWbemPropertySetPtr properties;
    WmiCheck(object->get_Properties_(properties));
    return WmiGetPropertyValue(properties, AnsiToWide(name));
}

void TWmiDataSet::WriteFieldData(TField* field, const void* data) {
    if (FReadOnly) DatabaseError(SDataSetReadOnly);
    TInterfaceHolder* record = ActiveHolder();
    if (record == nullptr || !record->WmiObject)
        DatabaseError(Format(SFieldAccessError, {field->FieldName(), std::string("any")}));

    TFieldDefs& defs = FIrregularView ? FRecordFieldDefs : FieldDefs();
    TFieldDef* found = defs.Find(AnsiToWide(field->FieldName()));
    if (found == nullptr) DatabaseError(Format(SFieldNotFound, {field->FieldName()}), this);
    auto* def = dynamic_cast<TWmiFieldDef*>(found);
    if (def == nullptr) throw Exception("Invalid class typecast");
    if (def->Attributes().contains(faReadonly)) DatabaseError(Format(SFieldReadOnly, {field->FieldName()}));

    Variant value = Variant::Null();
    if (data != nullptr) {
        switch (field->DataType()) {
            case ftSmallint:
                value = Variant::FromInteger(*static_cast<const std::int16_t*>(data));
                break;
            case ftWord:
                value = Variant::FromInteger(*static_cast<const std::uint16_t*>(data));
                break;
            case ftInteger:
                value = Variant::FromInteger(*static_cast<const std::int32_t*>(data));
                break;
            case ftBoolean:
                value = Variant::FromBoolean(*static_cast<const std::int16_t*>(data) != 0);
                break;
            case ftFloat:
                value = Variant::FromDouble(*static_cast<const double*>(data));
                break;
            case ftDateTime:
                value = Variant::FromOleStr(WmiDateTimeToDmtfLocal(*static_cast<const double*>(data)));
                break;
            case ftWideString:
                value = Variant::FromOleStr(*static_cast<const WideString*>(data));
                break;
            case ftLargeint:
                value = LargeintAutomationValue(def->CimType(), *static_cast<const std::int64_t*>(data));
                break;
            case ftVariant: {
                value = WmiAutomationValue(*static_cast<const Variant*>(data));
                const TVarType type = value.VarType();
                if (def->IsArray() && (type == varOleStr || type == varString))
                    value = WmiAutomationValue(WmiTextToArray(value.AsString()));
                break;
            }
            default:
                DatabaseError(Format(SUnknownFieldType, {field->FieldName()}));
        }
    }
    WmiSetPropertyValue(record->WmiObject, AnsiToWide(field->FieldName()), value);
    record->ClearCache();
}

}  // namespace veskin
