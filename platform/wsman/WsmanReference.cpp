#include "platform/wsman/WsmanReference.h"

#include "platform/WbemObjectPath.h"
#include "platform/WbemScripting.h"
#include "platform/wsman/WsmanNames.h"
#include "platform/wsman/WsmanText.h"
#include "rtl/TextFold.h"

namespace veskin {

namespace {

// "host" of "http://host:5985/wsman" (IPv6 brackets kept); empty for the anonymous role
// and for text that is no such URL.
std::string_view HostOf(std::string_view address) {
    address = TrimXml(address);
    if (address == wsns::Anonymous) return {};
    const std::size_t scheme = address.find("://");
    if (scheme == std::string_view::npos) return {};
    std::string_view rest = address.substr(scheme + 3);
    const std::size_t at = rest.find('@');
    if (at != std::string_view::npos && at < rest.find('/')) rest = rest.substr(at + 1);
    std::size_t end = rest.find_first_of("/?#");
    rest = rest.substr(0, end);
    if (!rest.empty() && rest[0] == '[') {
        const std::size_t close = rest.find(']');
        return close == std::string_view::npos ? std::string_view() : rest.substr(0, close + 1);
    }
    return rest.substr(0, rest.find(':'));
}

WideString NamespaceText(std::string_view slashed) {
    WideString ns = WidenUtf8(TrimXml(slashed));
    for (auto& c : ns)
        if (c == u'/') c = u'\\';
    return ns;
}

}  // namespace

bool IsNamespaceSelector(std::string_view name) { return SameText(name, "__cimnamespace"); }

bool ReadEpr(const XmlNode& node, WsmanEpr& epr) {
    const XmlNode* holder = node.Is(wsns::Addressing, "EndpointReference")
                                ? &node
                                : node.Child(wsns::Addressing, "EndpointReference");
    if (!holder) holder = &node;
    const XmlNode* address = holder->Child(wsns::Addressing, "Address");
    const XmlNode* params = holder->Child(wsns::Addressing, "ReferenceParameters");
    if (!address && !params) return false;
    epr = {};
    if (address) epr.Address = TrimXml(address->Text);
    if (params) {
        if (const XmlNode* uri = params->Child(wsns::Wsman, "ResourceURI"))
            epr.ResourceUri = TrimXml(uri->Text);
        if (const XmlNode* set = params->Child(wsns::Wsman, "SelectorSet"))
            for (const XmlNode* s = set->FirstChild; s; s = s->Next)
                if (s->Is(wsns::Wsman, "Selector")) epr.Selectors.push_back(s);
    }
    return true;
}

WideString PathFromEpr(const WsmanEpr& epr, const WsmanDecodeContext& context, int depth) {
    std::string_view host = HostOf(epr.Address);
    WideString server = host.empty() ? WidenUtf8(context.Server) : WidenUtf8(host);

    std::string_view uri = epr.ResourceUri;
    const std::size_t slash = uri.rfind('/');
    std::string_view className = slash == std::string_view::npos ? uri : uri.substr(slash + 1);
    WideString nameSpace;
    for (const XmlNode* s : epr.Selectors) {
        const std::string_view* name = s->Attr({}, "Name");
        if (name && IsNamespaceSelector(*name)) nameSpace = NamespaceText(s->Text);
    }
    if (nameSpace.empty() && uri.starts_with(wsns::WmiResourcePrefix) &&
        slash > wsns::WmiResourcePrefix.size())
        nameSpace = NamespaceText(uri.substr(wsns::WmiResourcePrefix.size(),
                                             slash - wsns::WmiResourcePrefix.size()));
    if (nameSpace.empty()) nameSpace = context.NameSpace;

    WideString keys;
    for (const XmlNode* s : epr.Selectors) {
        const std::string_view* name = s->Attr({}, "Name");
        if (!name || IsNamespaceSelector(*name)) continue;
        // A selector may itself hold a reference: its value is that object's path.
        WideString value;
        WsmanEpr inner;
        if (s->FirstChild && depth < 8 && ReadEpr(*s, inner))
            value = PathFromEpr(inner, context, depth + 1);
        else
            value = WidenUtf8(s->Text);
        if (!keys.empty()) keys += u',';
        keys += WidenUtf8(*name) + u'=' + KeyValueText(Variant(value), wbemCimtypeString);
    }
    WideString path = u"\\\\" + server + u'\\' + nameSpace + u':' + WidenUtf8(className);
    path += keys.empty() ? WideString(u"=@") : u'.' + keys;
    return path;
}

}  // namespace veskin
