#include "platform/wsman/WsmanFaults.h"

#include <string_view>

#include "platform/wsman/WsmanDecoder.h"
#include "platform/wsman/WsmanNames.h"
#include "platform/wsman/WsmanText.h"
#include "platform/wsman/WsmanTransport.h"

namespace veskin {

namespace {

// A result code written in decimal (as servers do) or as 0x-prefixed hex; 0 for none.
HRESULT CodeFromText(std::string_view text) {
    text = TrimXml(text);
    std::uint64_t value = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        for (char c : text.substr(2)) {
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0 || value > 0xFFFFFFFull) return 0;
            value = value * 16 + static_cast<std::uint64_t>(digit);
        }
    } else if (!ParseXsUInt64(text, value) || value > 0xFFFFFFFFull) {
        return 0;
    }
    // Small codes are Win32 errors (5 for a refused access): as result codes.
    if (value > 0 && value <= 0xFFFF) value |= 0x80070000u;
    return MakeHResult(static_cast<std::uint32_t>(value));
}

// Text with its runs of white space made single spaces, trimmed.
std::string Collapsed(std::string_view text) {
    std::string out;
    bool space = false;
    for (char c : TrimXml(text)) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            space = true;
            continue;
        }
        if (space) out.push_back(' ');
        space = false;
        out.push_back(c);
    }
    return out;
}

// The words of a WSManFault's Message: its own text, else the message of the provider
// fault or the nested WSManFault it wraps (extended status objects are no message).
std::string MessageText(const XmlNode& node, int depth = 0) {
    std::string own = Collapsed(node.Text);
    if (!own.empty() || depth > 8) return own;
    for (const XmlNode* c = node.FirstChild; c; c = c->Next) {
        std::string found;
        if (c->Name == "WSManFault") {
            if (const XmlNode* m = c->ChildNamed("Message")) found = MessageText(*m, depth + 1);
        } else if (c->Name == "ProviderFault" || c->Name == "Message") {
            found = MessageText(*c, depth + 1);
        }
        if (!found.empty()) return found;
    }
    return {};
}

// The prefix-free part of a QName value such as "w:TimedOut".
std::string_view LocalPart(std::string_view qname) {
    qname = TrimXml(qname);
    const std::size_t colon = qname.rfind(':');
    return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

HRESULT CodeFromSubcode(std::string_view subcode, std::string_view faultDetail) {
    if (subcode == "TimedOut") return WSMAN_E_OPERATION_TIMEOUT;
    if (subcode == "InvalidEnumerationContext") return WSMAN_E_INVALID_ENUMERATION_CONTEXT;
    if (subcode == "InvalidSelectors") return WSMAN_E_INVALID_SELECTORS;
    if (subcode == "AccessDenied") return E_ACCESSDENIED;
    if (subcode.find("Quota") != std::string_view::npos) return WSMAN_E_QUOTA;
    if (subcode == "DestinationUnreachable" || subcode == "InvalidResourceURI" ||
        faultDetail.ends_with("InvalidResourceURI"))
        return WSMAN_E_INVALID_RESOURCE_URI;
    return 0;
}

// False when the bytes hold no start tag named Fault under any prefix ("<Fault" or
// "<x:Fault"): such an answer needs no parse to know it is no fault. Text cannot hold
// a raw "<", so a false answer is always right; a true one only costs the parse.
bool MayHoldFault(std::string_view body) {
    for (std::size_t at = body.find("Fault"); at != std::string_view::npos; at = body.find("Fault", at + 5)) {
        std::size_t i = at;
        if (i > 0 && body[i - 1] == ':') {
            --i;
            while (i > 0 && body[i - 1] != '<' && body[i - 1] != '>' && body[i - 1] != ' ' &&
                   body[i - 1] != '\n' && body[i - 1] != '\t' && body[i - 1] != '\r' && body[i - 1] != ':')
                --i;
        }
        if (i > 0 && body[i - 1] == '<') return true;
    }
    return false;
}

}  // namespace

const XmlNode* SoapBody(const XmlNode* root) {
    if (!root || !root->Is(wsns::Soap, "Envelope")) return nullptr;
    return root->Child(wsns::Soap, "Body");
}

bool FaultFromTree(const XmlNode& envelope, HRESULT& code, std::string& message) {
    const XmlNode* body = SoapBody(&envelope);
    const XmlNode* fault = body ? body->Child(wsns::Soap, "Fault") : nullptr;
    if (!fault) return false;

    std::string_view subcode;
    if (const XmlNode* c = fault->Child(wsns::Soap, "Code")) {
        // The innermost subcode names the fault most precisely.
        for (const XmlNode* sub = c->Child(wsns::Soap, "Subcode"); sub;
             sub = sub->Child(wsns::Soap, "Subcode"))
            if (const XmlNode* v = sub->Child(wsns::Soap, "Value")) subcode = LocalPart(v->Text);
    }
    std::string reason;
    if (const XmlNode* r = fault->Child(wsns::Soap, "Reason"))
        if (const XmlNode* t = r->Child(wsns::Soap, "Text")) reason = Collapsed(t->Text);

    HRESULT wmiCode = 0, wsmanCode = 0;
    std::string wmiMessage, wsmanMessage;
    std::string_view faultDetail;
    if (const XmlNode* detail = fault->Child(wsns::Soap, "Detail")) {
        if (const XmlNode* f = detail->Child(wsns::WsmanFault, "WSManFault")) {
            if (const std::string_view* c = f->Attr({}, "Code")) wsmanCode = CodeFromText(*c);
            if (const XmlNode* m = f->Child(wsns::WsmanFault, "Message"))
                wsmanMessage = MessageText(*m);
        }
        if (const XmlNode* fd = detail->Child(wsns::Wsman, "FaultDetail"))
            faultDetail = TrimXml(fd->Text);
        const XmlNode* wmi = detail->Name == "MSFT_WmiError" ? detail : detail->FindNamed("MSFT_WmiError");
        if (wmi) {
            if (const XmlNode* c = wmi->ChildNamed("error_Code")) wmiCode = CodeFromText(c->Text);
            if (const XmlNode* m = wmi->ChildNamed("Message")) wmiMessage = Collapsed(m->Text);
        }
    }

    // A fault is a failure whatever its detail says: a code that is no failure code (a
    // server's or a forger's) gives way to the next source.
    code = Failed(wmiCode) ? wmiCode : Failed(wsmanCode) ? wsmanCode
                                                         : CodeFromSubcode(subcode, faultDetail);
    if (!Failed(code)) code = WSMAN_E_HTTP_SERVER_ERROR;
    message = !wmiMessage.empty() ? wmiMessage : !wsmanMessage.empty() ? wsmanMessage
                                                                       : reason;
    return true;
}

bool DecodeWsmanFault(std::string_view body, HRESULT& code, std::string& message) {
    if (!MayHoldFault(body)) return false;
    XmlTree tree;
    if (!tree.Parse(body)) return false;
    return FaultFromTree(*tree.Root(), code, message);
}

}  // namespace veskin
