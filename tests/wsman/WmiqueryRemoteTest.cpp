// The console program against the fake WinRM server, run as a user runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/support/FakeWinrmServer.h"
#include "tests/wsman/GssPeers.h"

// Built with the console program only (VESKIN_WMIQUERY names it).
#ifdef VESKIN_WMIQUERY
namespace veskin {
namespace {

struct Output {
    std::string Text;
    int Status = -1;
};

Output RunWmiquery(const std::string& arguments) {
    Output out;
    const std::string command = std::string(VESKIN_WMIQUERY) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.Text.append(buffer, n);
    out.Status = ::pclose(pipe);
    return out;
}

TEST(WmiqueryRemote, PrintsRemoteRowsAndRemoteFailures) {
    const TestCertificates& certs = MakeTestCertificates();
    ASSERT_TRUE(certs.Ok());
    ScopedEnv trust("SSL_CERT_FILE", certs.Trusted);
    FakeWinrmServer server({"--tls", certs.Good, certs.GoodKey, "--basic-user", "admin:secret"});
    ASSERT_TRUE(server.Running());
    const std::string host = "--host " + server.Url("https") + " --user admin --password secret ";

    Output rows = RunWmiquery(host + "\"SELECT Name, ProcessId FROM Win32_Process WHERE Name = 'smss.exe'\"");
    EXPECT_EQ(rows.Status, 0) << rows.Text;
    EXPECT_EQ(rows.Text, "Name\tProcessId\nsmss.exe\t8\nsmss.exe\t48\nsmss.exe\t88\nsmss.exe\t128\nsmss.exe\t168\n");

    Output types = RunWmiquery(host + "--csv \"SELECT U32, U64, When FROM Veskin_Types\"");
    EXPECT_EQ(types.Status, 0) << types.Text;
    EXPECT_NE(types.Text.find("4294967295"), std::string::npos) << types.Text;
    EXPECT_NE(types.Text.find("18446744073709551615"), std::string::npos) << types.Text;

    Output missing = RunWmiquery(host + "\"SELECT * FROM NoSuchClass\"");
    EXPECT_NE(missing.Status, 0);
    EXPECT_NE(missing.Text.find("Error: 80041010: The specified class is not valid.\n"), std::string::npos) << missing.Text;
}

TEST(WmiqueryRemote, StepsSayWhenTheServerHasNoSchemas) {
    const TestCertificates& certs = MakeTestCertificates();
    ASSERT_TRUE(certs.Ok());
    ScopedEnv trust("SSL_CERT_FILE", certs.Trusted);
    FakeWinrmServer server({"--tls", certs.Good, certs.GoodKey, "--basic-user", "admin:secret", "--no-schema"});
    ASSERT_TRUE(server.Running());
    Output steps = RunWmiquery("--steps --host " + server.Url("https") +
                       " --user admin --password secret \"SELECT * FROM Win32_Process\"");
    EXPECT_EQ(steps.Status, 0) << steps.Text;
    EXPECT_NE(steps.Text.find("class schema\t00000001\tthe server gave no class schema"), std::string::npos)
        << steps.Text;
}

TEST(WmiqueryRemote, RowsOverEncryptedHttpWithNtlmAndKerberos) {
    ASSERT_TRUE(Peers().Kdc.Running());  // the program inherits KRB5_CONFIG from this one
    FakeWinrmServer server({"--negotiate"}, 15000, Peers().ServerEnv());
    ASSERT_TRUE(server.Running());
    const std::string port = std::to_string(server.Port());
    const std::string query = " \"SELECT Name FROM Win32_Service WHERE Name = 'Spooler'\"";
    const std::string ntlmAccount = " --user alice --authority ntlmdomain:TESTDOM --password ";
    Output ntlm = RunWmiquery("--host 127.0.0.1:" + port + ntlmAccount + "Secret1" + query);
    EXPECT_EQ(ntlm.Status, 0) << ntlm.Text;
    EXPECT_EQ(ntlm.Text, "Name\nSpooler\n");
    Output kerberos = RunWmiquery("--host localhost:" + port + " --user alice@VESKIN.TEST --password Secret1" + query);
    EXPECT_EQ(kerberos.Status, 0) << kerberos.Text;
    EXPECT_EQ(kerberos.Text, "Name\nSpooler\n");
    Output wrong = RunWmiquery("--host 127.0.0.1:" + port + ntlmAccount + "nope" + query);
    EXPECT_EQ(WEXITSTATUS(wrong.Status), 4) << wrong.Text;
    EXPECT_NE(wrong.Text.find("Error: 80070005: Access is denied. "), std::string::npos) << wrong.Text;
    EXPECT_NE(wrong.Text.find("NTLM"), std::string::npos) << wrong.Text;
}

TEST(WmiqueryRemote, DiagnosisPrintsTheLadderAndExitsByTheFailedStep) {
    FakeWinrmServer server({"--basic-user", "admin:secret"});
    ASSERT_TRUE(server.Running());
    // Basic over plain HTTP: the ladder stops at authentication.
    Output refused = RunWmiquery("--diagnose --host " + server.Url() + " --user admin --password secret");
    EXPECT_EQ(WEXITSTATUS(refused.Status), 4) << refused.Text;
    EXPECT_NE(refused.Text.find("[ ok ] TCP connect to port "), std::string::npos) << refused.Text;
    EXPECT_NE(refused.Text.find("[FAIL] authentication ("), std::string::npos) << refused.Text;
    EXPECT_NE(refused.Text.find("Likely cause: The server offers only Basic, which needs HTTPS"), std::string::npos)
        << refused.Text;
    EXPECT_EQ(refused.Text.find("secret"), std::string::npos);
    EXPECT_EQ(WEXITSTATUS(RunWmiquery("--diagnose").Status), 2);  // no computer named
}

}  // namespace
}  // namespace veskin
#endif
