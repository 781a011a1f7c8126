// The answers to Enumerate, Pull, Get and Identify.
#include "platform/ErrorDetail.h"
#include "platform/wsman/WsmanDecoder.h"
#include "platform/wsman/WsmanFaults.h"
#include "platform/wsman/WsmanInstanceDecoder.h"
#include "platform/wsman/WsmanNames.h"
#include "platform/wsman/WsmanText.h"
#include "platform/wsman/WsmanTransport.h"

namespace veskin {

namespace {

HRESULT Unexpected(const std::string& what) {
    SetErrorDetail(WSMAN_E_HTTP_SERVER_ERROR, "The server's answer " + what + ".");
    return WSMAN_E_HTTP_SERVER_ERROR;
}

// Parses body and finds its SOAP body; a fault gives its code (recorded with its text).
HRESULT OpenBody(XmlTree& tree, std::string_view body, const XmlNode*& soapBody) {
    if (!tree.Parse(body)) return Unexpected("is no well-formed XML (" + tree.Error() + ")");
    HRESULT code;
    std::string message;
    if (FaultFromTree(*tree.Root(), code, message)) {
        SetErrorDetail(code, message);
        return code;
    }
    soapBody = SoapBody(tree.Root());
    if (!soapBody) return Unexpected("is no SOAP envelope");
    return S_OK;
}

// One item of a page: an instance or fragment, after it the endpoint reference when the
// enumeration asked for both.
WbemObjectPtr DecodeItem(WsmanInstanceDecoder& decoder, const XmlNode& item) {
    const XmlNode* object = &item;
    WsmanEpr epr;
    bool hasEpr = false;
    if (item.Is(wsns::Wsman, "Item")) {
        object = nullptr;
        for (const XmlNode* c = item.FirstChild; c; c = c->Next) {
            if (c->Is(wsns::Addressing, "EndpointReference"))
                hasEpr = ReadEpr(*c, epr);
            else if (!object)
                object = c;
        }
        if (!object) return nullptr;
    } else if (item.Is(wsns::Addressing, "EndpointReference")) {
        return nullptr;  // a bare reference: no object to show
    }
    if (object->Is(wsns::Wsman, "XmlFragment"))
        return decoder.DecodeFragment(*object, hasEpr ? &epr : nullptr);
    return decoder.DecodeInstance(*object, hasEpr ? &epr : nullptr);
}

}  // namespace

HRESULT DecodeEnumerationResponse(std::string_view body, const WsmanDecodeContext& context,
                                  WsmanPage& page) {
    XmlTree tree;
    return DecodeEnumerationResponse(body, context, page, tree);
}

HRESULT DecodeEnumerationResponse(std::string_view body, const WsmanDecodeContext& context,
                                  WsmanPage& page, XmlTree& tree) {
    page = WsmanPage();
    const XmlNode* soapBody = nullptr;
    if (HRESULT hr = OpenBody(tree, body, soapBody); hr != S_OK) return hr;
    const XmlNode* response = soapBody->Child(wsns::Enumeration, "EnumerateResponse");
    if (!response) response = soapBody->Child(wsns::Enumeration, "PullResponse");
    if (!response) return Unexpected("is no enumeration response");

    if (const XmlNode* c = response->Child(wsns::Enumeration, "EnumerationContext"))
        page.Context = std::string(TrimXml(c->Text));
    page.EndOfSequence = response->Child(wsns::Wsman, "EndOfSequence") ||
                         response->Child(wsns::Enumeration, "EndOfSequence");
    const XmlNode* items = response->Child(wsns::Wsman, "Items");
    if (!items) items = response->Child(wsns::Enumeration, "Items");
    if (!items) return S_OK;
    WsmanInstanceDecoder decoder(context);
    for (const XmlNode* item = items->FirstChild; item; item = item->Next)
        if (WbemObjectPtr object = DecodeItem(decoder, *item)) page.Objects.push_back(std::move(object));
    return S_OK;
}

HRESULT DecodeGetResponse(std::string_view body, const WsmanDecodeContext& context,
                          WbemObjectPtr& object) {
    object.reset();
    XmlTree tree;
    const XmlNode* soapBody = nullptr;
    if (HRESULT hr = OpenBody(tree, body, soapBody); hr != S_OK) return hr;
    if (!soapBody->FirstChild) return Unexpected("holds no object");
    WsmanInstanceDecoder decoder(context);
    object = DecodeItem(decoder, *soapBody->FirstChild);
    return object ? S_OK : Unexpected("holds no object");
}

HRESULT DecodeIdentifyResponse(std::string_view body, WsmanIdentity& identity) {
    identity = WsmanIdentity();
    XmlTree tree;
    const XmlNode* soapBody = nullptr;
    if (HRESULT hr = OpenBody(tree, body, soapBody); hr != S_OK) return hr;
    const XmlNode* response = soapBody->Child(wsns::Identity, "IdentifyResponse");
    if (!response) return Unexpected("is no Identify response");
    auto text = [&](std::string_view name) {
        const XmlNode* n = response->Child(wsns::Identity, name);
        return n ? std::string(TrimXml(n->Text)) : std::string();
    };
    identity.ProtocolVersion = text("ProtocolVersion");
    identity.ProductVendor = text("ProductVendor");
    identity.ProductVersion = text("ProductVersion");
    if (const XmlNode* profiles = response->Child(wsns::Identity, "SecurityProfiles"))
        for (const XmlNode* p = profiles->FirstChild; p; p = p->Next)
            if (p->Name == "SecurityProfileName")
                identity.SecurityProfiles.emplace_back(TrimXml(p->Text));
    return S_OK;
}

}  // namespace veskin
