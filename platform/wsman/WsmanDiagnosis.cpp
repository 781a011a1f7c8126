#include "platform/wsman/WsmanDiagnosis.h"

#include <chrono>
#include <cstdio>

#include "platform/ErrorDetail.h"
#include "platform/WbemRepository.h"
#include "platform/wsman/GssContext.h"
#include "platform/wsman/SocketConnection.h"
#include "platform/wsman/TlsConnection.h"
#include "platform/wsman/WsmanAuth.h"
#include "platform/wsman/WsmanDecoder.h"
#include "platform/wsman/WsmanEnumeration.h"
#include "platform/wsman/WsmanRequests.h"
#include "platform/wsman/WsmanSession.h"
#include "rtl/WideString.h"

namespace veskin {

namespace {

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// The most likely cause of a failed step, in one sentence, and what to change.
// detail: what the failing layer recorded.
std::string AdviceFor(HRESULT hr, const std::string& detail, const WsmanEndpoint& endpoint, const std::string& mechanism) {
    const std::string port = std::to_string(endpoint.Port);
    if (hr == WSMAN_E_NAME_NOT_RESOLVED)
        return "The name server does not know " + endpoint.Host + ": check the spelling, or use the computer's full DNS name or its address.";
    if (hr == WSMAN_E_CONNECTION_REFUSED)
        return "Nothing listens on port " + port + " there: run \"winrm quickconfig\" on the computer" +
               (endpoint.Tls ? " and create the HTTPS listener" : "") + ", and allow the port in its firewall.";
    if (hr == WSMAN_E_NETWORK_TIMEOUT)
        return "No answer in time: a firewall on the way drops the traffic to port " + port + ", or the computer is off.";
    if (hr == WSMAN_E_TLS_FAILURE) {
        if (Contains(detail, "expired")) return "The computer's certificate has expired: renew it and bind the new one to the HTTPS listener.";
        if (Contains(detail, "name")) return "The certificate is issued for another name: connect with the name it carries, or issue one for this name.";
        return "The certificate is not trusted here: add its issuer to the trust store (or name a file with SSL_CERT_FILE), or use a certificate from a trusted authority.";
    }
    if (hr == WSMAN_E_HTTP_NOT_FOUND) return "Something answers on port " + port + " but not WS-Management: check the port and the path (/wsman).";
    if (hr == WSMAN_E_KERBEROS_TO_ADDRESS) return "Kerberos needs the computer's DNS name, not its IP address: connect by name, or use NTLM (ntlmdomain:).";
    if (hr == SEC_E_TARGET_UNKNOWN)
        return "The realm does not know the service principal: connect with the computer's full DNS name as the realm knows it, or name the right principal with kerberos:PRINCIPAL.";
    if (hr == SEC_E_NO_AUTHENTICATING_AUTHORITY)
        return "No KDC answered for the realm: check the realm and its kdc entries in krb5.conf (or KRB5_CONFIG), or use NTLM (ntlmdomain:DOMAIN).";
    if (hr == SEC_E_NO_CREDENTIALS) return "There is no Kerberos ticket of your own: run kinit, or type a user and password.";
    if (hr == WSMAN_E_UNENCRYPTED_REFUSED) return "The server offers only Basic, which needs HTTPS: connect with https:// (port 5986), or enable Negotiate on the server.";
    if (hr == WSMAN_E_HTTP_BAD_REQUEST && Contains(detail, "encrypted message"))
        return "The server (or a proxy on the way) does not take encrypted messages: connect with https:// (port 5986).";
    if (hr == WSMAN_E_CANNOT_DECRYPT) return "The server's encrypted answer could not be read: a proxy may alter the traffic; try HTTPS.";
    if (hr == E_ACCESSDENIED) {
        if (Contains(mechanism, "NTLM"))
            return "The user name or password is wrong, or the account may not connect: local accounts other than the built-in Administrator are filtered by remote UAC (set LocalAccountTokenFilterPolicy to 1, or use a domain account).";
        if (Contains(mechanism, "Basic"))
            return "The user name or password is wrong, or Basic is off on the server: Basic takes local accounts only (winrm set winrm/config/service/auth @{Basic=\"true\"}).";
        return "The realm or the server refused the account: check the user name, the password and the account's membership of Administrators or Remote Management Users.";
    }
    if (hr == WBEM_E_INVALID_NAMESPACE) return "The computer has no such namespace: check its name (root\\cimv2 is the usual one).";
    if (hr == WBEM_E_ACCESS_DENIED) return "The account may not read this namespace: grant it Remote Enable in the computer's WMI Control security.";
    if (hr == WBEM_E_INVALID_CLASS) return "The namespace has no such class: check the class name in the query.";
    if (hr == WBEM_E_INVALID_QUERY) return "The server did not understand the query: check its WQL.";
    return "See the message: the server or the network refused this step.";
}

class Ladder {
public:
    Ladder(const std::function<void(const WsmanDiagnosisStep&)>& report) : FReport(report) {}

