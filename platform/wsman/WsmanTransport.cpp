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

std::string JoinSchemes(const std::vector<std::string>& schemes) {
    std::string text;
    for (const auto& scheme : schemes) text += (text.empty() ? "" : ", ") + scheme;
    return text.empty() ? "none" : text;
}

bool IsSoap(const HttpResponse& response) {
    const std::string type = response.Header("Content-Type");
    return !response.Body.empty() && type.size() >= 20 && EqualsNoCase(type.substr(0, 20), "application/soap+xml");
}

}  // namespace

struct WsmanTransport::State {
    WsmanEndpoint Endpoint;
    WsmanCredentials Credentials;
    WsmanTimeouts Timeouts;
    std::unique_ptr<ByteStream> Stream;
    WsmanCertificate Peer;
    bool AuthChosen = false;
    HRESULT AuthResult = S_OK;
    std::string AuthDetail;
    std::unique_ptr<WsmanAuthenticator> Auth;

    HRESULT Connect();
    HRESULT Exchange(const std::string& body, const std::string& contentType, HttpResponse& response);
    // One attempt on the current connection; retry tells that the connection was found
    // closed before any answer came, so the request can go again on a new one.
    HRESULT Attempt(const std::string& request, HttpResponse& response, bool& retry);
    std::string Where() const { return Endpoint.Url(); }
};

HRESULT WsmanTransport::State::Connect() {
    Stream.reset();
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
    if (Auth) Auth->Reset();
    return S_OK;
}

HRESULT WsmanTransport::State::Attempt(const std::string& request, HttpResponse& response, bool& retry) {
    retry = false;
    const Deadline deadline(Timeouts.RequestMs);
    IoStatus status = Stream->WriteAll(request, deadline);
    HttpResponseParser parser;
    char buffer[16384];
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

HRESULT WsmanTransport::State::Exchange(const std::string& body, const std::string& contentType,
                                        HttpResponse& response) {
    // A kept-alive connection the server has closed meanwhile is replaced at once; one
    // that turns out closed while sending is replaced once, and the request sent again.
    bool reused = Stream != nullptr;
    if (reused && Stream->IdleBroken()) {
        Stream.reset();
        reused = false;
    }
    for (;;) {
        if (!Stream)
            if (HRESULT hr = Connect(); Failed(hr)) return hr;
        std::vector<std::pair<std::string, std::string>> headers = {
            {"Host", Endpoint.HostHeader()},
            {"Content-Type", contentType},
            {"User-Agent", "Veskin"},
            {"Connection", "Keep-Alive"},
        };
        if (Auth) {
            std::string authorization;
            if (HRESULT hr = Auth->Authorization(authorization); Failed(hr)) return hr;
            if (!authorization.empty()) headers.emplace_back("Authorization", authorization);
        }
        bool retry = false;
        const HRESULT hr = Attempt(BuildHttpRequest("POST", Endpoint.Path, headers, body), response, retry);
        if (!(retry && reused)) return hr;
        reused = false;
    }
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

HRESULT WsmanTransport::Post(const std::string& envelope, HttpResponse& response) {
    State& s = *FState;
    response = HttpResponse();
    if (!s.AuthChosen) {
        s.AuthResult = ChooseWsmanAuthenticator(s.Endpoint, s.Credentials, s.Auth);
        s.AuthDetail = TakeErrorDetail(s.AuthResult);
        s.AuthChosen = true;
    }
    if (Failed(s.AuthResult)) {
        SetErrorDetail(s.AuthResult, s.AuthDetail);
        return s.AuthResult;
    }

    for (int round = 1;; ++round) {
        std::string body = envelope;
        std::string contentType = "application/soap+xml;charset=UTF-8";
        if (s.Auth)
            if (HRESULT hr = s.Auth->Seal(body, contentType); Failed(hr)) return hr;
        if (HRESULT hr = s.Exchange(body, contentType, response); Failed(hr)) return hr;
        if (response.Status != 401) break;
        if (s.Auth && round < MaxAuthRounds && s.Auth->Challenge(response)) continue;
        const std::string offered = JoinSchemes(OfferedSchemes(response));
        SetErrorDetail(E_ACCESSDENIED,
                       s.Auth ? "the server refused the account with " + s.Auth->Scheme() +
                                    " authentication (the server offers: " + offered + ")"
                              : "the server asks for an account (it offers: " + offered + ")");
        return E_ACCESSDENIED;
    }
    if (s.Auth)
        if (HRESULT hr = s.Auth->Unseal(response); Failed(hr)) return hr;

    const int status = response.Status;
    if (status == 200) return S_OK;
    if ((status == 400 || status == 500) && IsSoap(response)) return S_OK;
    const std::string statusLine = "HTTP " + std::to_string(status) + (response.Reason.empty() ? "" : " ") +
                                   response.Reason + " from " + s.Where();
    HRESULT hr = WSMAN_E_HTTP_SERVER_ERROR;
    if (status == 404) hr = WSMAN_E_HTTP_NOT_FOUND;
    else if (status >= 400 && status < 500) hr = WSMAN_E_HTTP_BAD_REQUEST;
    SetErrorDetail(hr, "the server answered " + statusLine);
    return hr;
}

}  // namespace veskin
