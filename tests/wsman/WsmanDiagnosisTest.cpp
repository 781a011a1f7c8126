// The connection ladder of the diagnosis, failing at each step in turn, against the fake
// WinRM server and the test realm.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/wsman/WsmanDiagnosis.h"
#include "tests/wsman/GssPeers.h"

namespace veskin {
namespace {

struct Ladder {
    std::vector<WsmanDiagnosisStep> Steps;
    bool Passed = false;

    const WsmanDiagnosisStep& Last() const { return Steps.back(); }
    const WsmanDiagnosisStep* Note() const {
        for (const auto& step : Steps)
            if (step.Note) return &step;
        return nullptr;
    }
};

Ladder Diagnose(const std::string& computer, WsmanCredentials credentials = {}, const std::string& ns = "root\\cimv2",
                const std::string& query = "SELECT * FROM Win32_Service") {
    Ladder ladder;
    WsmanDiagnosisRequest request{computer, std::move(credentials), ns, query};
    ladder.Passed = DiagnoseWsman(
        request, [&](const WsmanDiagnosisStep& step) { ladder.Steps.push_back(step); },
        WsmanTimeouts{5000, 10000});
    return ladder;
}

// A port on 127.0.0.1 where nothing listens.
std::uint16_t ClosedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

TEST(WsmanDiagnosis, EveryStepPassesOrTheLadderStopsAtTheFirstFailureWithItsCause) {
    ASSERT_TRUE(Peers().Kdc.Running());
    FakeWinrmServer server({"--negotiate"}, 15000, Peers().ServerEnv());
    ASSERT_TRUE(server.Running());
    const std::string port = std::to_string(server.Port());
    const WsmanCredentials alice{"alice@VESKIN.TEST", "Secret1", ""};

    Ladder all = Diagnose("localhost:" + port, alice);
    ASSERT_TRUE(all.Passed);
    ASSERT_EQ(all.Steps.size(), 7u);
    EXPECT_EQ(all.Steps[4].Name, "authentication");
    EXPECT_EQ(all.Steps[4].Outcome, "Kerberos (Negotiate) accepted");
    EXPECT_NE(all.Steps[3].Outcome.find("offers Negotiate, Kerberos"), std::string::npos) << all.Steps[3].Outcome;
    EXPECT_EQ(all.Last().Outcome, "4 objects");

    struct Case {
        Ladder ladder;
        const char* step;    // the step that failed
        const char* code;    // its code
        const char* advice;  // a word of its advice
    };
    const Case cases[] = {
        {Diagnose("http://"), "computer name", "803381B9", "name"},
        {Diagnose("no-such-computer.invalid"), "name resolution", "803381B9", "name server"},
        {Diagnose("127.0.0.1:" + std::to_string(ClosedPort())), "TCP connect", "80338112", "winrm quickconfig"},
        {Diagnose("http://127.0.0.1:" + port + "/other"), "WS-Management Identify", "80338113", "/wsman"},
        {Diagnose("localhost:" + port, {"alice@VESKIN.TEST", "wrong", "kerberos:"}), "authentication", "80070005",
         "password"},
        {Diagnose("127.0.0.1:" + port, {"alice@VESKIN.TEST", "Secret1", "kerberos:"}), "authentication", "8033810B",
         "DNS name"},
        {Diagnose("127.0.0.1:" + port, {"alice", "wrong", "ntlmdomain:TESTDOM"}), "authentication", "80070005",
         "remote UAC"},
        {Diagnose("localhost:" + port, alice, "root\\nothing"), "namespace", "8004100E", "namespace"},
        {Diagnose("localhost:" + port, alice, "root\\cimv2", "SELECT * FROM NoSuchClass"), "query", "80041010",
         "class"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        EXPECT_FALSE(c.ladder.Passed);
        const WsmanDiagnosisStep& last = c.ladder.Last();
        EXPECT_FALSE(last.Passed);
        EXPECT_EQ(last.Name.rfind(c.step, 0), 0u) << last.Name;
        EXPECT_EQ(last.Outcome.substr(0, 8), c.code) << last.Outcome;
        EXPECT_NE(last.Advice.find(c.advice), std::string::npos) << last.Advice;
        // Every step before the failing one passed.
        for (std::size_t i = 0; i + 1 < c.ladder.Steps.size(); ++i) EXPECT_TRUE(c.ladder.Steps[i].Passed);
    }
}

TEST(WsmanDiagnosis, TlsFailureNamesTheCertificatesFault) {
    const TestCertificates& certs = MakeTestCertificates();
    ASSERT_TRUE(certs.Ok());
    ScopedEnv trust("SSL_CERT_FILE", certs.Trusted);
    FakeWinrmServer expired({"--tls", certs.Expired, certs.ExpiredKey, "--basic-user", "admin:secret"});
    ASSERT_TRUE(expired.Running());
    const Ladder ladder = Diagnose(expired.Url("https"), {"admin", "secret", ""});
    EXPECT_FALSE(ladder.Passed);
    EXPECT_EQ(ladder.Last().Name, "TLS handshake and certificate");
    EXPECT_NE(ladder.Last().Advice.find("expired"), std::string::npos) << ladder.Last().Advice;
}

TEST(WsmanDiagnosis, NegotiateFallingBackToNtlmTellsWhyKerberosWasNotUsed) {
    FakeKdc spare;  // a realm whose KDC is gone
    ASSERT_TRUE(spare.Running());
    spare.Stop();
    ASSERT_TRUE(Peers().Kdc.Running());
    FakeWinrmServer server({"--negotiate"}, 15000, Peers().ServerEnv());
    ASSERT_TRUE(server.Running());
    ScopedEnv deadKdc("KRB5_CONFIG", spare.Krb5Config());
    const Ladder ladder = Diagnose("localhost:" + std::to_string(server.Port()), {"alice@VESKIN.TEST", "Secret1", ""});
    EXPECT_TRUE(ladder.Passed);
    ASSERT_NE(ladder.Note(), nullptr);
    EXPECT_EQ(ladder.Note()->Name, "Kerberos alone");
    EXPECT_NE(ladder.Note()->Outcome.find("KDC"), std::string::npos) << ladder.Note()->Outcome;
}

}  // namespace
}  // namespace veskin
