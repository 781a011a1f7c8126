#include "platform/wsman/WsmanSession.h"

#include "platform/ErrorDetail.h"
#include "platform/WbemObjectPath.h"
#include "rtl/SysUtils.h"

namespace veskin {

WsmanSession::WsmanSession(std::unique_ptr<WsmanTransport> transport, WideString nameSpace,
                           WsmanTimeouts timeouts)
    : FTransport(std::move(transport)), FNameSpace(std::move(nameSpace)), FTimeouts(timeouts) {
    FServer = UpperCase(FTransport->Endpoint().Host);
    FUrl = FTransport->Endpoint().Url();
}

HRESULT WsmanSession::Exchange(const std::string& envelope, std::string& body) {
    HttpResponse response;
    response.Body = std::move(body);  // its buffer holds the answer
    HRESULT hr;
    {
        std::lock_guard<std::mutex> lock(FLock);
        hr = FTransport->Post(envelope, response);
    }
    if (Failed(hr)) return hr;
    HRESULT faultCode = S_OK;
    std::string message;
    if (DecodeWsmanFault(response.Body, faultCode, message)) {
        if (!Failed(faultCode)) faultCode = WSMAN_E_HTTP_SERVER_ERROR;
        // A WMI code has its own catalogue text, as on Windows; a WinRM code's system
        // text is general, so the server's own words follow it.
        if ((static_cast<std::uint32_t>(faultCode) & 0xFFFF0000u) != 0x80040000u && !message.empty())
            SetErrorDetail(faultCode, message);
        else
            ClearErrorDetail();
        return faultCode;
    }
    if (response.Status != 200) {
        // A SOAP answer with an error status that is no fault.
        const HRESULT code = response.Status == 400 ? WSMAN_E_HTTP_BAD_REQUEST : WSMAN_E_HTTP_SERVER_ERROR;
        SetErrorDetail(code, "HTTP " + std::to_string(response.Status) + " " + response.Reason);
        return code;
    }
    body = std::move(response.Body);
    return S_OK;
}

WbemClassPtr WsmanSession::ClassSchema(const std::string& className) {
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (auto it = FSchemas.find(className); it != FSchemas.end()) return it->second;
    }
    std::string body;
    WbemClassPtr cls;
    const std::string request =
        WsmanClassSchemaRequest(FUrl, CimNamespaceText(FNameSpace), className, FTimeouts.RequestMs);
    HRESULT hr = Exchange(request, body);
    if (Succeeded(hr)) hr = DecodeClassSchema(body, cls);
    // A schema the server refuses is not an error of the query: its values then
    // arrive as text. The refusal's detail must not reach a later, unrelated error.
    if (Failed(hr)) {
        ClearErrorDetail();
        cls.reset();
    }
    std::lock_guard<std::mutex> lock(FLock);
    if (!cls) FSchemaMissing = true;
    FSchemas[className] = cls;
    return cls;
}

bool WsmanSession::SchemaMissing() const { return FSchemaMissing; }

WsmanDecodeContext WsmanSession::DecodeContext(const std::string& fragmentClass,
                                               const std::vector<WideString>& selected) {
    WsmanDecodeContext context;
    context.Server = FServer;
    context.NameSpace = FNameSpace;
    context.Schemas = this;
    if (!fragmentClass.empty()) {
        context.FragmentClassName = fragmentClass;
        if (WbemClassPtr cls = ClassSchema(fragmentClass)) context.FragmentClass = cls->Project(selected);
    }
    return context;
}

void WsmanSession::Locate(WbemObject& object) {
    object.SetLocation(AnsiToWide(FServer), FNameSpace, shared_from_this());
}

std::string WsmanSession::ResourceUri(const std::string& className) const {
    return WmiResourceUri(FNameSpace, className);
}

std::vector<WsmanSelector> WsmanSession::KeySelectors(const WbemObject& object) {
    std::vector<WsmanSelector> selectors;
    const WbemClass& cls = *object.Class();
    for (std::size_t index : cls.KeyIndexes()) {
        const WbemPropertyDef& def = cls.Properties()[index];
        selectors.push_back({WideToAnsi(def.Name),
                             WideToAnsi(KeyCompareText(object.GetValue(index), def.CimType))});
    }
    return selectors;
}

HRESULT WsmanSession::PutObject(const WbemObject& object) {
    const std::string className = WideToAnsi(object.Class()->Name());
    const std::string uri = ResourceUri(className);
    std::string body;
    return Exchange(WsmanPutRequest(FUrl, uri, KeySelectors(object), EncodeWsmanInstance(object, uri),
                                    FTimeouts.RequestMs),
                    body);
}

HRESULT WsmanSession::DeleteObject(const WbemObject& object) {
    const std::string className = WideToAnsi(object.Class()->Name());
    std::string body;
    return Exchange(WsmanDeleteRequest(FUrl, ResourceUri(className), KeySelectors(object), FTimeouts.RequestMs),
                    body);
}

}  // namespace veskin
