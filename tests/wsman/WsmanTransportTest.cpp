#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/pem.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <regex>
#include <set>
#include <thread>

#include "platform/ErrorDetail.h"
#include "platform/wsman/TlsConnection.h"
#include "platform/wsman/WsmanTransport.h"
#include "tests/support/FakeWinrmServer.h"

namespace veskin {
namespace {

const char* const EnumAction = "http://schemas.xmlsoap.org/ws/2004/09/enumeration/";

// A bare envelope of the shapes the fake server reads (the real ones come from the
// request builders; these tests are about the connection).
std::string Envelope(const std::string& action, const std::string& body) {
    return "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
           "xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\" "
           "xmlns:n=\"http://schemas.xmlsoap.org/ws/2004/09/enumeration\" "
           "xmlns:w=\"http://schemas.dmtf.org/wbem/wsman/1/wsman.xsd\"><s:Header><a:Action>" +
           action +
           "</a:Action><a:MessageID>uuid:0</a:MessageID><w:ResourceURI>"
           "http://schemas.microsoft.com/wbem/wsman/1/wmi/root/cimv2/*</w:ResourceURI></s:Header><s:Body>" +
           body + "</s:Body></s:Envelope>";
}

std::string Enumerate(const std::string& wql) {
    return Envelope(std::string(EnumAction) + "Enumerate",
                    "<n:Enumerate><w:OptimizeEnumeration/><w:MaxElements>32000</w:MaxElements>"
                    "<w:Filter Dialect=\"http://schemas.microsoft.com/wbem/wsman/1/WQL\">" +
                        wql + "</w:Filter></n:Enumerate>");
}

std::string Pull(const std::string& context) {
    return Envelope(std::string(EnumAction) + "Pull",
                    "<n:Pull><n:EnumerationContext>" + context + "</n:EnumerationContext></n:Pull>");
}

std::string ContextOf(const std::string& body) {
    std::smatch match;
    static const std::regex context("<n:EnumerationContext>([^<]*)</n:EnumerationContext>");
    return std::regex_search(body, match, context) ? match[1].str() : std::string();
}

WsmanTransport Connect(const std::string& url, WsmanCredentials credentials = {}, WsmanTimeouts timeouts = {}) {
    WsmanEndpoint endpoint;
    EXPECT_TRUE(ParseWsmanEndpoint(url, endpoint)) << url;
    return WsmanTransport(endpoint, std::move(credentials), timeouts);
}

std::set<std::string> ClientPorts(const FakeWinrmServer& server) {
    std::set<std::string> ports;
    static const std::regex port("\"client_port\": ([0-9]+)");
    for (const auto& line : server.LogLines()) {
        std::smatch match;
        if (std::regex_search(line, match, port)) ports.insert(match[1].str());
    }
    return ports;
}

// The SHA-256 fingerprint of a PEM certificate file, as the transport shows it.
std::string FingerprintOf(const std::string& pemFile) {
    FILE* file = std::fopen(pemFile.c_str(), "r");
    if (!file) return std::string();
    X509* cert = PEM_read_X509(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    if (!cert) return std::string();
    unsigned char* der = nullptr;
    const int length = i2d_X509(cert, &der);
    std::vector<unsigned char> bytes(der, der + length);
    OPENSSL_free(der);
    X509_free(cert);
    return DescribeCertificate(bytes).Fingerprint;
}

class WsmanTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearErrorDetail();
        ASSERT_TRUE(MakeTestCertificates().Ok()) << "certs.py failed";
    }
    const TestCertificates& Certs() { return MakeTestCertificates(); }
};

TEST_F(WsmanTransportTest, HttpsWithBasicAccount) {
    FakeWinrmServer server({"--tls", Certs().Good, Certs().GoodKey, "--basic-user", "admin:S3cret!"});
    ASSERT_TRUE(server.Running());
    ScopedEnv trust("SSL_CERT_FILE", Certs().Trusted);

    auto right = Connect(server.Url("https"), {"admin", "S3cret!", ""});
    HttpResponse response;
    ASSERT_EQ(right.Post(Enumerate("SELECT * FROM Win32_OperatingSystem"), response), S_OK);
    EXPECT_EQ(response.Status, 200);
    EXPECT_NE(response.Body.find("Microsoft Windows Server 2019"), std::string::npos);
    EXPECT_EQ(right.PeerCertificate().Fingerprint, FingerprintOf(Certs().Good));
    EXPECT_NE(right.PeerCertificate().Subject.find("CN=127.0.0.1"), std::string::npos);
    EXPECT_EQ(right.PeerCertificate().EndPointHash.size(), 32u);  // signed with SHA-256
    // The TLS connection carries the next request too (session tickets do not break it).
    ASSERT_EQ(right.Post(Enumerate("SELECT * FROM Win32_Service"), response), S_OK);
    // An empty request without the account learnt what the server offers.
    ASSERT_EQ(server.LogLines().size(), 3u);
    EXPECT_NE(server.LogLines()[0].find("\"auth\": null"), std::string::npos);
    EXPECT_EQ(ClientPorts(server).size(), 1u);
    EXPECT_NE(server.LogLines()[2].find("\"auth\": \"Basic\""), std::string::npos);

    auto wrong = Connect(server.Url("https"), {"admin", "wrong-pass", ""});
    EXPECT_EQ(wrong.Post(Enumerate("SELECT * FROM Win32_OperatingSystem"), response), E_ACCESSDENIED);
    const std::string detail = TakeErrorDetail(E_ACCESSDENIED);
    EXPECT_NE(detail.find("refused the account with Basic authentication"), std::string::npos) << detail;
    EXPECT_NE(detail.find("offers: Basic"), std::string::npos) << detail;
    EXPECT_EQ(detail.find("wrong-pass"), std::string::npos);

    auto anonymous = Connect(server.Url("https"));
    EXPECT_EQ(anonymous.Post(Enumerate("SELECT * FROM Win32_OperatingSystem"), response), E_ACCESSDENIED);
    EXPECT_NE(TakeErrorDetail(E_ACCESSDENIED).find("asks for an account"), std::string::npos);
    EXPECT_NE(server.LogLines().back().find("\"auth\": null"), std::string::npos);
}

TEST_F(WsmanTransportTest, PasswordIsNeverSentToABasicOnlyServerOverPlainHttp) {
    FakeWinrmServer server({"--basic-user", "admin:S3cret!"});
    ASSERT_TRUE(server.Running());
    auto transport = Connect(server.Url(), {"admin", "S3cret!", ""});
    HttpResponse response;
    EXPECT_EQ(transport.Post(Enumerate("SELECT * FROM Win32_OperatingSystem"), response),
              WSMAN_E_UNENCRYPTED_REFUSED);
    const std::string detail = TakeErrorDetail(WSMAN_E_UNENCRYPTED_REFUSED);
    EXPECT_NE(detail.find("HTTPS"), std::string::npos);
    EXPECT_EQ(detail.find("S3cret!"), std::string::npos);
    // Asked again, it still refuses; the server only heard empty requests without an account.
    EXPECT_EQ(transport.Post(Enumerate("SELECT * FROM Win32_OperatingSystem"), response),
              WSMAN_E_UNENCRYPTED_REFUSED);
    for (const auto& line : server.LogLines()) {
        EXPECT_NE(line.find("\"auth\": null"), std::string::npos) << line;
        EXPECT_NE(line.find("\"action\": null"), std::string::npos) << line;
    }
}

TEST_F(WsmanTransportTest, RefusedCertificatesNameTheReasonAndTheFingerprint) {
    struct Case {
        std::string Cert, Key, TrustFile, Reason;
    };
    const Case cases[] = {
        {Certs().Good, Certs().GoodKey, Certs().Other, "the certificate is self-signed and not trusted"},
        {Certs().Expired, Certs().ExpiredKey, Certs().Trusted, "the certificate has expired"},
        {Certs().Other, Certs().OtherKey, Certs().Trusted,
         "the certificate is for another name (CN=other.example, not 127.0.0.1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Reason);
        FakeWinrmServer server({"--tls", c.Cert, c.Key});
        ASSERT_TRUE(server.Running());
        ScopedEnv trust("SSL_CERT_FILE", c.TrustFile);
        auto transport = Connect(server.Url("https"));
        HttpResponse response;
        EXPECT_EQ(transport.Post(Enumerate("SELECT * FROM Win32_OperatingSystem"), response), WSMAN_E_TLS_FAILURE);
        const std::string detail = TakeErrorDetail(WSMAN_E_TLS_FAILURE);
        EXPECT_NE(detail.find(c.Reason), std::string::npos) << detail;
        const std::string fingerprint = FingerprintOf(c.Cert);
        ASSERT_EQ(fingerprint.size(), 95u);
        EXPECT_NE(detail.find(fingerprint), std::string::npos) << detail;
        EXPECT_EQ(transport.PeerCertificate().Fingerprint, fingerprint);
        EXPECT_TRUE(server.LogLines().empty());
    }
}

TEST_F(WsmanTransportTest, UnreachableComputers) {
    // A port that was free a moment ago: nothing listens there.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    HttpResponse response;
    auto refused = Connect("127.0.0.1:" + std::to_string(ntohs(address.sin_port)));
    EXPECT_EQ(refused.Post(Enumerate("SELECT * FROM Win32_Process"), response), WSMAN_E_CONNECTION_REFUSED);
    EXPECT_NE(TakeErrorDetail(WSMAN_E_CONNECTION_REFUSED).find("refused"), std::string::npos);

    auto unknown = Connect("no-such-computer.invalid");
    EXPECT_EQ(unknown.Post(Enumerate("SELECT * FROM Win32_Process"), response), WSMAN_E_NAME_NOT_RESOLVED);
    EXPECT_NE(TakeErrorDetail(WSMAN_E_NAME_NOT_RESOLVED).find("no-such-computer.invalid"), std::string::npos);
}

TEST_F(WsmanTransportTest, SlowServerTimesOutWithinTheBound) {
    FakeWinrmServer server({"--delay-ms", "3000"});
    ASSERT_TRUE(server.Running());
    auto transport = Connect(server.Url(), {}, {2000, 300});
    HttpResponse response;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(transport.Post(Enumerate("SELECT * FROM Win32_Process"), response), WSMAN_E_NETWORK_TIMEOUT);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(290));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1500));
    EXPECT_NE(TakeErrorDetail(WSMAN_E_NETWORK_TIMEOUT).find("300 ms"), std::string::npos);
}

