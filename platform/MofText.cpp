#include "platform/MofText.h"

#include <charconv>
#include <string>

#include "platform/CimValue.h"
#include "platform/WbemObject.h"

namespace veskin {

namespace {

WideString Quoted(const WideString& text) {
    WideString r = u"\"";
    for (char16_t c : text) {
        switch (c) {
            case u'\\': r += u"\\\\"; break;
            case u'"': r += u"\\\""; break;
            case u'\n': r += u"\\n"; break;
            case u'\r': r += u"\\r"; break;
            case u'\t': r += u"\\t"; break;
            default: r += c;
        }
    }
    return r + u"\"";
}

template <class T>
WideString Shortest(T value) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc()) return u"0";
    return AnsiToWide(std::string(buf, end));
}

WideString Indented(const WideString& text) {
    WideString r;
    for (char16_t c : text) {
        r += c;
        if (c == u'\n') r += u'\t';
    }
    return r;
}

WideString ScalarText(const Variant& v, std::int32_t cimType) {
    switch (v.VarType()) {
        case varNull:
        case varEmpty: return u"NULL";
        case varBoolean: return v.RawBool() ? u"TRUE" : u"FALSE";
        case varSingle: return Shortest(static_cast<float>(v.RawDouble()));
        case varDouble: return Shortest(v.RawDouble());
        case varOleStr:
            if (cimType == wbemCimtypeSint64 || cimType == wbemCimtypeUint64) return v.RawOleStr();
            return Quoted(v.RawOleStr());
        case varDispatch:
        case varUnknown: {
            auto obj = std::dynamic_pointer_cast<WbemObject>(v.RawInterface());
            if (obj) {
                WideString text = MofText(*obj);
                // The nested text's own ";" would double the property's.
                if (!text.empty() && text.back() == u';') text.pop_back();
                return Indented(text);
            }
            auto other = Supports<ISWbemObject>(v.RawInterface());
            WideString text;
            if (other && Succeeded(other->GetObjectText_(0, text))) return text;
            return u"NULL";
        }
        case varInteger:
            if (cimType == wbemCimtypeUint32)
                return AnsiToWide(std::to_string(static_cast<std::uint32_t>(v.RawInt())));
            return AnsiToWide(std::to_string(v.RawInt()));
        case varSmallint:
            if (cimType == wbemCimtypeChar16)
                return AnsiToWide(std::to_string(static_cast<std::uint16_t>(v.RawInt())));
            return AnsiToWide(std::to_string(v.RawInt()));
        default:
            try {
                return v.AsWideString();
            } catch (const Exception&) {
                return u"NULL";
            }
    }
}

WideString ValueText(const Variant& v, std::int32_t cimType) {
    if (!v.IsArray()) return ScalarText(v, cimType);
    WideString r = u"{";
    for (int i = v.ArrayLowBound(); i <= v.ArrayHighBound(); ++i) {
        if (i > v.ArrayLowBound()) r += u", ";
        r += ScalarText(v.GetElement(i), cimType);
    }
    return r + u"}";
}

}  // namespace

WideString MofText(const WbemObject& object) {
    const WbemClass& cls = *object.Class();
    WideString text = (object.IsClass() ? u"class " : u"instance of ") + cls.Name() + u"\n{\n";
    for (std::size_t i = 0; i < cls.PropertyCount(); ++i) {
        const WbemPropertyDef& def = cls.Properties()[i];
        if (object.IsClass()) {
            text += u"\t";
            if (def.IsKey()) text += u"[key] ";
            const char* type = CimTypeName(def.CimType);
            text += AnsiToWide(*type ? type : "object") + u" " + def.Name;
            if (def.IsArray) text += u"[]";
            text += u";\n";
            continue;
        }
        Variant v = object.GetValue(i);
        if (v.IsNull() || v.IsEmpty()) continue;
        text += u"\t" + def.Name + u" = " + ValueText(v, def.CimType) + u";\n";
    }
    return text + u"};";
}

}  // namespace veskin
