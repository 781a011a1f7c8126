#include "platform/WbemObjectPath.h"

#include <string>

#include "platform/WbemScripting.h"

namespace veskin {

WbemObjectPath::WbemObjectPath(WideString server, WideString nameSpace, WideString className,
                               WideString relPath)
    : FServer(std::move(server)),
      FNameSpace(std::move(nameSpace)),
      FClass(std::move(className)),
      FRelPath(std::move(relPath)) {}

HRESULT WbemObjectPath::get_Path(WideString& path) {
    if (FRelPath.empty())
        path.clear();
    else if (FServer.empty())
        path = FNameSpace.empty() ? FRelPath : FNameSpace + u":" + FRelPath;
    else
        path = u"\\\\" + FServer + u"\\" + FNameSpace + u":" + FRelPath;
    return S_OK;
}

HRESULT WbemObjectPath::get_RelPath(WideString& relPath) {
    relPath = FRelPath;
    return S_OK;
}

HRESULT WbemObjectPath::get_Class(WideString& className) {
    className = FClass;
    return S_OK;
}

HRESULT WbemObjectPath::get_Namespace(WideString& nameSpace) {
    nameSpace = FNameSpace;
    return S_OK;
}

HRESULT WbemObjectPath::get_Server(WideString& server) {
    server = FServer;
    return S_OK;
}

namespace {

bool IsQuotedType(std::int32_t cimType) {
    return cimType == wbemCimtypeString || cimType == wbemCimtypeDatetime ||
           cimType == wbemCimtypeReference;
}

}  // namespace

WideString KeyCompareText(const Variant& value, std::int32_t cimType) {
    if (value.IsNull() || value.IsEmpty()) return WideString();
    if (value.VarType() == varBoolean) return value.RawBool() ? u"TRUE" : u"FALSE";
    if (cimType == wbemCimtypeUint32 && value.VarType() == varInteger)
        return AnsiToWide(std::to_string(static_cast<std::uint32_t>(value.RawInt())));
    if (cimType == wbemCimtypeChar16 && value.VarType() == varSmallint)
        return AnsiToWide(std::to_string(static_cast<std::uint16_t>(value.RawInt())));
    try {
        return value.AsWideString();
    } catch (const Exception&) {
        return WideString();
    }
}

WideString KeyValueText(const Variant& value, std::int32_t cimType) {
    WideString text = KeyCompareText(value, cimType);
    if (text.empty() && (value.IsNull() || value.IsEmpty())) return text;
    if (!IsQuotedType(cimType)) return text;
    WideString quoted = u"\"";
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"') quoted += u'\\';
        quoted += c;
    }
    quoted += u'"';
    return quoted;
}

WideString BuildRelPath(const WbemClass& cls, const std::function<Variant(std::size_t)>& valueAt) {
    const auto& keys = cls.KeyIndexes();
    if (cls.KeysIncomplete()) return WideString();
    if (keys.empty()) return cls.Name() + u"=@";
    WideString rel = cls.Name() + u".";
    bool first = true;
    for (std::size_t k : keys) {
        const WbemPropertyDef& def = cls.Properties()[k];
        Variant v = valueAt(k);
        if (v.IsNull() || v.IsEmpty() || def.IsArray) return WideString();
        if (!first) rel += u",";
        first = false;
        rel += def.Name + u"=" + KeyValueText(v, def.CimType);
    }
    return rel;
}

namespace {

bool IsNameChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_';
}

class PathParser {
public:
    explicit PathParser(const WideString& text) : FText(text) {}

    bool Parse(ParsedObjectPath& out) {
        std::size_t colon = PrefixEnd();
        if (colon != WideString::npos) {
            WideString prefix = FText.substr(0, colon);
            FPos = colon + 1;
            if (prefix.size() >= 2 && IsSep(prefix[0]) && IsSep(prefix[1])) {
                std::size_t sep = 2;
                while (sep < prefix.size() && !IsSep(prefix[sep])) ++sep;
                out.Server = prefix.substr(2, sep - 2);
                if (out.Server.empty() || sep >= prefix.size()) return false;
                out.NameSpace = prefix.substr(sep + 1);
            } else {
                out.NameSpace = prefix;
            }
            if (out.NameSpace.empty()) return false;
        }
        std::size_t start = FPos;
        while (FPos < FText.size() && IsNameChar(FText[FPos])) ++FPos;
        out.ClassName = FText.substr(start, FPos - start);
        if (out.ClassName.empty()) return false;
        if (AtEnd()) {
            out.IsClass = true;
            return true;
        }
        if (FText[FPos] == u'=') {
            ++FPos;
            if (FPos < FText.size() && FText[FPos] == u'@') {
                ++FPos;
                out.Singleton = true;
                return AtEnd();
            }
            WideString value;
            if (!Value(value)) return false;
            out.Keys.emplace_back(WideString(), value);
            return AtEnd();
        }
        if (FText[FPos] != u'.') return false;
        ++FPos;
        for (;;) {
            std::size_t nameStart = FPos;
            while (FPos < FText.size() && IsNameChar(FText[FPos])) ++FPos;
            WideString name = FText.substr(nameStart, FPos - nameStart);
            if (name.empty() || AtEnd() || FText[FPos] != u'=') return false;
            ++FPos;
            WideString value;
            if (!Value(value)) return false;
            out.Keys.emplace_back(name, value);
            if (AtEnd()) return true;
            if (FText[FPos] != u',') return false;
            ++FPos;
        }
    }

private:
    static bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }
    bool AtEnd() const { return FPos >= FText.size(); }

    // Position of the ':' ending a server/namespace prefix, outside quotes and before
    // the key part; npos when there is none.
    std::size_t PrefixEnd() const {
        // A server name may hold dots (an address): take the first ':' after it.
        if (FText.size() >= 2 && IsSep(FText[0]) && IsSep(FText[1])) return FText.find(u':');
        for (std::size_t i = 0; i < FText.size(); ++i) {
            char16_t c = FText[i];
            if (c == u':') return i;
            if (c == u'.' || c == u'=' || c == u'"' || c == u'\'') return WideString::npos;
        }
        return WideString::npos;
    }

    bool Value(WideString& value) {
        if (AtEnd()) return false;
        char16_t quote = FText[FPos];
        if (quote == u'"' || quote == u'\'') {
            ++FPos;
            while (!AtEnd() && FText[FPos] != quote) {
                if (FText[FPos] == u'\\') {
                    ++FPos;
                    if (AtEnd()) return false;
                }
                value += FText[FPos++];
            }
            if (AtEnd()) return false;  // no closing quote
            ++FPos;
            return true;
        }
        std::size_t start = FPos;
        while (!AtEnd() && FText[FPos] != u',') {
            char16_t c = FText[FPos];
            if (!IsNameChar(c) && c != u'-' && c != u'+' && c != u'.') return false;
            ++FPos;
        }
        value = FText.substr(start, FPos - start);
        return !value.empty();
    }

    const WideString& FText;
    std::size_t FPos = 0;
};

}  // namespace

HRESULT ParseObjectPath(const WideString& text, ParsedObjectPath& path) {
    path = ParsedObjectPath();
    PathParser parser(text);
    if (!parser.Parse(path)) {
        path = ParsedObjectPath();
        return WBEM_E_INVALID_OBJECT_PATH;
    }
    return S_OK;
}

}  // namespace veskin
