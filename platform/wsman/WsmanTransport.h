#pragma once
// One WS-Management client connection: SOAP envelopes posted one at a time over a
// kept-alive HTTP/1.1 connection, plain or TLS, with the account's authentication.
// Every wait is bounded, so a silent server ends in a time-out, never a hang.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ComTypes.h"
#include "platform/wsman/WsmanCertificate.h"
#include "platform/wsman/WsmanEndpoint.h"

namespace veskin {

struct HttpResponse {
    int Status = 0;
    std::string Reason;
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body;

    // The first header of that name (any case), or empty.
    std::string Header(const std::string& name) const;
    // True for a SOAP envelope in clear (a body of type application/soap+xml).
    bool IsSoap() const;
};

struct WsmanCredentials {
    std::string User;  // "user", "DOMAIN\\user" or "user@REALM"; empty: no account
    std::string Password;
    std::string Authority;  // "ntlmdomain:DOMAIN", "kerberos:principal" or empty
};

struct WsmanTimeouts {
    int ConnectMs = 15000;  // name resolution plus TCP connect plus TLS handshake
    int RequestMs = 60000;  // sending one request and reading its whole answer
};

class WsmanTransport {
public:
    WsmanTransport(WsmanEndpoint endpoint, WsmanCredentials credentials, WsmanTimeouts timeouts = {});
    ~WsmanTransport();
    WsmanTransport(const WsmanTransport&) = delete;
    WsmanTransport& operator=(const WsmanTransport&) = delete;

    // Posts one SOAP envelope and reads the answer, (re)connecting when the kept-alive
    // connection is gone. S_OK for HTTP 200, and for an HTTP 400 or 500 whose body is a
    // SOAP envelope (a fault the caller decodes; response.Status tells which). Otherwise
    // a failure code above (or E_ACCESSDENIED for a final 401), with the detail recorded
    // through SetErrorDetail.
    HRESULT Post(const std::string& envelope, HttpResponse& response);

    // Connects, chooses the account's mechanism by what the server offers and sets up
    // the connection's security context, without a request of its own (the diagnosis
    // checks the account this way).
    HRESULT Authenticate();
    // The mechanism in use ("Basic", "NTLM (Negotiate)"); empty when the server asked
    // for no account.
    std::string Mechanism() const;
    // Why Negotiate went without Kerberos; empty when it did not.
    std::string KerberosNote() const;
    // One request with neither account nor sealing, answered with any status: Identify,
    // and what the server offers to an empty request.
    HRESULT PostAnonymous(const std::string& body, const std::vector<std::pair<std::string, std::string>>& headers,
                          HttpResponse& response);

    const WsmanEndpoint& Endpoint() const;
    // The certificate of the last TLS handshake, also when it was refused; empty
    // before any, and for plain HTTP.
    const WsmanCertificate& PeerCertificate() const;
    // Drops the connection (the next Post connects again).
    void Close();

private:
    struct State;
    std::unique_ptr<State> FState;
};

}  // namespace veskin
