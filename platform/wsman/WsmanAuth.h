#pragma once
// How the transport authenticates: one mechanism per connection, asked for the
// Authorization header of each request and told of every 401. A mechanism that protects
// messages (Negotiate on HTTP) also seals requests and unseals answers.
#include <memory>
#include <string>
#include <vector>

#include "platform/ComTypes.h"
#include "platform/wsman/WsmanEndpoint.h"
#include "platform/wsman/WsmanTransport.h"

namespace veskin {

class WsmanAuthenticator {
public:
    virtual ~WsmanAuthenticator() = default;
    // The scheme as HTTP names it ("Basic").
    virtual std::string Scheme() const = 0;
    // A new connection starts: any security context of the old one is gone.
    virtual void Reset() {}
    // The Authorization header of the next request (empty: send none).
    virtual HRESULT Authorization(std::string& header) = 0;
    // The server answered 401: true when another attempt with a new Authorization
    // makes sense; false ends in E_ACCESSDENIED.
    virtual bool Challenge(const HttpResponse& response) = 0;
    // Message protection: the body and Content-Type to send, and the answer opened.
    virtual HRESULT Seal(std::string& /*body*/, std::string& /*contentType*/) { return S_OK; }
    virtual HRESULT Unseal(HttpResponse& /*response*/) { return S_OK; }
};

// The mechanism for the account on the endpoint: null for no account; Basic over HTTPS.
// An account over plain HTTP fails with WSMAN_E_UNENCRYPTED_REFUSED (nothing is sent).
HRESULT ChooseWsmanAuthenticator(const WsmanEndpoint& endpoint, const WsmanCredentials& credentials,
                                 std::unique_ptr<WsmanAuthenticator>& authenticator);

// The schemes of the WWW-Authenticate headers ("Negotiate", "Basic").
std::vector<std::string> OfferedSchemes(const HttpResponse& response);

}  // namespace veskin
