// wmiquery's command line: options, where query and password come from, usage errors
// and the exit code of each kind of failure.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "tools/wmiquery/CommandLine.h"

namespace veskin {
namespace {

TEST(CommandLine, OptionsAndQueryWords) {
    TCommandLine c = ParseCommandLine({"--json", "--host", "srv:5985", "--namespace=root\\default", "--user",
                                       "DOM\\me", "--authority", "NTLMDOMAIN:DOM", "SELECT", "*", "FROM", "X"});
    EXPECT_EQ(c.Command, TCommand::Run);
    EXPECT_EQ(c.Format, TOutputFormat::Json);
    EXPECT_EQ(c.Request.MachineName, u"srv:5985");
    EXPECT_EQ(c.Request.NameSpace, u"root\\default");
    EXPECT_EQ(c.Request.UserName, u"DOM\\me");
    EXPECT_EQ(c.Request.Authority, u"NTLMDOMAIN:DOM");
    EXPECT_EQ(c.Request.Query, "SELECT * FROM X");
    EXPECT_FALSE(c.QueryFromInput);

    c = ParseCommandLine({"--csv", "--", "--odd query"});
    EXPECT_EQ(c.Format, TOutputFormat::Csv);
    EXPECT_EQ(c.Request.Query, "--odd query");
    EXPECT_EQ(c.Request.NameSpace, u"root\\cimV2");

    EXPECT_EQ(ParseCommandLine({"--steps", "SELECT * FROM X"}).Command, TCommand::Steps);
    EXPECT_EQ(ParseCommandLine({"--host", "h", "--help", "--bogus"}).Command, TCommand::Help);
    EXPECT_EQ(ParseCommandLine({"-h"}).Command, TCommand::Help);
    EXPECT_EQ(ParseCommandLine({"--version"}).Command, TCommand::Version);
    EXPECT_EQ(ParseCommandLine({}).Format, TOutputFormat::Table);
}

TEST(CommandLine, QueryFromStandardInput) {
    EXPECT_TRUE(ParseCommandLine({}).QueryFromInput);
    TCommandLine c = ParseCommandLine({"--json", "-"});
    EXPECT_TRUE(c.QueryFromInput);
    EXPECT_EQ(c.Request.Query, "");
    EXPECT_FALSE(ParseCommandLine({"-", "x"}).QueryFromInput);

    std::istringstream twoLines("SELECT Name\r\nFROM Win32_Process\n\n");
    EXPECT_EQ(ReadQuery(twoLines), "SELECT Name\r\nFROM Win32_Process");
    std::istringstream blank(" \n\t\n");
    EXPECT_THROW(ReadQuery(blank), EUsageError);
}

TEST(CommandLine, UsageErrors) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--bogus", "q"}, {"--host"}, {"--csv", "--json", "q"}, {"--steps", "--json", "q"}, {"--csv=yes", "q"}}) {
        SCOPED_TRACE(args[0]);
        EXPECT_THROW(ParseCommandLine(args), EUsageError);
    }
    // A single-dash word is the query, not an option.
    EXPECT_EQ(ParseCommandLine({"-x"}).Request.Query, "-x");
    try {
        ParseCommandLine({"--user"});
        ADD_FAILURE() << "no usage error";
    } catch (const EUsageError& e) {
        EXPECT_EQ(e.Message(), "option --user needs a value");
    }
}

TEST(CommandLine, PasswordFromOptionFileOrEnvironment) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("wmiquery-password-" + std::to_string(::getpid()));
    {
        std::ofstream out(file, std::ios::binary);
        out << "s3cr\xC3\xA9t\r\nsecond line\n";
    }
    TCommandLine c = ParseCommandLine({"--password-file", file.string(), "q"});
    ResolvePassword(c, "from-environment");
    EXPECT_EQ(c.Request.Password, u"s3cr\u00e9t");

    c = ParseCommandLine({"--password-file", file.string(), "--password", "given", "q"});
    ResolvePassword(c, "from-environment");
    EXPECT_EQ(c.Request.Password, u"given");

    c = ParseCommandLine({"--password=", "q"});
    ResolvePassword(c, "from-environment");
    EXPECT_EQ(c.Request.Password, u"");

    c = ParseCommandLine({"q"});
    ResolvePassword(c, "from-environment");
    EXPECT_EQ(c.Request.Password, u"from-environment");
    c = ParseCommandLine({"q"});
    ResolvePassword(c, nullptr);
    EXPECT_EQ(c.Request.Password, u"");

    std::filesystem::remove(file);
    c = ParseCommandLine({"--password-file", file.string(), "q"});
    EXPECT_THROW(ResolvePassword(c, "from-environment"), EUsageError);
}

TEST(ExitCodes, EachFailureHasItsOwnDocumentedCode) {
    EXPECT_EQ(ConnectFailureKind(static_cast<std::int32_t>(0x80070005u)), TQueryFailure::Authentication);
    EXPECT_EQ(ConnectFailureKind(static_cast<std::int32_t>(0x80041003u)), TQueryFailure::Authentication);
    EXPECT_EQ(ConnectFailureKind(static_cast<std::int32_t>(0x800706BAu)), TQueryFailure::Connection);
    EXPECT_EQ(ConnectFailureKind(static_cast<std::int32_t>(0x8004100Eu)), TQueryFailure::Connection);
    EXPECT_EQ(ConnectFailureKind(0), TQueryFailure::Connection);

    const std::set<int> codes = {ExitSuccess, ExitFailure, ExitUsage, ExitConnection, ExitAuthentication, ExitQuery};
    EXPECT_EQ(codes.size(), 6u);
    EXPECT_EQ(ExitCodeFor(TQueryFailure::None), ExitSuccess);
    EXPECT_EQ(ExitCodeFor(TQueryFailure::Connection), ExitConnection);
    EXPECT_EQ(ExitCodeFor(TQueryFailure::Authentication), ExitAuthentication);
    EXPECT_EQ(ExitCodeFor(TQueryFailure::Query), ExitQuery);
    // The help text documents every code.
    const std::string help = HelpText();
    for (int code : codes) EXPECT_NE(help.find("\n  " + std::to_string(code) + "  "), std::string::npos) << code;
}

}  // namespace
}  // namespace veskin