TEST_F(WsmanTransportTest, KeptAliveConnectionIsReusedAndReplacedSilentlyWhenClosed) {
    for (const char* option : {"--close-after-pages", "--drop-after-pages"}) {
        SCOPED_TRACE(option);
        FakeWinrmServer server({"--page-size", "5", option, "1", "--chunked"});
        ASSERT_TRUE(server.Running());
        auto transport = Connect(server.Url());
        HttpResponse response;
        ASSERT_EQ(transport.Post(Enumerate("SELECT * FROM Win32_Process"), response), S_OK);
        std::string context = ContextOf(response.Body);
        ASSERT_FALSE(context.empty());
        ASSERT_EQ(transport.Post(Pull(context), response), S_OK);  // the server closes after this one
        EXPECT_EQ(ClientPorts(server).size(), 1u);                 // one connection so far
        context = ContextOf(response.Body);
        ASSERT_EQ(transport.Post(Pull(context), response), S_OK) << TakeErrorDetail(WSMAN_E_HTTP_SERVER_ERROR);
        EXPECT_EQ(response.Status, 200);
        EXPECT_NE(response.Body.find("<n:Items><w:Item>"), std::string::npos);
        EXPECT_EQ(ClientPorts(server).size(), 2u);
        // The dropped request was sent again: the server saw that Pull twice.
        const std::size_t expected = std::string(option) == "--drop-after-pages" ? 4u : 3u;
        EXPECT_EQ(server.LogLines().size(), expected);
    }
}

