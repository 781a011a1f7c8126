// The instance element WS-Transfer Put sends: one child per property in class order,
// nulls as xsi:nil, arrays as repeated elements, datetimes as cim:Datetime or
// cim:Interval, references as endpoint references, embedded objects as nested elements.
#include <charconv>
#include <cmath>

#include "platform/WbemObjectPath.h"
#include "platform/WbemScripting.h"
#include "platform/wsman/WsmanDecoder.h"
#include "platform/wsman/WsmanNames.h"
#include "platform/wsman/WsmanText.h"
#include "rtl/Exception.h"

namespace veskin {

namespace {

class Encoder {
public:
    explicit Encoder(std::string& out) : FOut(out) {}

    // The element of object in namespace uri; prefix names that namespace.
    void Instance(const WbemObject& object, const std::string& uri, const std::string& prefix,
                  int depth) {
        const std::string cls = WideToAnsi(object.Class()->Name());
        FOut += '<' + prefix + ':' + cls + " xmlns:" + prefix + "=\"";
        AppendXmlEscaped(FOut, uri);
        FOut += '"';
        if (depth == 0) {
            FOut += " xmlns:xsi=\"" + std::string(wsns::Xsi) + "\" xmlns:cim=\"" +
                    std::string(wsns::Cim) + "\" xmlns:a=\"" + std::string(wsns::Addressing) +
                    "\" xmlns:w=\"" + std::string(wsns::Wsman) + '"';
        }
        FOut += " xsi:type=\"" + prefix + ':' + cls + "_Type\">";
        const auto& props = object.Class()->Properties();
        for (std::size_t i = 0; i < props.size(); ++i) {
            const std::string name = prefix + ':' + WideToAnsi(props[i].Name);
            const Variant value = object.GetValue(i);
            if (value.IsNull() || value.IsEmpty()) {
                FOut += '<' + name + " xsi:nil=\"true\"/>";
            } else if (value.IsArray()) {
                for (const Variant& e : value.ArrayData().Elements)
                    Property(name, props[i].CimType, e, uri, depth);
            } else {
                Property(name, props[i].CimType, value, uri, depth);
            }
        }
        FOut += "</" + prefix + ':' + cls + '>';
    }

private:
    void Property(const std::string& name, std::int32_t cimType, const Variant& value,
                  const std::string& uri, int depth) {
        if (value.IsNull() || value.IsEmpty()) {
            FOut += '<' + name + " xsi:nil=\"true\"/>";
            return;
        }
        FOut += '<' + name + '>';
        try {
            Value(cimType, value, uri, depth);
        } catch (const Exception&) {
            // A value the object model should never hold: sent as its text, if any.
        }
        FOut += "</" + name + '>';
    }

    void Text(const Variant& value) { AppendXmlEscaped(FOut, WideToAnsi(VarToWideStr(value))); }

    void Number(double d, bool single) {
        if (std::isnan(d)) {
            FOut += "NaN";
            return;
        }
        if (std::isinf(d)) {
            FOut += d < 0 ? "-INF" : "INF";
            return;
        }
        char buf[40];
        auto r = single ? std::to_chars(buf, buf + sizeof buf, static_cast<float>(d))
                        : std::to_chars(buf, buf + sizeof buf, d);
        FOut.append(buf, r.ptr);
    }

    void Reference(const WideString& path) {
        ParsedObjectPath parsed;
        if (path.empty() || ParseObjectPath(path, parsed) < 0 || parsed.IsClass) {
            AppendXmlEscaped(FOut, WideToAnsi(path));
            return;
        }
        std::string ns = WideToAnsi(parsed.NameSpace);
        for (auto& c : ns)
            if (c == '\\') c = '/';
        FOut += "<a:Address>" + std::string(wsns::Anonymous) +
                "</a:Address><a:ReferenceParameters><w:ResourceURI>";
        AppendXmlEscaped(FOut, std::string(wsns::WmiResourcePrefix) + (ns.empty() ? "root/cimv2" : ns) +
                                   '/' + WideToAnsi(parsed.ClassName));
        FOut += "</w:ResourceURI><w:SelectorSet>";
        for (const auto& [key, value] : parsed.Keys) {
            FOut += "<w:Selector Name=\"";
            AppendXmlEscaped(FOut, WideToAnsi(key));
            FOut += "\">";
            AppendXmlEscaped(FOut, WideToAnsi(value));
            FOut += "</w:Selector>";
        }
        if (!ns.empty()) {
            FOut += "<w:Selector Name=\"__cimnamespace\">";
            AppendXmlEscaped(FOut, ns);
            FOut += "</w:Selector>";
        }
        FOut += "</w:SelectorSet></a:ReferenceParameters>";
    }

    void Value(std::int32_t cimType, const Variant& value, const std::string& uri, int depth) {
        switch (cimType) {
            case wbemCimtypeDatetime: {
                const std::string dmtf = WideToAnsi(VarToWideStr(value));
                bool interval = false;
                const std::string xs = XsFromDmtf(dmtf, interval);
                if (xs.empty()) {
                    AppendXmlEscaped(FOut, dmtf);
                } else {
                    const char* tag = interval ? "cim:Interval" : "cim:Datetime";
                    FOut += std::string("<") + tag + '>' + xs + "</" + tag + '>';
                }
                return;
            }
            case wbemCimtypeReference: Reference(VarToWideStr(value)); return;
            case wbemCimtypeBoolean: FOut += value.AsBoolean() ? "true" : "false"; return;
            case wbemCimtypeUint8:
            case wbemCimtypeSint8:
            case wbemCimtypeSint16:
            case wbemCimtypeUint16:
            case wbemCimtypeSint32: FOut += std::to_string(value.AsInt64()); return;
            case wbemCimtypeUint32:
                // Delivered as a 32-bit integer: values from 2^31 up arrive negative.
                FOut += std::to_string(static_cast<std::uint32_t>(value.AsInt64()));
                return;
            case wbemCimtypeChar16: {
                const auto code = static_cast<char16_t>(static_cast<std::uint16_t>(value.AsInt64()));
                AppendXmlEscaped(FOut, WideToAnsi(WideString(1, code)));
                return;
            }
            case wbemCimtypeReal32: Number(value.AsDouble(), true); return;
            case wbemCimtypeReal64: Number(value.AsDouble(), false); return;
            case wbemCimtypeObject: {
                auto object = std::dynamic_pointer_cast<WbemObject>(value.AsInterface());
                if (!object || depth > 16) return;
                const std::string nested = uri.substr(0, uri.rfind('/') + 1) +
                                           WideToAnsi(object->Class()->Name());
                std::string prefix = "e";  // appended: GCC 12 at -O3 reports a false overlap for "e" + text
                prefix += std::to_string(depth + 1);
                Instance(*object, nested, prefix, depth + 1);
                return;
            }
            default: Text(value); return;
        }
    }

    std::string& FOut;
};

}  // namespace

std::string EncodeWsmanInstance(const WbemObject& object, const std::string& resourceUri) {
    std::string out;
    out.reserve(64 * object.Class()->PropertyCount() + 256);
    Encoder(out).Instance(object, resourceUri, "p", 0);
    return out;
}

}  // namespace veskin
