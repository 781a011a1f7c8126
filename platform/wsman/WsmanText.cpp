#include "platform/wsman/WsmanText.h"

#include <charconv>
#include <cmath>

#include "rtl/IntegerText.h"
#include "rtl/TextFold.h"

namespace veskin {

WideString WidenUtf8(std::string_view text) { return AnsiToWide(text); }

std::string_view TrimXml(std::string_view text) {
    auto ws = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t b = 0, e = text.size();
    while (b < e && ws(text[b])) ++b;
    while (e > b && ws(text[e - 1])) --e;
    return text.substr(b, e - b);
}

bool ParseXsInt64(std::string_view text, std::int64_t& value) { return TryParseDecimal(TrimXml(text), value); }
bool ParseXsUInt64(std::string_view text, std::uint64_t& value) { return TryParseDecimal(TrimXml(text), value); }

bool ParseXsDouble(std::string_view text, double& value) {
    text = TrimXml(text);
    // XML Schema spells the specials INF, -INF and NaN.
    if (text == "INF" || text == "+INF") {
        value = HUGE_VAL;
        return true;
    }
    if (text == "-INF") {
        value = -HUGE_VAL;
        return true;
    }
    if (text == "NaN") {
        value = std::nan("");
        return true;
    }
    // One sign at most: from_chars takes a "-" but not a "+".
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text[0] == '-') return false;
    }
    if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '-' || text[0] == '.'))
        return false;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && p == text.data() + text.size();
}

bool ParseXsBoolean(std::string_view text, bool& value) {
    text = TrimXml(text);
    if (SameText(text, "true") || text == "1") {
        value = true;
        return true;
    }
    if (SameText(text, "false") || text == "0") {
        value = false;
        return true;
    }
    return false;
}

void AppendXmlEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\r': out += "&#13;"; break;
            default: out.push_back(c);
        }
    }
}

}  // namespace veskin
