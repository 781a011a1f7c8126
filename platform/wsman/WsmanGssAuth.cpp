// Negotiate, Kerberos and NTLM through GSS-API, with WS-Management message encryption
// on plain HTTP.
#include "platform/ErrorDetail.h"
#include "platform/wsman/Base64.h"
#include "platform/wsman/EncryptedBody.h"
#include "platform/wsman/GssContext.h"
#include "platform/wsman/HttpMessage.h"
#include "platform/wsman/WsmanAccount.h"
#include "platform/wsman/WsmanAuth.h"
#include "rtl/TextFold.h"

namespace veskin {

namespace {

class GssAuthenticator : public WsmanAuthenticator {
public:
    GssAuthenticator(const WsmanEndpoint& endpoint, WsmanAccount account)
        : FEndpoint(endpoint), FAccount(std::move(account)) {
        // Kerberos finds the service by the computer's name; an address names no service.
        if (FAccount.Mechanism == WsmanMechanism::Negotiate && FEndpoint.HostIsAddress())
            FKerberosFailure = "Kerberos needs the computer's DNS name, not its IP address";
        // Without a user, only one's own Kerberos ticket can stand for one.
        FWire = FAccount.Mechanism == WsmanMechanism::Ntlm       ? GssWire::Ntlm
                : FAccount.Mechanism == WsmanMechanism::Kerberos ? GssWire::Kerberos
                : FKerberosFailure.empty()                       ? GssWire::SpnegoKerberos
                                                                 : GssWire::SpnegoNtlm;
    }

    std::string Scheme() const override { return FWire == GssWire::Kerberos ? "Kerberos" : "Negotiate"; }
    std::string Description() const override {
        switch (FWire) {
            case GssWire::SpnegoKerberos: return "Kerberos (Negotiate)";
            case GssWire::SpnegoNtlm: return "NTLM (Negotiate)";
            case GssWire::Kerberos: return "Kerberos";
            case GssWire::Ntlm: return "NTLM";
        }
        return "Negotiate";
    }
    bool PerConnection() const override { return true; }
    bool Established() const override { return FComplete; }

    void Reset(const WsmanCertificate& peer) override {
        FBinding = peer.EndPointHash;
        FContext.reset();
        FComplete = false;
        FServerRefusal.clear();
    }

    HRESULT Authorization(std::string& header) override {
        header.clear();
        std::string token;
        if (!FContext) {
            if (HRESULT hr = Start(token); Failed(hr)) return hr;
        } else {
            token = std::move(FPending);
        }
        FPending.clear();
        if (!token.empty()) header = Scheme() + " " + EncodeBase64(token);
        return S_OK;
    }

    bool Challenge(const HttpResponse& response) override {
        std::string token;
        if (FContext && !FComplete && ServerToken(response, Scheme(), token)) {
            bool complete = false;
            if (Failed(FContext->Step(token, FPending, complete))) {
                FServerRefusal = FContext->ErrorText();
                return FallBack(FServerRefusal);
            }
            FComplete = complete;
            return true;
        }
        // No token: the server refused what it was given.
        return FallBack("the server refused the " +
                        std::string(FContext && FContext->Kerberos() ? "Kerberos ticket" : "NTLM response"));
    }

    HRESULT Accept(const HttpResponse& response) override {
        std::string token;
        if (!FComplete && FContext && ServerToken(response, Scheme(), token)) {
            std::string ignored;
            bool complete = false;
            if (Failed(FContext->Step(token, ignored, complete))) {
                SetErrorDetail(E_ACCESSDENIED, "the server's final " + Description() +
                                                   " token is not valid: " + FContext->ErrorText());
                return E_ACCESSDENIED;
            }
            FComplete = complete;
        }
        if (!FComplete) {
            SetErrorDetail(E_ACCESSDENIED, "the server accepted the request before " + Description() +
                                               " authentication was complete");
            return E_ACCESSDENIED;
        }
        return S_OK;
    }

    std::string Refusal() const override {
        std::string text = "the server refused the account with " + Description() + " authentication";
        if (!FServerRefusal.empty()) text += " (" + FServerRefusal + ")";
        if (!FKerberosFailure.empty() && FWire == GssWire::SpnegoNtlm)
            text += "; Kerberos was not used: " + FKerberosFailure;
        return text;
    }

    std::string KerberosNote() const override {
        return FWire == GssWire::SpnegoNtlm ? FKerberosFailure : std::string();
    }

    HRESULT Seal(std::string& body, std::string& contentType) override {
        if (FEndpoint.Tls || body.empty()) return S_OK;
        if (!FContext || !FComplete) {
            SetErrorDetail(E_ACCESSDENIED, "no " + Description() + " security context to encrypt the message with");
            return E_ACCESSDENIED;
        }
        std::string header, sealed;
        if (Failed(FContext->Seal(body, header, sealed))) {
            SetErrorDetail(WSMAN_E_CANNOT_DECRYPT, FContext->ErrorText());
            return WSMAN_E_CANNOT_DECRYPT;
        }
        const char* protocol = Protocol();
        body = EncodeEncryptedBody(protocol, body.size(), header, sealed);
        contentType = EncryptedContentType(protocol);
        return S_OK;
    }

