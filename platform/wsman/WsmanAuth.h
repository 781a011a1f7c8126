#pragma once
// How the transport authenticates. Basic puts the account into every request. The
// GSS-API mechanisms (Negotiate, Kerberos, NTLM) set up a security context once per
// connection, in an exchange of tokens on an empty request, and then seal each message
// on plain HTTP.
#include <memory>
#include <string>
#include <vector>

#include "platform/ComTypes.h"
#include "platform/wsman/WsmanCertificate.h"
#include "platform/wsman/WsmanEndpoint.h"
#include "platform/wsman/WsmanTransport.h"

namespace veskin {

class WsmanAuthenticator {
public:
    virtual ~WsmanAuthenticator() = default;
    // The scheme as HTTP names it ("Basic", "Negotiate", "Kerberos").
    virtual std::string Scheme() const = 0;
    // What the user is told was tried ("Basic", "NTLM (Negotiate)").
    virtual std::string Description() const { return Scheme(); }
    // True for a mechanism whose context belongs to one connection.
    virtual bool PerConnection() const { return false; }
    // A new connection starts (peer: its TLS certificate, empty over plain HTTP): any
    // security context of the old one is gone.
    virtual void Reset(const WsmanCertificate& /*peer*/) {}
    // The Authorization header of the next request (empty: send none). A failure here is
    // the mechanism's own (no KDC, unknown service), with its detail recorded.
    virtual HRESULT Authorization(std::string& header) = 0;
    // The server answered 401: true when another attempt with a new Authorization makes
    // sense; false when the account was refused (Refusal says how).
    virtual bool Challenge(const HttpResponse& response) = 0;
    // The answer that ended a context's exchange with success (its last token).
    virtual HRESULT Accept(const HttpResponse& /*response*/) { return S_OK; }
    // True once the connection's context is complete (always for Basic).
    virtual bool Established() const { return true; }
    // Why the account was refused, for the user.
    virtual std::string Refusal() const { return "the server refused the account with " + Description() + " authentication"; }
    // Why Negotiate went without Kerberos (empty when it did not).
    virtual std::string KerberosNote() const { return {}; }
    // Message protection: the body and Content-Type to send, and the answer opened.
    virtual HRESULT Seal(std::string& /*body*/, std::string& /*contentType*/) { return S_OK; }
    virtual HRESULT Unseal(HttpResponse& /*response*/) { return S_OK; }
};

// The mechanism the account asks for (its authority and user name): Negotiate,
// Kerberos or NTLM, sealing messages when the endpoint is plain HTTP. Fails with
// WBEM_E_INVALID_PARAMETER for an authority of another form. useDefault: no user was
// named, so the caller's own Kerberos credentials are used.
HRESULT MakeGssAuthenticator(const WsmanEndpoint& endpoint, const WsmanCredentials& credentials,
                             std::unique_ptr<WsmanAuthenticator>& authenticator);
// Basic with the account (for HTTPS only; the caller checks).
std::unique_ptr<WsmanAuthenticator> MakeBasicAuthenticator(const WsmanCredentials& credentials);

// The schemes of the WWW-Authenticate headers ("Negotiate", "Basic").
std::vector<std::string> OfferedSchemes(const HttpResponse& response);
// The same for the user: "Negotiate, Kerberos", or "none".
std::string OfferedSchemesText(const HttpResponse& response);
bool Offers(const HttpResponse& response, const std::string& scheme);
// The token of the response's WWW-Authenticate header for scheme, decoded; false when
// there is none.
bool ServerToken(const HttpResponse& response, const std::string& scheme, std::string& token);

}  // namespace veskin
