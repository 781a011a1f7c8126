// Negotiate, Kerberos and NTLM with message encryption, against the fake WinRM server
// whose acceptors are real: gss-ntlmssp with a user file, and an MIT KDC of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/FakeWinrmServer.h"
#include "tests/wsman/FailureOf.h"
#include "tests/wsman/GssPeers.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {
namespace {

struct GssFixture : ::testing::Test {
    std::unique_ptr<FakeWinrmServer> server;
    TWmiCredentials credentials;
    TWmiConnection conn;
    TWmiQuery query;

    void Start(std::vector<std::string> options = {}) {
        ASSERT_TRUE(Peers().Kdc.Running());
        options.insert(options.begin(), "--negotiate");
        server = std::make_unique<FakeWinrmServer>(options, 15000, Peers().ServerEnv());
        ASSERT_TRUE(server->Running());
        query.SetConnection(&conn);
    }
    // host: "127.0.0.1" or "localhost" (Kerberos needs a name).
    void Account(const char* host, const char16_t* user, const char16_t* password, const char16_t* authority,
                 const char* scheme = "http") {
        credentials.SetUserName(user);
        credentials.SetPassword(password);
        credentials.SetAuthority(authority);
        conn.SetMachineName(AnsiToWide(std::string(scheme) + "://" + host + ":" + std::to_string(server->Port()) +
                                       "/wsman"));
        conn.SetCredentials(&credentials);
    }
    int CountRows(const char* wql) {
        query.Close();
        query.SetWQL({wql});
        query.Open();
        int rows = 0;
        for (; !query.Eof(); query.Next()) ++rows;
        return rows;
    }
    // How many logged requests carry text (a JSON fragment such as "\"mech\": \"ntlm\"").
    long Logged(const std::string& text) const {
        long n = 0;
        for (const auto& line : server->LogLines()) n += line.find(text) != std::string::npos;
        return n;
    }
    std::string Failure() {
        return FailureOf([&] { CountRows("SELECT * FROM Win32_Process"); });
    }
};

TEST_F(GssFixture, EachMechanismQueriesOverEncryptedHttp) {
    struct Case {
        const char* host;
        const char16_t* user;
        const char16_t* authority;
        const char* mech;
    };
    for (const Case& c : {Case{"127.0.0.1", u"alice", u"ntlmdomain:TESTDOM", "ntlm"},
                          Case{"127.0.0.1", u"TESTDOM\\alice", u"", "ntlm"},  // Negotiate to an address: NTLM
                          Case{"localhost", u"alice@VESKIN.TEST", u"kerberos:", "kerberos"},
                          Case{"localhost", u"alice@VESKIN.TEST", u"", "kerberos"}}) {
        SCOPED_TRACE(c.mech);
        Start({"--page-size", "10"});
        Account(c.host, c.user, u"Secret1", c.authority);
        EXPECT_EQ(CountRows("SELECT * FROM Win32_Process"), 46);
        query.Close();
        conn.Close();
        // Every SOAP request went sealed, on a context of the expected mechanism.
        EXPECT_GT(Logged("\"encrypted\": true"), 5);
        EXPECT_EQ(Logged("\"action\": \"http"), Logged("\"encrypted\": true"));
        EXPECT_GE(Logged("\"mech\": \"" + std::string(c.mech) + "\""), Logged("\"encrypted\": true"));
        EXPECT_EQ(Logged(std::string("\"mech\": \"") + (c.mech[0] == 'n' ? "kerberos" : "ntlm") + "\""), 0);
    }
}

TEST_F(GssFixture, WrongPasswordIsAccessDeniedNamingTheMechanism) {
    Start();
    Account("127.0.0.1", u"alice", u"wrong", u"ntlmdomain:TESTDOM");
    std::string failure = Failure();
    EXPECT_EQ(failure.substr(0, 28), "80070005: Access is denied. ") << failure;
    EXPECT_NE(failure.find("NTLM"), std::string::npos) << failure;

    conn.Close();
    Account("localhost", u"alice@VESKIN.TEST", u"wrong", u"kerberos:");
    failure = Failure();
    EXPECT_EQ(failure.substr(0, 10), "80070005: ") << failure;
    EXPECT_NE(failure.find("Kerberos"), std::string::npos) << failure;

    // Negotiate: the KDC refuses the password, NTLM is refused too, and both are told.
    conn.Close();
    Account("localhost", u"alice@VESKIN.TEST", u"wrong", u"");
    failure = Failure();
    EXPECT_EQ(failure.substr(0, 10), "80070005: ") << failure;
    EXPECT_NE(failure.find("NTLM (Negotiate)"), std::string::npos) << failure;
    EXPECT_NE(failure.find("Kerberos was not used"), std::string::npos) << failure;
}

TEST_F(GssFixture, AnswersThatCannotBeDecryptedEndTheRun) {
    for (const char* option : {"--tamper-response", "--bad-length"}) {
        SCOPED_TRACE(option);
        // The first encrypted answer is the connection's probe; the second a page.
        Start({option, "2", "--page-size", "10"});
        Account("127.0.0.1", u"alice", u"Secret1", u"ntlmdomain:TESTDOM");
        const std::string failure = Failure();
        EXPECT_EQ(failure.substr(0, 10), "803380F9: ") << failure;
        conn.Close();
    }
}

TEST_F(GssFixture, EncryptionRefusedByTheServerIsNamed) {
    Start({"--refuse-encrypted"});
    Account("127.0.0.1", u"alice", u"Secret1", u"ntlmdomain:TESTDOM");
    const std::string failure = Failure();
    EXPECT_EQ(failure.substr(0, 10), "80338171: ") << failure;
    EXPECT_NE(failure.find("refused the encrypted message"), std::string::npos) << failure;
}

TEST_F(GssFixture, ClosedConnectionAuthenticatesAgainMidEnumeration) {
    Start({"--close-after-pages", "1", "--page-size", "10"});
    Account("localhost", u"alice@VESKIN.TEST", u"Secret1", u"");
    EXPECT_EQ(CountRows("SELECT * FROM Win32_Process"), 46);
    // Two connections, each with its own context.
    EXPECT_GE(Logged("\"auth\": \"Negotiate\""), 2);
}

TEST_F(GssFixture, KerberosFailuresKeepTheKdcsWords) {
    Start();
    // A service the realm does not know.
    Account("localhost", u"alice@VESKIN.TEST", u"Secret1", u"kerberos:HTTP/nohost.veskin.test@VESKIN.TEST");
    std::string failure = Failure();
    EXPECT_EQ(failure.substr(0, 10), "80090303: ") << failure;
    EXPECT_NE(failure.find("not found in Kerberos database"), std::string::npos) << failure;
    // Kerberos to an address.
    conn.Close();
    Account("127.0.0.1", u"alice@VESKIN.TEST", u"Secret1", u"kerberos:");
    EXPECT_EQ(Failure().substr(0, 10), "8033810B: ");
}

TEST_F(GssFixture, NegotiateFallsBackToNtlmWhenNoKdcAnswers) {
    Start();        // sets the shared realm up first: it points KRB5_CONFIG at itself
    FakeKdc spare;  // a second realm's KDC, stopped at once: its configuration names a dead port
    ASSERT_TRUE(spare.Running());
    spare.Stop();
    ScopedEnv deadKdc("KRB5_CONFIG", spare.Krb5Config());
    Account("localhost", u"alice@VESKIN.TEST", u"Secret1", u"kerberos:");
    const std::string failure = Failure();
    EXPECT_EQ(failure.substr(0, 10), "80090311: ") << failure;
    EXPECT_NE(failure.find("KDC"), std::string::npos) << failure;

    conn.Close();
    Account("localhost", u"alice@VESKIN.TEST", u"Secret1", u"");
    EXPECT_EQ(CountRows("SELECT * FROM Win32_Service"), 4);
    EXPECT_GT(Logged("\"mech\": \"ntlm\""), 0);
    EXPECT_EQ(Logged("\"mech\": \"kerberos\""), 0);
}

TEST_F(GssFixture, OwnTicketWhenNoUserIsNamed) {
    const std::string cache = Peers().Kdc.Dir() + "/own-ccache";
    ScopedEnv ccache("KRB5CCNAME", "FILE:" + cache);
    const std::string kinit = "echo Secret1 | KRB5_CONFIG=" + Peers().Kdc.Krb5Config() + " KRB5CCNAME=FILE:" + cache +
                              " kinit alice@VESKIN.TEST >/dev/null 2>&1";
    ASSERT_EQ(std::system(kinit.c_str()), 0);
    Start();
    Account("localhost", u"", u"", u"");
    EXPECT_EQ(CountRows("SELECT * FROM Win32_Service"), 4);
    EXPECT_GT(Logged("\"mech\": \"kerberos\""), 0);
    std::filesystem::remove(cache);
    conn.Close();
    const std::string failure = Failure();
    EXPECT_EQ(failure.substr(0, 10), "8009030E: ") << failure;
}

TEST_F(GssFixture, HttpsWithStrictChannelBinding) {
    const TestCertificates& certs = MakeTestCertificates();
    ASSERT_TRUE(certs.Ok());
    ScopedEnv trust("SSL_CERT_FILE", certs.Trusted);
    Start({"--tls", certs.Good, certs.GoodKey, "--channel-binding", "strict"});
    Account("127.0.0.1", u"alice", u"Secret1", u"ntlmdomain:TESTDOM", "https");
    EXPECT_EQ(CountRows("SELECT * FROM Win32_Service"), 4);
    conn.Close();
    Account("localhost", u"alice@VESKIN.TEST", u"Secret1", u"", "https");
    EXPECT_EQ(CountRows("SELECT * FROM Win32_Service"), 4);
    EXPECT_EQ(Logged("\"encrypted\": true"), 0);  // TLS protects the messages
}

}  // namespace
}  // namespace veskin