TEST_F(WsmanTransportTest, WritingToAVanishedTlsServerFailsWithoutEndingTheProgram) {
    ScopedEnv trust("SSL_CERT_FILE", Certs().Trusted);
    auto server = std::make_unique<FakeWinrmServer>(std::vector<std::string>{"--tls", Certs().Good, Certs().GoodKey});
    ASSERT_TRUE(server->Running());
    const Deadline deadline(5000);
    auto socket = std::make_unique<SocketConnection>();
    ASSERT_EQ(socket->Connect("127.0.0.1", server->Port(), deadline), S_OK);
    TlsConnection tls(std::move(socket));
    ASSERT_EQ(tls.Handshake("127.0.0.1", true, deadline), S_OK) << TakeErrorDetail(WSMAN_E_TLS_FAILURE);
    server.reset();  // the server process ends; its side of the connection is gone
    // The first write may still be taken by the system, the next ones fail: first with
    // the reset, then as writes to a closed connection, which must be errors too. A
    // SIGPIPE would end this test program here.
    int failed = 0;
    for (int i = 0; i < 10; ++i) {
        if (tls.WriteAll(std::string(4096, 'x'), deadline) != IoStatus::Ok) ++failed;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GE(failed, 8);
}

TEST_F(WsmanTransportTest, HttpStatusMapping) {
    FakeWinrmServer server;
    ASSERT_TRUE(server.Running());
    HttpResponse response;

    auto wrongPath = Connect("http://127.0.0.1:" + std::to_string(server.Port()) + "/other");
    EXPECT_EQ(wrongPath.Post(Enumerate("SELECT * FROM Win32_Process"), response), WSMAN_E_HTTP_NOT_FOUND);
    EXPECT_NE(TakeErrorDetail(WSMAN_E_HTTP_NOT_FOUND).find("HTTP 404 Not Found"), std::string::npos);

    auto transport = Connect(server.Url());
    EXPECT_EQ(transport.Post(Enumerate("SELECT * FROM Veskin_Http400"), response), WSMAN_E_HTTP_BAD_REQUEST);
    EXPECT_NE(TakeErrorDetail(WSMAN_E_HTTP_BAD_REQUEST).find("HTTP 400"), std::string::npos);
    EXPECT_EQ(transport.Post(Enumerate("SELECT * FROM Veskin_Http500"), response), WSMAN_E_HTTP_SERVER_ERROR);
    EXPECT_NE(TakeErrorDetail(WSMAN_E_HTTP_SERVER_ERROR).find("HTTP 500"), std::string::npos);

    // A SOAP fault is the caller's to decode.
    EXPECT_EQ(transport.Post(Enumerate("SELECT * FROM No_Such_Class"), response), S_OK);
    EXPECT_EQ(response.Status, 500);
    EXPECT_NE(response.Body.find("<p:error_Code xsi:type=\"cim:cimUnsignedInt\">2147749904"), std::string::npos);
    // One connection for each transport: the failures kept the connection alive.
    EXPECT_EQ(ClientPorts(server).size(), 2u);
}

}  // namespace
}  // namespace veskin
