#include "tools/wmiquery/JsonText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/WbemScripting.h"
#include "rtl/WideString.h"
#include "wmi/WmiUtil.h"

namespace veskin {

namespace {

bool AllDigits(const std::string& text, std::size_t from, std::size_t count) {
    if (from + count > text.size()) return false;
    for (std::size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

int Number(const std::string& text, std::size_t from, std::size_t count) {
    return std::stoi(text.substr(from, count));
}

std::string Real(double value, bool single) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    const auto result = single ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value))
                               : std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// sint64 and uint64 arrive as text; decimal or "0x" hexadecimal per the Scripting API.
std::string Integer64(const std::string& text, bool isSigned) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        first += 2;
        base = 16;
    }
    if (isSigned) {
        std::int64_t value = 0;
        const auto r = std::from_chars(first, last, value, base);
        if (r.ec == std::errc() && r.ptr == last && first != last) return std::to_string(value);
    } else {
        std::uint64_t value = 0;
        const auto r = std::from_chars(first, last, value, base);
        if (r.ec == std::errc() && r.ptr == last && first != last) return std::to_string(value);
    }
    return JsonString(text);
}

std::string IntegerOfType(std::int64_t value, std::int32_t cimType) {
    switch (cimType) {
        case wbemCimtypeUint8: return std::to_string(static_cast<std::uint8_t>(value));
        case wbemCimtypeUint16: return std::to_string(static_cast<std::uint16_t>(value));
        case wbemCimtypeUint32: return std::to_string(static_cast<std::uint32_t>(value));
        case wbemCimtypeChar16: return JsonString(WideToAnsi(WideString(1, static_cast<char16_t>(value))));
        default: return std::to_string(value);
    }
}

std::string TextOfType(const std::string& text, std::int32_t cimType) {
    switch (cimType) {
        case wbemCimtypeSint64: return Integer64(text, true);
        case wbemCimtypeUint64: return Integer64(text, false);
        case wbemCimtypeDatetime: {
            const std::string iso = DmtfToIso8601(text);
            return JsonString(iso.empty() ? text : iso);
        }
        default: return JsonString(text);
    }
}

}  // namespace

std::string JsonString(const std::string& utf8) {
    const std::string text = WideToAnsi(AnsiToWide(utf8));
    std::string out = "\"";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (u < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", u);
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    return out + '"';
}

std::string JsonValue(const Variant& given, std::int32_t cimType) {
    const Variant& value = given.Deref();
    if (value.IsEmpty() || value.IsNull()) return "null";
    if (value.IsArray()) {
        std::string out = "[";
        for (int i = value.ArrayLowBound(); i <= value.ArrayHighBound(); ++i) {
            if (i > value.ArrayLowBound()) out += ',';
            out += JsonValue(value.GetElement(i), cimType);
        }
        return out + ']';
    }
    switch (value.VarType()) {
        case varBoolean: return value.RawBool() ? "true" : "false";
        case varShortInt:
        case varByte:
        case varSmallint:
        case varWord:
        case varInteger:
        case varLongWord:
        case varInt64: return IntegerOfType(value.RawInt(), cimType);
        case varUInt64: return std::to_string(value.RawUInt64());
        case varSingle: return Real(value.RawDouble(), true);
        case varDouble: return Real(value.RawDouble(), false);
        case varOleStr: return TextOfType(WideToAnsi(value.RawOleStr()), cimType);
        case varString: return TextOfType(value.RawString(), cimType);
        case varDispatch:
        case varUnknown: return JsonString(WmiVariantToText(value));
        default: return JsonString(VarToStr(value));
    }
}

std::string DmtfToIso8601(const std::string& dmtf) {
    // yyyymmddHHMMSS.mmmmmmsUUU, or the interval ddddddddHHMMSS.mmmmmm:000.
    if (dmtf.size() != 25 || !AllDigits(dmtf, 0, 14) || dmtf[14] != '.' || !AllDigits(dmtf, 15, 6) ||
        !AllDigits(dmtf, 22, 3))
        return std::string();
    const std::string micro = dmtf.substr(15, 6);
    char buffer[64];
    if (dmtf[21] == ':') {
        std::snprintf(buffer, sizeof buffer, "P%dDT%dH%dM%d.%sS", Number(dmtf, 0, 8), Number(dmtf, 8, 2),
                      Number(dmtf, 10, 2), Number(dmtf, 12, 2), micro.c_str());
        return buffer;
    }
    if (dmtf[21] != '+' && dmtf[21] != '-') return std::string();
    const int offset = Number(dmtf, 22, 3);
    std::snprintf(buffer, sizeof buffer, "%.4s-%.2s-%.2sT%.2s:%.2s:%.2s.%s%c%02d:%02d", dmtf.c_str(),
                  dmtf.c_str() + 4, dmtf.c_str() + 6, dmtf.c_str() + 8, dmtf.c_str() + 10, dmtf.c_str() + 12,
                  micro.c_str(), dmtf[21], offset / 60, offset % 60);
    return buffer;
}

}  // namespace veskin