    HRESULT Unseal(HttpResponse& response) override {
        if (FEndpoint.Tls) return S_OK;
        const std::string type = response.Header("Content-Type");
        const bool encrypted = IsEncryptedContentType(type);
        // Answers other than 200 may come in clear (a refusal before decryption); a
        // result in clear on an encrypted session is not to be trusted.
        if (!encrypted && (response.Status == 400 || response.Status == 415) && !response.IsSoap()) {
            SetErrorDetail(WSMAN_E_HTTP_BAD_REQUEST, "the server refused the encrypted message (HTTP " +
                                                         std::to_string(response.Status) + " " + response.Reason +
                                                         "): it does not take message encryption");
            return WSMAN_E_HTTP_BAD_REQUEST;
        }
        if (!encrypted && response.Status != 200) return S_OK;
        if (!FContext || !FComplete) return Undecryptable("no security context to decrypt the answer with");
        EncryptedFrame frame;
        std::string error, plain;
        if (!DecodeEncryptedBody(type, response.Body, frame, error)) return Undecryptable(error);
        if (!SameText(frame.Protocol, Protocol()))
            return Undecryptable("the answer is encrypted as " + frame.Protocol + ", not " + Protocol());
        if (Failed(FContext->Unseal(frame.Header, frame.Sealed, plain))) return Undecryptable(FContext->ErrorText());
        if (plain.size() != frame.Length)
            return Undecryptable("the decrypted answer has " + std::to_string(plain.size()) + " bytes where " +
                                 std::to_string(frame.Length) + " were announced");
        response.Body = std::move(plain);
        for (auto& [name, value] : response.Headers)
            if (SameText(name, "Content-Type")) value = "application/soap+xml;charset=UTF-8";
        return S_OK;
    }

private:
    const char* Protocol() const {
        return FWire == GssWire::Kerberos ? KerberosEncryptedProtocol : SpnegoEncryptedProtocol;
    }

    // why is taken by value: it may be the text of the context dropped here.
    HRESULT Undecryptable(std::string why) {
        FContext.reset();
        FComplete = false;
        SetErrorDetail(WSMAN_E_CANNOT_DECRYPT, std::move(why));
        return WSMAN_E_CANNOT_DECRYPT;
    }

    // Negotiate tries Kerberos first; NTLM follows when Kerberos fails, and why Kerberos
    // failed is kept for the user.
    bool FallBack(const std::string& why) {
        if (FWire != GssWire::SpnegoKerberos || FAccount.User.empty()) return false;
        FKerberosFailure = why;
        FServerRefusal.clear();
        FWire = GssWire::SpnegoNtlm;
        FContext.reset();
        FComplete = false;
        return true;
    }

    HRESULT Start(std::string& token) {
        for (;;) {
            const bool kerberos = FWire == GssWire::SpnegoKerberos || FWire == GssWire::Kerberos;
            if (kerberos && FAccount.Principal.empty() && FEndpoint.HostIsAddress()) {
                SetErrorDetail(WSMAN_E_KERBEROS_TO_ADDRESS,
                               "Kerberos needs the computer's DNS name, not its IP address " + FEndpoint.Host);
                return WSMAN_E_KERBEROS_TO_ADDRESS;
            }
            const std::string user = FAccount.User.empty() ? std::string()
                                     : kerberos            ? FAccount.KerberosName()
                                                           : FAccount.NtlmName();
            const bool principal = kerberos && !FAccount.Principal.empty();
            const std::string target = principal ? FAccount.Principal : "HTTP@" + FEndpoint.Host;
            auto context = std::make_unique<GssContext>();
            HRESULT hr = S_OK;
            bool complete = false;
            if (FWire == GssWire::SpnegoKerberos && !FKerberosProven) {
                // SPNEGO hides why Kerberos failed ("cannot find mechanisms to negotiate"):
                // Kerberos alone first, for the KDC's own words. Once it worked, later
                // connections go straight to SPNEGO.
                hr = context->Begin(GssWire::Kerberos, user, FAccount.Password, target, principal, FBinding);
                if (Succeeded(hr)) hr = context->Step({}, token, complete);
                FKerberosProven = Succeeded(hr);
            }
            if (Succeeded(hr)) hr = context->Begin(FWire, user, FAccount.Password, target, principal, FBinding);
            if (Succeeded(hr)) hr = context->Step({}, token, complete);
            if (Succeeded(hr)) {
                FContext = std::move(context);
                FComplete = complete;
                return S_OK;
            }
            FServerRefusal = context->ErrorText();
            if (!FallBack(FServerRefusal)) {
                std::string detail = context->ErrorText();
                if (!FKerberosFailure.empty() && FWire == GssWire::SpnegoNtlm)
                    detail += "; Kerberos was not used: " + FKerberosFailure;
                SetErrorDetail(hr, detail);
                return hr;
            }
        }
    }

    WsmanEndpoint FEndpoint;
    WsmanAccount FAccount;
    GssWire FWire;
    std::vector<unsigned char> FBinding;
    std::unique_ptr<GssContext> FContext;
    bool FComplete = false;
    std::string FPending;          // the token for the next request
    bool FKerberosProven = false;  // Kerberos alone reached the service once
    std::string FServerRefusal;    // why the current mechanism failed
    std::string FKerberosFailure;  // why Negotiate did not use Kerberos
};

}  // namespace

HRESULT MakeGssAuthenticator(const WsmanEndpoint& endpoint, const WsmanCredentials& credentials,
                             std::unique_ptr<WsmanAuthenticator>& authenticator) {
    authenticator.reset();
    WsmanAccount account;
    if (HRESULT hr = ParseWsmanAccount(credentials, account); Failed(hr)) return hr;
    authenticator = std::make_unique<GssAuthenticator>(endpoint, std::move(account));
    return S_OK;
}

}  // namespace veskin
