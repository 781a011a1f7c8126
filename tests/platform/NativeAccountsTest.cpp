// Win32_UserAccount, Win32_Group and Win32_Environment: from the fixture tree, and on
// this machine against what the C library reports.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/native/AccountParsers.h"
#include "platform/native/NativeService.h"
#include "tests/platform/NativeTestSupport.h"

namespace veskin {
namespace {

TEST(NativeAccounts, UsersAndGroupsFromFixture) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto users = All(s.Services, "SELECT * FROM Win32_UserAccount");
    ASSERT_EQ(users.size(), 3u);  // the malformed lines are left out
    const auto& ada = users[2];
    EXPECT_EQ(Val(ada, "Name"), "ada");
    EXPECT_EQ(Val(ada, "Domain"), "FIXTUREHOST");
    EXPECT_EQ(Val(ada, "Caption"), "FIXTUREHOST\\ada");
    EXPECT_EQ(Val(ada, "FullName"), "Ada Lovelace");
    EXPECT_EQ(Val(ada, "SID"), "S-1-22-1-1000");
    EXPECT_EQ(Val(ada, "SIDType"), "1");
    EXPECT_EQ(Val(ada, "Disabled"), "TRUE");  // "!" locks the password
    EXPECT_EQ(Val(ada, "PasswordExpires"), "TRUE");
    EXPECT_EQ(Val(ada, "__PATH"), "\\\\FIXTUREHOST\\root\\cimv2:Win32_UserAccount.Domain=\"FIXTUREHOST\",Name=\"ada\"");
    EXPECT_EQ(Val(users[0], "Disabled"), "FALSE");
    EXPECT_EQ(Val(users[0], "PasswordExpires"), "FALSE");  // 99999 days: never
    EXPECT_EQ(Val(users[0], "Lockout"), "<null>");

    auto groups = All(s.Services, "SELECT * FROM Win32_Group WHERE Name = 'sudo'");
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(Val(groups[0], "SID"), "S-1-22-2-27");
    EXPECT_EQ(Val(groups[0], "SIDType"), "4");
    // Both derive from Win32_Account.
    EXPECT_EQ(All(s.Services, "SELECT Name FROM Win32_Account").size(), 3u + 3u);

    // Without the shadow file the password state is unknown, not made up.
    Service broken = Connect(FixtureRoot("native-broken"));
    EXPECT_EQ(All(broken.Services, "SELECT * FROM Win32_UserAccount").size(), 0u);
}

TEST(NativeAccounts, EnvironmentOfTheSystemAndOfThisProcess) {
    Service s = Connect(FixtureRoot("native-basic"));
    auto system = All(s.Services, "SELECT * FROM Win32_Environment WHERE SystemVariable = TRUE");
    ASSERT_EQ(system.size(), 3u);
    EXPECT_EQ(Val(system[0], "Name"), "PATH");
    EXPECT_EQ(Val(system[0], "VariableValue"), "/usr/local/bin:/usr/bin:/bin");
    EXPECT_EQ(Val(system[0], "UserName"), "<SYSTEM>");
    EXPECT_EQ(Val(system[1], "Name"), "LANG");
    EXPECT_EQ(Val(system[2], "VariableValue"), "vi");
    auto mine = All(s.Services, "SELECT * FROM Win32_Environment WHERE SystemVariable = FALSE");
    ASSERT_EQ(mine.size(), 3u);
    EXPECT_EQ(Val(mine[0], "UserName"), "FIXTUREHOST\\ada");
    EXPECT_EQ(Val(mine[2], "Name"), "SHELL");
    EXPECT_EQ(Val(mine[2], "VariableValue"), "/bin/bash");
    EXPECT_EQ(Val(mine[0], "__RELPATH"), "Win32_Environment.Name=\"HOME\",UserName=\"FIXTUREHOST\\\\ada\"");
}

TEST(NativeAccountsRealSystem, AccountsAndEnvironmentMatchTheCLibrary) {
    auto context = std::make_shared<const NativeContext>("/");
    auto locator = MakeNativeLocator(context, MakeNativeRepository(context));
    ISWbemServicesPtr services;
    ASSERT_EQ(locator->ConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", 128, nullptr, services), S_OK);
    auto users = All(services, "SELECT * FROM Win32_UserAccount");
    ASSERT_FALSE(users.empty());
    for (const auto& u : users) {
        const passwd* pw = ::getpwnam(Val(u, "Name").c_str());
        ASSERT_TRUE(pw) << Val(u, "Name");
        EXPECT_EQ(Val(u, "SID"), "S-1-22-1-" + std::to_string(pw->pw_uid));
        const std::string gecos = pw->pw_gecos ? pw->pw_gecos : "";
        EXPECT_EQ(Val(u, "FullName"), gecos.substr(0, gecos.find(',')));
    }
    EXPECT_EQ(All(services, "SELECT * FROM Win32_UserAccount WHERE Name = 'root'").size(), 1u);
    for (const auto& g : All(services, "SELECT * FROM Win32_Group")) {
        const group* gr = ::getgrnam(Val(g, "Name").c_str());
        ASSERT_TRUE(gr) << Val(g, "Name");
        EXPECT_EQ(Val(g, "SID"), "S-1-22-2-" + std::to_string(gr->gr_gid));
    }
    // This process's variables, under the user it runs as.
    const std::string user = Val(users[0], "Domain") + "\\" + ::getpwuid(::geteuid())->pw_name;
    auto path = All(services, "SELECT * FROM Win32_Environment WHERE Name = 'PATH' AND SystemVariable = FALSE");
    ASSERT_EQ(path.size(), 1u);
    EXPECT_EQ(Val(path[0], "UserName"), user);
    EXPECT_EQ(Val(path[0], "VariableValue"), std::getenv("PATH"));
}

TEST(NativeParsers, AccountAndEnvironmentFiles) {
    auto users = ParsePasswd("a:x:1:2:Full,x:/h:/s\nb:x:-1:2::/:/s\nc:x:3:4\n:x:5:5::/:/s\nd:x:4294967295:0::/:\n");
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[0].Gecos, "Full,x");
    EXPECT_EQ(users[1].Uid, 4294967295u);
    auto groups = ParseGroup("g:x:7:a, b,,c\nh:x:8:\n");
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].Members, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(groups[1].Members.empty());
    auto shadow = ParseShadow("a:!x:1:0::7:::\nb:\n");
    ASSERT_EQ(shadow.size(), 2u);
    EXPECT_FALSE(shadow[0].MaxDays);
    auto env = ParseEnvironmentFile("  A = \"1 2\" \n#x=1\nexport B='3'\nC=\"unclosed\n=4\n");
    ASSERT_EQ(env.size(), 3u);
    EXPECT_EQ(env[0], (std::pair<std::string, std::string>{"A", "1 2"}));
    EXPECT_EQ(env[1].second, "3");
    EXPECT_EQ(env[2].second, "\"unclosed");
    auto environ = ParseEnviron(std::string("A=1\0B=\0=x\0C=a=b", 16));
    ASSERT_EQ(environ.size(), 3u);
    EXPECT_EQ(environ[2].second, "a=b");
}

}  // namespace
}  // namespace veskin
