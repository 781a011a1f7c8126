#include "platform/wsman/WsmanTransport.h"

#include <memory>

#include "platform/ErrorDetail.h"
#include "platform/wsman/HttpMessage.h"
#include "platform/wsman/SocketConnection.h"
#include "platform/wsman/TlsConnection.h"
#include "platform/wsman/WsmanAuth.h"

namespace veskin {

namespace {

// More rounds than any mechanism needs; a server that keeps answering 401 is refusing.
constexpr int MaxAuthRounds = 6;

}  // namespace

struct WsmanTransport::State {
    WsmanEndpoint Endpoint;
    WsmanCredentials Credentials;
    WsmanTimeouts Timeouts;
    std::unique_ptr<ByteStream> Stream;
    WsmanCertificate Peer;
    bool AuthChosen = false;
    std::unique_ptr<WsmanAuthenticator> Auth;

    HRESULT Connect();
    // Chooses the mechanism by what the server offers, and the account's authority.
    // Without an account nothing is asked (probe false): the server's first 401 tells.
    HRESULT ChooseAuth(bool probe);
    // Sets up the connection's security context: tokens exchanged on empty requests
    // until the server accepts.
    HRESULT Authenticate();
    HRESULT Refused(const HttpResponse& response);
    // One request on the current connection; retry tells that the connection was found
    // closed before any answer came, so the request can go again on a new one.
    HRESULT Attempt(const std::string& request, HttpResponse& response, bool& retry);
    HRESULT Send(const std::string& body, const std::string& contentType, bool withAuthorization,
                 HttpResponse& response, bool& retry, const std::vector<std::pair<std::string, std::string>>& extra = {});
    HRESULT StatusResult(const HttpResponse& response);
    std::string Where() const { return Endpoint.Url(); }
};

HRESULT WsmanTransport::State::Connect() {
    Stream.reset();
    Peer = WsmanCertificate();
    const Deadline deadline(Timeouts.ConnectMs);
    auto socket = std::make_unique<SocketConnection>();
    if (HRESULT hr = socket->Connect(Endpoint.Host, Endpoint.Port, deadline); Failed(hr)) return hr;
    if (!Endpoint.Tls) {
        Stream = std::move(socket);
    } else {
        auto tls = std::make_unique<TlsConnection>(std::move(socket));
        const HRESULT hr = tls->Handshake(Endpoint.Host, Endpoint.HostIsAddress(), deadline);
        Peer = tls->PeerCertificate();
        if (Failed(hr)) return hr;
        Stream = std::move(tls);
    }
    if (Auth) Auth->Reset(Peer);
    return S_OK;
}

HRESULT WsmanTransport::State::ChooseAuth(bool probe) {
    if (!probe) {
        AuthChosen = true;
        return S_OK;
    }
    std::unique_ptr<WsmanAuthenticator> gss;
    if (HRESULT hr = MakeGssAuthenticator(Endpoint, Credentials, gss); Failed(hr)) return hr;
    // What the server offers decides: an empty request without an account tells.
    if (!Stream)
        if (HRESULT hr = Connect(); Failed(hr)) return hr;
    HttpResponse response;
    bool retry = false;
    if (HRESULT hr = Send({}, "application/soap+xml;charset=UTF-8", false, response, retry); Failed(hr)) return hr;
    AuthChosen = true;
    if (response.Status != 401) return S_OK;  // the server asks for no account
    // Without a user, one's own Kerberos ticket answers Negotiate or Kerberos.
    if (Offers(response, gss->Scheme()) || Offers(response, "Negotiate")) {
        Auth = std::move(gss);
    } else if (Offers(response, "Basic") && !Credentials.User.empty()) {
        if (!Endpoint.Tls) {
            SetErrorDetail(WSMAN_E_UNENCRYPTED_REFUSED,
                           "the server offers only Basic authentication, which would send the password readable "
                           "over plain HTTP; use HTTPS (https://" +
                               Endpoint.Host + ":5986)");
            AuthChosen = false;
            return WSMAN_E_UNENCRYPTED_REFUSED;
        }
        Auth = MakeBasicAuthenticator(Credentials);
    } else {
        SetErrorDetail(E_ACCESSDENIED, "the server offers no authentication this client speaks (it offers: " +
                                           OfferedSchemesText(response) + ")");
        AuthChosen = false;
        return E_ACCESSDENIED;
    }
    Auth->Reset(Peer);
    return S_OK;
}

HRESULT WsmanTransport::State::Refused(const HttpResponse& response) {
    const std::string offered = OfferedSchemesText(response);
    SetErrorDetail(E_ACCESSDENIED, Auth ? Auth->Refusal() + " (the server offers: " + offered + ")"
                                        : "the server asks for an account (it offers: " + offered + ")");
    return E_ACCESSDENIED;
}

HRESULT WsmanTransport::State::Authenticate() {
    for (int round = 1; round <= MaxAuthRounds; ++round) {
        HttpResponse response;
        bool retry = false;
        if (HRESULT hr = Send({}, "application/soap+xml;charset=UTF-8", true, response, retry); Failed(hr)) return hr;
        if (response.Status == 200) return Auth->Accept(response);
        if (response.Status != 401) {
            // Any other answer ends the exchange without a context: nothing may be sealed.
            const HRESULT hr = StatusResult(response);
            if (Failed(hr)) return hr;
            SetErrorDetail(WSMAN_E_HTTP_SERVER_ERROR, "the server answered HTTP " + std::to_string(response.Status) +
                                                          " inside the " + Auth->Description() + " authentication");
            return WSMAN_E_HTTP_SERVER_ERROR;
        }
        if (!Auth->Challenge(response)) return Refused(response);
        if (!Stream)  // the server ended the connection inside the exchange: start over
            if (HRESULT hr = Connect(); Failed(hr)) return hr;
    }
    return Refused(HttpResponse());
}

HRESULT WsmanTransport::State::Send(const std::string& body, const std::string& contentType, bool withAuthorization,
                                    HttpResponse& response, bool& retry,
                                    const std::vector<std::pair<std::string, std::string>>& extra) {
    std::vector<std::pair<std::string, std::string>> headers = {
        {"Host", Endpoint.HostHeader()},
        {"Content-Type", contentType},
        {"User-Agent", "Veskin"},
        {"Connection", "Keep-Alive"},
    };
    headers.insert(headers.end(), extra.begin(), extra.end());
    if (withAuthorization && Auth) {
        std::string authorization;
        if (HRESULT hr = Auth->Authorization(authorization); Failed(hr)) return hr;
        if (!authorization.empty()) headers.emplace_back("Authorization", authorization);
    }
    return Attempt(BuildHttpRequest("POST", Endpoint.Path, headers, body), response, retry);
}

HRESULT WsmanTransport::State::Attempt(const std::string& request, HttpResponse& response, bool& retry) {
    retry = false;
    const Deadline deadline(Timeouts.RequestMs);
    IoStatus status = Stream->WriteAll(request, deadline);
    HttpResponseParser parser;
    parser.ReuseBody(std::move(response.Body));
    char buffer[65536];
    while (status == IoStatus::Ok) {
        std::size_t got = 0;
        status = Stream->ReadSome(buffer, sizeof buffer, got, deadline);
        if (status != IoStatus::Ok) break;
        const auto result = parser.Feed(std::string_view(buffer, got));
        if (result == HttpResponseParser::Result::NeedMore) continue;
        if (result == HttpResponseParser::Result::Error) {
            Stream.reset();
            SetErrorDetail(WSMAN_E_HTTP_SERVER_ERROR,
                           "the answer of " + Where() + " is no valid HTTP response (" + parser.ErrorText() + ")");
            return WSMAN_E_HTTP_SERVER_ERROR;
        }
        response = std::move(parser.Response());
        if (!parser.KeepAlive()) Stream.reset();
        return S_OK;
    }
    const std::string ioError = Stream->ErrorText();
    Stream.reset();
    if (status == IoStatus::TimedOut) {
        SetErrorDetail(WSMAN_E_NETWORK_TIMEOUT, "no answer from " + Where() + " within " +
                                                    std::to_string(Timeouts.RequestMs) + " ms");
        return WSMAN_E_NETWORK_TIMEOUT;
    }
    if (status == IoStatus::Closed && !parser.Started()) {
        retry = true;
        SetErrorDetail(WSMAN_E_HTTP_SERVER_ERROR, "the server " + Where() + " closed the connection without answering");
        return WSMAN_E_HTTP_SERVER_ERROR;
    }
    if (status == IoStatus::Closed && parser.FinishAtEof() == HttpResponseParser::Result::Done) {
        response = std::move(parser.Response());
        return S_OK;
    }
    SetErrorDetail(WSMAN_E_HTTP_SERVER_ERROR, "the connection to " + Where() + " failed inside the answer (" +
                                                  (ioError.empty() ? parser.ErrorText() : ioError) + ")");
    return WSMAN_E_HTTP_SERVER_ERROR;
}

WsmanTransport::WsmanTransport(WsmanEndpoint endpoint, WsmanCredentials credentials, WsmanTimeouts timeouts)
    : FState(std::make_unique<State>()) {
    FState->Endpoint = std::move(endpoint);
    FState->Credentials = std::move(credentials);
    FState->Timeouts = timeouts;
}

WsmanTransport::~WsmanTransport() = default;

const WsmanEndpoint& WsmanTransport::Endpoint() const { return FState->Endpoint; }

const WsmanCertificate& WsmanTransport::PeerCertificate() const { return FState->Peer; }

void WsmanTransport::Close() { FState->Stream.reset(); }

HRESULT WsmanTransport::State::StatusResult(const HttpResponse& response) {
    const int status = response.Status;
    if (status == 200) return S_OK;
    if ((status == 400 || status == 500) && response.IsSoap()) return S_OK;
    const std::string statusLine = "HTTP " + std::to_string(status) + (response.Reason.empty() ? "" : " ") +
                                   response.Reason + " from " + Where();
    HRESULT hr = WSMAN_E_HTTP_SERVER_ERROR;
    if (status == 404) hr = WSMAN_E_HTTP_NOT_FOUND;
    else if (status >= 400 && status < 500) hr = WSMAN_E_HTTP_BAD_REQUEST;
    SetErrorDetail(hr, "the server answered " + statusLine);
    return hr;
}

HRESULT WsmanTransport::Authenticate() {
    State& s = *FState;
    if (!s.AuthChosen)
        if (HRESULT hr = s.ChooseAuth(true); Failed(hr)) return hr;
    if (!s.Stream || s.Stream->IdleBroken())
        if (HRESULT hr = s.Connect(); Failed(hr)) return hr;
    if (s.Auth && s.Auth->PerConnection() && !s.Auth->Established()) return s.Authenticate();
    return S_OK;
}

std::string WsmanTransport::Mechanism() const { return FState->Auth ? FState->Auth->Description() : std::string(); }

std::string WsmanTransport::KerberosNote() const { return FState->Auth ? FState->Auth->KerberosNote() : std::string(); }

HRESULT WsmanTransport::PostAnonymous(const std::string& body,
                                      const std::vector<std::pair<std::string, std::string>>& headers,
                                      HttpResponse& response) {
    State& s = *FState;
    if (!s.Stream || s.Stream->IdleBroken())
        if (HRESULT hr = s.Connect(); Failed(hr)) return hr;
    bool retry = false;
    return s.Send(body, "application/soap+xml;charset=UTF-8", false, response, retry, headers);
}

HRESULT WsmanTransport::Post(const std::string& envelope, HttpResponse& response) {
    State& s = *FState;
    // The caller's body buffer is kept, emptied: a page after page answers in the same
    // memory instead of allocating (and faulting in) a new one each time.
    std::string buffer = std::move(response.Body);
    buffer.clear();
    response = HttpResponse();
    response.Body = std::move(buffer);
    if (!s.AuthChosen)
        if (HRESULT hr = s.ChooseAuth(!s.Credentials.User.empty() || !s.Credentials.Password.empty()); Failed(hr)) {
            s.AuthChosen = false;
            return hr;
        }

    // A kept-alive connection the server has closed meanwhile is replaced at once; one
    // that turns out closed while sending is replaced once, and the request goes again
    // (authenticated and sealed anew on the new connection).
    bool reconnected = false;
    bool reauthenticated = false;
    for (;;) {
        bool reused = s.Stream != nullptr;
        if (reused && s.Stream->IdleBroken()) {
            s.Stream.reset();
            reused = false;
        }
        if (!s.Stream)
            if (HRESULT hr = s.Connect(); Failed(hr)) return hr;
        if (s.Auth && s.Auth->PerConnection() && !s.Auth->Established()) {
            if (HRESULT hr = s.Authenticate(); Failed(hr)) {
                if (!s.Stream && reused && !reconnected) {
                    reconnected = true;
                    continue;
                }
                return hr;
            }
            if (!s.Stream) continue;
        }
        std::string body = envelope;
        std::string contentType = "application/soap+xml;charset=UTF-8";
        if (s.Auth)
            if (HRESULT hr = s.Auth->Seal(body, contentType); Failed(hr)) return hr;
        bool retry = false;
        const bool perRequest = s.Auth && !s.Auth->PerConnection();
        if (HRESULT hr = s.Send(body, contentType, perRequest, response, retry); Failed(hr)) {
            if (retry && reused && !reconnected) {
                reconnected = true;
                s.Stream.reset();
                continue;
            }
            return hr;
        }
        if (response.Status != 401) break;
        if (!s.Auth) {
            // The server wants an account and none was typed: one's own Kerberos ticket.
            if (!s.Credentials.User.empty() || !(Offers(response, "Negotiate") || Offers(response, "Kerberos")) ||
                Failed(MakeGssAuthenticator(s.Endpoint, s.Credentials, s.Auth)))
                return s.Refused(response);
            s.Auth->Reset(s.Peer);
            continue;
        }
        if (s.Auth->PerConnection() && !reauthenticated) {
            // The server dropped the connection's context: set it up once more.
            reauthenticated = true;
            s.Auth->Reset(s.Peer);
            continue;
        }
        if (s.Auth->PerConnection()) {
            SetErrorDetail(E_ACCESSDENIED, "the server authenticated the account with " + s.Auth->Description() +
                                               " but refused the " + (s.Endpoint.Tls ? "request" : "encrypted request"));
            return E_ACCESSDENIED;
        }
        return s.Refused(response);
    }
    if (s.Auth)
        if (HRESULT hr = s.Auth->Unseal(response); Failed(hr)) {
            s.Stream.reset();
            return hr;
        }
    return s.StatusResult(response);
}

}  // namespace veskin
