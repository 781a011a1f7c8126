#include "platform/CimValue.h"

#include <limits>
#include <string>

#include "platform/WbemScripting.h"
#include "rtl/IntegerText.h"

namespace veskin {

const char* CimTypeName(std::int32_t cimType) {
    switch (cimType) {
        case wbemCimtypeSint8: return "sint8";
        case wbemCimtypeUint8: return "uint8";
        case wbemCimtypeSint16: return "sint16";
        case wbemCimtypeUint16: return "uint16";
        case wbemCimtypeSint32: return "sint32";
        case wbemCimtypeUint32: return "uint32";
        case wbemCimtypeSint64: return "sint64";
        case wbemCimtypeUint64: return "uint64";
        case wbemCimtypeReal32: return "real32";
        case wbemCimtypeReal64: return "real64";
        case wbemCimtypeBoolean: return "boolean";
        case wbemCimtypeString: return "string";
        case wbemCimtypeDatetime: return "datetime";
        case wbemCimtypeReference: return "ref";
        case wbemCimtypeChar16: return "char16";
        case wbemCimtypeObject: return "object";
        default: return "";
    }
}

namespace {

struct Mismatch {};

bool IsText(const Variant& v) {
    return v.VarType() == varOleStr || v.VarType() == varString;
}

std::string Trimmed(const Variant& v) {
    std::string s = WideToAnsi(v.AsWideString());
    std::size_t b = s.find_first_not_of(" \t");
    std::size_t e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// A whole number from any numeric or text value, within [lo, hi].
std::int64_t IntegerIn(const Variant& v, std::int64_t lo, std::int64_t hi) {
    std::int64_t n = 0;
    if (IsText(v)) {
        if (!TryParseDecimal(Trimmed(v), n)) throw Mismatch{};
    } else if (v.VarType() == varUInt64) {
        std::uint64_t u = v.RawUInt64();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) throw Mismatch{};
        n = static_cast<std::int64_t>(u);
    } else if (v.VarType() == varSingle || v.VarType() == varDouble) {
        double d = v.RawDouble();
        if (!(d >= -9.2e18 && d <= 9.2e18) || d != static_cast<double>(static_cast<std::int64_t>(d)))
            throw Mismatch{};
        n = static_cast<std::int64_t>(d);
    } else {
        n = v.AsInt64();
    }
    if (n < lo || n > hi) throw Mismatch{};
    return n;
}

// Decimal text of a 64-bit value: any integer, or text holding one.
WideString Int64Text(const Variant& v, bool isUnsigned) {
    if (isUnsigned) {
        std::uint64_t u = 0;
        if (v.VarType() == varUInt64) {
            u = v.RawUInt64();
        } else if (IsText(v)) {
            if (!TryParseDecimal(Trimmed(v), u)) throw Mismatch{};
        } else {
            std::int64_t n = IntegerIn(v, 0, std::numeric_limits<std::int64_t>::max());
            u = static_cast<std::uint64_t>(n);
        }
        return AnsiToWide(std::to_string(u));
    }
    return AnsiToWide(std::to_string(IntegerIn(v, std::numeric_limits<std::int64_t>::min(),
                                               std::numeric_limits<std::int64_t>::max())));
}

Variant CoerceScalar(const Variant& value, std::int32_t cimType) {
    const Variant& v = value.Deref();
    if (v.IsNull() || v.IsEmpty()) return Variant::Null();
    if (v.IsArray()) throw Mismatch{};
    switch (cimType) {
        case wbemCimtypeString:
        case wbemCimtypeDatetime:
        case wbemCimtypeReference:
            if (v.VarType() == varDispatch || v.VarType() == varUnknown) throw Mismatch{};
            return Variant::FromOleStr(v.AsWideString());
        case wbemCimtypeSint64: return Variant::FromOleStr(Int64Text(v, false));
        case wbemCimtypeUint64: return Variant::FromOleStr(Int64Text(v, true));
        case wbemCimtypeBoolean: return Variant::FromBoolean(v.AsBoolean());
        case wbemCimtypeUint8: return Variant::FromByte(static_cast<std::uint8_t>(IntegerIn(v, 0, 255)));
        case wbemCimtypeSint8: return Variant::FromSmallint(static_cast<std::int16_t>(IntegerIn(v, -128, 127)));
        case wbemCimtypeSint16:
            return Variant::FromSmallint(static_cast<std::int16_t>(IntegerIn(v, -32768, 32767)));
        case wbemCimtypeChar16:
            if (IsText(v)) {
                WideString w = v.AsWideString();
                if (w.size() != 1) throw Mismatch{};
                return Variant::FromSmallint(static_cast<std::int16_t>(w[0]));
            }
            return Variant::FromSmallint(static_cast<std::int16_t>(IntegerIn(v, -32768, 65535)));
        case wbemCimtypeUint16:
            return Variant::FromInteger(static_cast<std::int32_t>(IntegerIn(v, 0, 65535)));
        case wbemCimtypeSint32:
            return Variant::FromInteger(static_cast<std::int32_t>(IntegerIn(v, INT32_MIN, INT32_MAX)));
        case wbemCimtypeUint32:
            // Values from 2^31 up travel as negative 32-bit integers; both forms are accepted.
            return Variant::FromInteger(static_cast<std::int32_t>(
                static_cast<std::uint32_t>(IntegerIn(v, INT32_MIN, UINT32_MAX))));
        case wbemCimtypeReal32: return Variant::FromSingle(static_cast<float>(v.AsDouble()));
        case wbemCimtypeReal64: return Variant::FromDouble(v.AsDouble());
        case wbemCimtypeObject: {
            if (v.VarType() != varDispatch && v.VarType() != varUnknown) throw Mismatch{};
            auto obj = Supports<ISWbemObject>(v.RawInterface());
            if (!obj) throw Mismatch{};
            return Variant::FromDispatch(obj);
        }
        default: throw Mismatch{};
    }
}

}  // namespace

HRESULT CimCoerce(const Variant& value, std::int32_t cimType, bool isArray, Variant& out) {
    try {
        const Variant& v = value.Deref();
        if (v.IsNull() || v.IsEmpty()) {
            out = Variant::Null();
            return S_OK;
        }
        if (!isArray) {
            out = CoerceScalar(v, cimType);
            return S_OK;
        }
        if (!v.IsArray()) return WBEM_E_TYPE_MISMATCH;
        std::vector<Variant> elements;
        elements.reserve(static_cast<std::size_t>(v.ArrayCount()));
        for (int i = v.ArrayLowBound(); i <= v.ArrayHighBound(); ++i)
            elements.push_back(CoerceScalar(v.GetElement(i), cimType));
        out = Variant::ArrayOf(std::move(elements));
        return S_OK;
    } catch (const Mismatch&) {
        return WBEM_E_TYPE_MISMATCH;
    } catch (const Exception&) {
        return WBEM_E_TYPE_MISMATCH;
    }
}

}  // namespace veskin
