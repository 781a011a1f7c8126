// Values between WMI and the record set: variants as text, text as arrays, 64-bit
// integers, named property access and the CIM type mapping.
#include <string>
#include <vector>

#include "rtl/SysUtils.h"
#include "wmi/NTStringTokenizer.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {

namespace {

// A reference the service reported as delivered but left empty is a failed call, not
// something to use.
template <class T>
void RequireObject(const std::shared_ptr<T>& object) {
    if (!object) WmiCheck(E_POINTER);
}

}  // namespace

AnsiString WmiVariantToText(const Variant& value) {
    const Variant& v = value.Deref();
    if (v.VarType() == varDispatch) {
        auto object = Supports<ISWbemObject>(v.RawInterface());
        if (!object) return "IDispatch";
        WideString text;
        WmiCheck(object->GetObjectText_(0, text));
        return WideToAnsi(text);
    }
    if (v.IsArray()) {
        std::string text = "{";
        const int low = v.ArrayLowBound();
        const int high = v.ArrayHighBound();
        for (int i = low; i <= high; ++i) {
            if (i > low) text += ", ";
            text += WmiVariantToText(v.GetElement(i));
        }
        return text + "}";
    }
    return VarToStr(v);
}

Variant WmiTextToArray(const AnsiString& text) {
    TNTStringTokenizer tokenizer(text, ",{} ");
    std::vector<std::string> pieces;
    while (!tokenizer.AtEnd()) {
        std::string piece = tokenizer.NextToken();
        if (!piece.empty()) pieces.push_back(std::move(piece));
    }
    if (pieces.empty()) return Variant::Null();
    Variant result = Variant::ArrayCreate(0, static_cast<int>(pieces.size()) - 1, varVariant);
    for (std::size_t i = 0; i < pieces.size(); ++i) result.PutElement(static_cast<int>(i), Variant(pieces[i]));
    return result;
}

std::int64_t WmiStrToInt64(const AnsiString& text) {
    if (text.empty()) return 0;
    return StrToInt64(text);
}

Variant WmiGetPropertyValue(const ISWbemPropertySetPtr& properties, const WideString& name) {
    RequireObject(properties);
    ISWbemPropertyPtr property;
    WmiCheck(properties->Item(name, 0, property));
    RequireObject(property);
    Variant value;
    WmiCheck(property->get_Value(value));
    return value;
}

ISWbemPropertyPtr WmiGetProperty(const ISWbemObjectPtr& object, const WideString& name) {
    RequireObject(object);
    ISWbemPropertySetPtr properties;
    WmiCheck(object->get_Properties_(properties));
    RequireObject(properties);
    ISWbemPropertyPtr property;
    WmiCheck(properties->Item(name, 0, property));
    RequireObject(property);
    return property;
}

void WmiSetPropertyValue(const ISWbemObjectPtr& object, const WideString& name, const Variant& value) {
    ISWbemPropertyPtr property = WmiGetProperty(object, name);
    WmiCheck(property->put_Value(value));
}

void WmiCimTypeToFieldType(std::int32_t cimType, VARIANT_BOOL isArray, TFieldType& fieldType, std::uint16_t& size) {
    size = 0;
    if (isArray != 0) {
        fieldType = ftVariant;
        return;
    }
    switch (cimType) {
        case wbemCimtypeSint16:
        case wbemCimtypeSint8: fieldType = ftSmallint; break;
        case wbemCimtypeSint32: fieldType = ftInteger; break;
        // The 64-bit field holds every uint32 value; the 32-bit one would show values
        // from 2^31 up as negative numbers.
        case wbemCimtypeUint32: fieldType = ftLargeint; break;
        case wbemCimtypeReal32:
        case wbemCimtypeReal64: fieldType = ftFloat; break;
        case wbemCimtypeString:
            fieldType = ftWideString;
            size = 65535;
            break;
        case wbemCimtypeBoolean: fieldType = ftBoolean; break;
        case wbemCimtypeObject: fieldType = ftInterface; break;
        case wbemCimtypeUint8:
        case wbemCimtypeUint16: fieldType = ftWord; break;
        case wbemCimtypeSint64:
        case wbemCimtypeUint64: fieldType = ftLargeint; break;
        case wbemCimtypeDatetime: fieldType = ftDateTime; break;
        case wbemCimtypeReference: fieldType = ftVariant; break;
        case wbemCimtypeChar16:
            fieldType = ftWideString;
            size = 2;
            break;
        default: throw TWmiException("Unsupported CIM data type: " + std::to_string(cimType));
    }
}

}  // namespace veskin
