#include "platform/wsman/WsmanEnumeration.h"

#include "platform/ErrorDetail.h"

namespace veskin {

WsmanEnumeration::WsmanEnumeration(WsmanSessionPtr session, WsmanQuery query)
    : FSession(std::move(session)), FQuery(std::move(query)) {
    FResourceUri = FSession->ResourceUri("*");
}

WsmanEnumeration::~WsmanEnumeration() { Release(); }

void WsmanEnumeration::Release() {
    if (!FStarted || FEnded || FEnumerationContext.empty()) return;
    FEnded = true;
    std::string body;
    // Best effort: the reader has left; a failure here has no one to tell, and must
    // not replace the detail of an error the reader is being told about.
    const HRESULT hr = FSession->Exchange(
        WsmanReleaseRequest(FSession->Url(), FResourceUri, FEnumerationContext, FSession->OperationTimeoutMs()),
        body);
    if (Failed(hr)) TakeErrorDetail(hr);
}

HRESULT WsmanEnumeration::Request(const std::string& envelope) {
    HRESULT hr = FSession->Exchange(envelope, FBody);
    WsmanPage page;
    if (Succeeded(hr)) hr = DecodeEnumerationResponse(FBody, FContext, page, FTree);
    if (Failed(hr)) {
        // A context the server no longer knows needs no release.
        if (hr == WSMAN_E_INVALID_ENUMERATION_CONTEXT) FEnded = true;
        return hr;
    }
    if (!page.Context.empty()) FEnumerationContext = page.Context;
    if (page.EndOfSequence) FEnded = true;
    FPage = std::move(page.Objects);
    FNext = 0;
    return S_OK;
}

HRESULT WsmanEnumeration::Next(WbemObjectPtr& object) {
    if (FFailed) return FFailure;
    for (;;) {
        if (FNext < FPage.size()) {
            object = std::move(FPage[FNext++]);
            FSession->Locate(*object);
            return S_OK;
        }
        if (FStarted && FEnded) return S_FALSE;
        if (FStarted && FEnumerationContext.empty()) return S_FALSE;
        HRESULT hr;
        const int timeout = FSession->OperationTimeoutMs();
        if (!FStarted) {
            FContext = FSession->DecodeContext(FQuery.Selected.empty() ? std::string() : FQuery.ClassName,
                                               FQuery.Selected);
            FStarted = true;
            hr = Request(WsmanEnumerateRequest(FSession->Url(), FResourceUri, FQuery.Wql, timeout));
        } else {
            hr = Request(WsmanPullRequest(FSession->Url(), FResourceUri, FEnumerationContext, timeout));
        }
        if (Failed(hr)) {
            FFailed = true;
            FFailure = hr;
            // Keep the failure's detail for the reader while the release runs.
            std::string detail = TakeErrorDetail(hr);
            Release();
            SetErrorDetail(hr, std::move(detail));
            return hr;
        }
    }
}

WbemObjectProducerFactory WsmanQueryFactory(WsmanSessionPtr session, WsmanQuery query) {
    return [session, query]() -> WbemObjectProducer {
        auto enumeration = std::make_shared<WsmanEnumeration>(session, query);
        return [enumeration](WbemObjectPtr& out) { return enumeration->Next(out); };
    };
}

}  // namespace veskin
