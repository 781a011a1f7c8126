// The console program against the fake WinRM server, run as a user runs it.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/CommandRun.h"
#include "tests/support/FakeWinrmServer.h"
#include "tests/wsman/GssPeers.h"

// Built with the console program only (VESKIN_WMIQUERY names it).
#ifdef VESKIN_WMIQUERY
namespace veskin {
namespace {

// The program's standard output and error together.
TCommandRun RunWmiquery(const std::string& arguments) {
    return RunCommand(std::string(VESKIN_WMIQUERY) + " " + arguments + " 2>&1");
}

TEST(WmiqueryRemote, PrintsRemoteRowsAndRemoteFailures) {
    const TestCertificates& certs = MakeTestCertificates();
    ASSERT_TRUE(certs.Ok());
    ScopedEnv trust("SSL_CERT_FILE", certs.Trusted);
    FakeWinrmServer server({"--tls", certs.Good, certs.GoodKey, "--basic-user", "admin:secret"});
    ASSERT_TRUE(server.Running());
    const std::string host = "--host " + server.Url("https") + " --user admin --password secret ";

    TCommandRun rows = RunWmiquery(host + "\"SELECT Name, ProcessId FROM Win32_Process WHERE Name = 'smss.exe'\"");
    EXPECT_EQ(rows.ExitCode, 0) << rows.Output;
    EXPECT_EQ(rows.Output, "Name\tProcessId\nsmss.exe\t8\nsmss.exe\t48\nsmss.exe\t88\nsmss.exe\t128\nsmss.exe\t168\n");

    TCommandRun types = RunWmiquery(host + "--csv \"SELECT U32, U64, When FROM Veskin_Types\"");
    EXPECT_EQ(types.ExitCode, 0) << types.Output;
    EXPECT_NE(types.Output.find("4294967295"), std::string::npos) << types.Output;
    EXPECT_NE(types.Output.find("18446744073709551615"), std::string::npos) << types.Output;

    TCommandRun missing = RunWmiquery(host + "\"SELECT * FROM NoSuchClass\"");
    EXPECT_NE(missing.ExitCode, 0);
    EXPECT_NE(missing.Output.find("Error: 80041010: The specified class is not valid.\n"), std::string::npos)
        << missing.Output;
}

TEST(WmiqueryRemote, TheRemoteClientAndItsLibrariesLoadOnlyForAnotherComputer) {
    // The dynamic loader names every file it opens.
    const std::string trace = "LD_DEBUG=files ";
    TCommandRun local = RunCommand(trace + VESKIN_WMIQUERY + " \"SELECT Caption FROM Win32_OperatingSystem\" 2>&1");
    EXPECT_EQ(local.ExitCode, 0) << local.Output;
    for (const char* library : {"veskin-wsman.so", "libssl", "libxml2", "libgssapi"})
        EXPECT_EQ(local.Output.find(library), std::string::npos) << library << " loaded:\n"
                                                                 << local.Output;

    TCommandRun remote = RunCommand(trace + VESKIN_WMIQUERY + " --host 127.0.0.1:1 \"SELECT * FROM Win32_Process\" 2>&1");
    EXPECT_NE(remote.ExitCode, 0);
    for (const char* library : {"veskin-wsman.so", "libssl", "libxml2", "libgssapi"})
        EXPECT_NE(remote.Output.find(library), std::string::npos) << library << " not loaded:\n"
                                                                  << remote.Output;
    // Refused by the port, so the module was loaded and ran.
    EXPECT_NE(remote.Output.find("Error: 80338112: "), std::string::npos) << remote.Output;
}

TEST(WmiqueryRemote, LibrariesAndTheModuleAreNeverLookedForInTheWorkingFolder) {
    // The loader names each file it tries; a relative one would come from an empty or
    // relative entry of the run path, and a library of that name in the working folder
    // would be loaded in place of the real one.
    TCommandRun run = RunCommand("LD_DEBUG=libs " + std::string(VESKIN_WMIQUERY) +
                                 " --host 127.0.0.1:1 \"SELECT * FROM Win32_Process\" 2>&1");
    const std::string marker = "trying file=";
    int tried = 0;
    for (auto at = run.Output.find(marker); at != std::string::npos; at = run.Output.find(marker, at + 1)) {
        ++tried;
        EXPECT_EQ(run.Output[at + marker.size()], '/') << run.Output.substr(at, run.Output.find('\n', at) - at);
    }
    EXPECT_GT(tried, 0) << run.Output;
}

TEST(WmiqueryRemote, StepsSayWhenTheServerHasNoSchemas) {
    const TestCertificates& certs = MakeTestCertificates();
    ASSERT_TRUE(certs.Ok());
    ScopedEnv trust("SSL_CERT_FILE", certs.Trusted);
    FakeWinrmServer server({"--tls", certs.Good, certs.GoodKey, "--basic-user", "admin:secret", "--no-schema"});
    ASSERT_TRUE(server.Running());
    TCommandRun steps = RunWmiquery("--steps --host " + server.Url("https") +
                                    " --user admin --password secret \"SELECT * FROM Win32_Process\"");
    EXPECT_EQ(steps.ExitCode, 0) << steps.Output;
    EXPECT_NE(steps.Output.find("class schema\t00000001\tthe server gave no class schema"), std::string::npos)
        << steps.Output;
}

TEST(WmiqueryRemote, RowsOverEncryptedHttpWithNtlmAndKerberos) {
    ASSERT_TRUE(Peers().Kdc.Running());  // the program inherits KRB5_CONFIG from this one
    FakeWinrmServer server({"--negotiate"}, 15000, Peers().ServerEnv());
    ASSERT_TRUE(server.Running());
    const std::string port = std::to_string(server.Port());
    const std::string query = " \"SELECT Name FROM Win32_Service WHERE Name = 'Spooler'\"";
    const std::string ntlmAccount = " --user alice --authority ntlmdomain:TESTDOM --password ";
    TCommandRun ntlm = RunWmiquery("--host 127.0.0.1:" + port + ntlmAccount + "Secret1" + query);
    EXPECT_EQ(ntlm.ExitCode, 0) << ntlm.Output;
    EXPECT_EQ(ntlm.Output, "Name\nSpooler\n");
    TCommandRun kerberos =
        RunWmiquery("--host localhost:" + port + " --user alice@VESKIN.TEST --password Secret1" + query);
    EXPECT_EQ(kerberos.ExitCode, 0) << kerberos.Output;
    EXPECT_EQ(kerberos.Output, "Name\nSpooler\n");
    TCommandRun wrong = RunWmiquery("--host 127.0.0.1:" + port + ntlmAccount + "nope" + query);
    EXPECT_EQ(wrong.ExitCode, 4) << wrong.Output;
    EXPECT_NE(wrong.Output.find("Error: 80070005: Access is denied. "), std::string::npos) << wrong.Output;
    EXPECT_NE(wrong.Output.find("NTLM"), std::string::npos) << wrong.Output;
}

TEST(WmiqueryRemote, DiagnosisPrintsTheLadderAndExitsByTheFailedStep) {
    FakeWinrmServer server({"--basic-user", "admin:secret"});
    ASSERT_TRUE(server.Running());
    // Basic over plain HTTP: the ladder stops at authentication.
    TCommandRun refused = RunWmiquery("--diagnose --host " + server.Url() + " --user admin --password secret");
    EXPECT_EQ(refused.ExitCode, 4) << refused.Output;
    EXPECT_NE(refused.Output.find("[ ok ] TCP connect to port "), std::string::npos) << refused.Output;
    EXPECT_NE(refused.Output.find("[FAIL] authentication ("), std::string::npos) << refused.Output;
    EXPECT_NE(refused.Output.find("Likely cause: The server offers only Basic, which needs HTTPS"), std::string::npos)
        << refused.Output;
    EXPECT_EQ(refused.Output.find("secret"), std::string::npos);
    EXPECT_EQ(RunWmiquery("--diagnose").ExitCode, 2);  // no computer named
}

}  // namespace
}  // namespace veskin
#endif