    // Runs one step; action fills the outcome and returns its result code.
    bool Step(const std::string& name, WsmanStepKind kind, const std::function<HRESULT(std::string&)>& action,
              const std::function<std::string(HRESULT, const std::string&)>& advice) {
        ClearErrorDetail();
        WsmanDiagnosisStep step;
        step.Name = name;
        step.Kind = kind;
        const auto start = std::chrono::steady_clock::now();
        std::string outcome;
        const HRESULT hr = action(outcome);
        step.Milliseconds = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
        step.Passed = Succeeded(hr);
        step.Outcome = outcome;
        if (!step.Passed) {
            char code[16];
            std::snprintf(code, sizeof code, "%08X: ", static_cast<unsigned>(hr));
            step.Code = hr;
            step.Detail = TakeErrorDetail(hr);
            step.Outcome = code + step.Detail;
            step.Advice = advice(hr, step.Detail);
        }
        FReport(step);
        return step.Passed;
    }
    void Note(const std::string& name, const std::string& outcome) {
        WsmanDiagnosisStep step;
        step.Name = name;
        step.Note = true;
        step.Outcome = outcome;
        FReport(step);
    }

private:
    const std::function<void(const WsmanDiagnosisStep&)>& FReport;
};

std::string Join(const std::vector<std::string>& parts) {
    std::string text;
    for (const auto& part : parts) text += (text.empty() ? "" : ", ") + part;
    return text.empty() ? "nothing" : text;
}

}  // namespace

bool DiagnoseWsman(const WsmanDiagnosisRequest& request, const std::function<void(const WsmanDiagnosisStep&)>& report,
                   WsmanTimeouts timeouts) {
    Ladder ladder(report);
    WsmanEndpoint endpoint;
    std::string mechanism;
    const auto advise = [&](HRESULT hr, const std::string& detail) { return AdviceFor(hr, detail, endpoint, mechanism); };

    if (!ladder.Step(
            "computer name", WsmanStepKind::Connection, [&](std::string& outcome) {
                if (!ParseWsmanEndpoint(request.Computer, endpoint)) {
                    SetErrorDetail(WSMAN_E_NAME_NOT_RESOLVED, "\"" + request.Computer + "\" is no computer name or address");
                    return WSMAN_E_NAME_NOT_RESOLVED;
                }
                outcome = endpoint.Url();
                return S_OK;
            },
            advise))
        return false;

    if (!ladder.Step(
            "name resolution", WsmanStepKind::Connection, [&](std::string& outcome) {
                std::vector<std::string> addresses;
                const HRESULT hr = ResolveAddresses(endpoint.Host, endpoint.Port, Deadline(timeouts.ConnectMs), addresses);
                outcome = Join(addresses);
                return hr;
            },
            advise))
        return false;

    std::unique_ptr<SocketConnection> socket;
    const std::string connect = "TCP connect to port " + std::to_string(endpoint.Port);
    if (!ladder.Step(
            connect, WsmanStepKind::Connection, [&](std::string& outcome) {
                socket = std::make_unique<SocketConnection>();
                const HRESULT hr = socket->Connect(endpoint.Host, endpoint.Port, Deadline(timeouts.ConnectMs));
                outcome = "connected";
                return hr;
            },
            advise))
        return false;

    if (endpoint.Tls &&
        !ladder.Step(
            "TLS handshake and certificate", WsmanStepKind::Connection, [&](std::string& outcome) {
                TlsConnection tls(std::move(socket));
                const HRESULT hr = tls.Handshake(endpoint.Host, endpoint.HostIsAddress(), Deadline(timeouts.ConnectMs));
                const WsmanCertificate& peer = tls.PeerCertificate();
                outcome = peer.Subject + ", valid until " + peer.NotAfter + ", SHA-256 " + peer.Fingerprint;
                return hr;
            },
            advise))
        return false;

    // What the server says it is, and what it offers to a request without an account.
    WsmanTransport anonymous(endpoint, {}, timeouts);
    if (!ladder.Step(
            "WS-Management Identify (no account)", WsmanStepKind::Connection, [&](std::string& outcome) {
                HttpResponse response;
                HRESULT hr = anonymous.PostAnonymous(WsmanIdentifyRequest(), {{"WSMANIDENTIFY", "unauthenticated"}}, response);
                if (Failed(hr)) return hr;
                if (response.Status != 200 && response.Status != 401) {
                    hr = response.Status == 404  ? WSMAN_E_HTTP_NOT_FOUND
                         : response.Status < 500 ? WSMAN_E_HTTP_BAD_REQUEST
                                                 : WSMAN_E_HTTP_SERVER_ERROR;
                    SetErrorDetail(hr, "the server answered HTTP " + std::to_string(response.Status) + " to Identify");
                    return hr;
                }
                WsmanIdentity identity;
                if (response.Status == 200 && Succeeded(DecodeIdentifyResponse(response.Body, identity)))
                    outcome = identity.ProductVendor + " " + identity.ProductVersion + ", protocol " + identity.ProtocolVersion;
                else
                    outcome = "no identity without an account (HTTP " + std::to_string(response.Status) + ")";
                hr = anonymous.PostAnonymous({}, {}, response);
                if (Failed(hr)) return hr;
                outcome += "; offers " + (response.Status == 401 ? OfferedSchemesText(response) : std::string("access without an account"));
                return S_OK;
            },
            advise))
        return false;

    auto transport = std::make_unique<WsmanTransport>(endpoint, request.Credentials, timeouts);
    WsmanTransport* account = transport.get();
    bool authenticated = ladder.Step(
        "authentication", WsmanStepKind::Authentication, [&](std::string& outcome) {
        const HRESULT hr = account->Authenticate();
        mechanism = account->Mechanism();
        outcome = mechanism.empty() ? "the server asked for no account" : mechanism + " accepted";
        return hr; }, [&](HRESULT hr, const std::string& detail) {
        mechanism = account->Mechanism();
        return AdviceFor(hr, detail, endpoint, mechanism.empty() ? detail : mechanism); });
    if (const std::string note = account->KerberosNote(); !note.empty()) ladder.Note("Kerberos alone", note);
    if (!authenticated) return false;

    const WideString ns = WbemRepository::NormaliseNamespace(AnsiToWide(request.NameSpace));
    auto session = std::make_shared<WsmanSession>(std::move(transport), ns, timeouts);
    if (!ladder.Step(
            "namespace " + request.NameSpace, WsmanStepKind::Query, [&](std::string& outcome) {
                WsmanEnumeration probe(session, {"SELECT * FROM __NAMESPACE WHERE Name = ''", {}, {}});
                WbemObjectPtr first;
                const HRESULT hr = probe.Next(first);
                outcome = "reachable";
                return hr;
            },
            advise))
        return false;

    return ladder.Step(
        "query", WsmanStepKind::Query, [&](std::string& outcome) {
            WsmanEnumeration results(session, {request.Query, {}, {}});
            long count = 0;
            for (;;) {
                WbemObjectPtr object;
                const HRESULT hr = results.Next(object);
                if (Failed(hr)) return hr;
                if (hr == S_FALSE) break;
                ++count;
            }
            outcome = std::to_string(count) + (count == 1 ? " object" : " objects");
            return S_OK;
        },
        advise);
}

}  // namespace veskin
