// Queries, Get, writes and failures of other computers through the library's own entry
// points (the system locator and the record set), against the fake WinRM server over
// HTTPS with Basic authentication.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ComObjects.h"
#include "platform/WbemScripting.h"
#include "recordset/Field.h"
#include "tests/support/FakeWinrmServer.h"
#include "tests/wsman/FailureOf.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {
namespace {

struct RemoteFixture : ::testing::Test {
    const TestCertificates& certs = MakeTestCertificates();
    std::unique_ptr<ScopedEnv> trust;
    std::unique_ptr<FakeWinrmServer> server;
    TWmiCredentials credentials;
    TWmiConnection conn;
    TWmiQuery query;

    void Start(std::vector<std::string> options = {}) {
        ASSERT_TRUE(certs.Ok());
        trust = std::make_unique<ScopedEnv>("SSL_CERT_FILE", certs.Trusted);
        options.insert(options.end(), {"--tls", certs.Good, certs.GoodKey, "--basic-user", "admin:secret"});
        server = std::make_unique<FakeWinrmServer>(options);
        ASSERT_TRUE(server->Running());
        credentials.SetUserName(u"admin");
        credentials.SetPassword(u"secret");
        conn.SetMachineName(AnsiToWide(server->Url("https")));
        conn.SetCredentials(&credentials);
        query.SetConnection(&conn);
    }
    void SetUp() override { Start(); }

    std::string Text(const char* field) { return query.FieldByName(field)->ValueText(); }
    // Opens the query and moves to its end; the number of records passed.
    int OpenAndWalk() {
        query.Open();
        int rows = 0;
        for (; !query.Eof(); query.Next()) ++rows;
        return rows;
    }

    // The actions the server received, in order.
    std::vector<std::string> Actions() const {
        std::vector<std::string> actions;
        for (const std::string& line : server->LogLines()) {
            const auto at = line.find("\"action\": \"");
            if (at == std::string::npos) continue;
            const auto start = at + 11;
            std::string action = line.substr(start, line.find('"', start) - start);
            actions.push_back(action.substr(action.rfind('/') + 1));
        }
        return actions;
    }
    long Count(const std::string& action) const {
        const auto actions = Actions();
        return std::count(actions.begin(), actions.end(), action);
    }
};

ISWbemPropertySetPtr PropertiesOf(const ISWbemObjectPtr& object) {
    ISWbemPropertySetPtr properties;
    WmiCheck(object->get_Properties_(properties));
    return properties;
}

TEST_F(RemoteFixture, QueryPagesOnlyAsTheReaderAsksAndReleasesWhenItStops) {
    conn.Open();
    EXPECT_EQ(Count("Enumerate"), 1);  // the connection's own probe, which needs no release
    const long releasesAtConnect = Count("Release");
    EXPECT_EQ(releasesAtConnect, 0);
    query.SetWQL({"SELECT * FROM Win32_Process"});
    query.Open();
    EXPECT_EQ(Text("Name"), "System Idle Process");
    EXPECT_EQ(Count("Pull"), 0);  // the Enumerate answer held the first object
    query.Next();
    EXPECT_EQ(Text("Handle"), "4");
    EXPECT_EQ(Count("Pull"), 1);
    for (int i = 2; i < 20; ++i) query.Next();
    EXPECT_EQ(Count("Pull"), 1);  // objects 2 to 33 came in the first Pull
    query.Close();
    EXPECT_EQ(Count("Release"), releasesAtConnect + 1);

    // Walking to the end needs no release.
    EXPECT_EQ(OpenAndWalk(), 46);
    query.Close();
    EXPECT_EQ(Count("Release"), releasesAtConnect + 1);
    EXPECT_EQ(Count("Pull"), 3);
}

TEST_F(RemoteFixture, EveryCimTypeArrivesAsTheScriptingApiDeliversIt) {
    conn.Open();
    ISWbemObjectPtr object = conn.GetObjectByPath(u"Veskin_Types.Id=1");
    ASSERT_TRUE(object);
    auto value = [&](const char* name) { return WmiGetPropertyValue(PropertiesOf(object), AnsiToWide(name)); };
    EXPECT_EQ(value("S8").VarType(), varSmallint);
    EXPECT_EQ(value("S8").AsInteger(), -128);
    EXPECT_EQ(value("U8").VarType(), varByte);
    EXPECT_EQ(value("U8").AsInteger(), 255);
    EXPECT_EQ(value("S16").AsInteger(), -32768);
    EXPECT_EQ(value("U16").VarType(), varInteger);
    EXPECT_EQ(value("U16").AsInteger(), 65535);
    EXPECT_EQ(value("S32").AsInteger(), -2147483647 - 1);
    EXPECT_EQ(value("U32").VarType(), varInteger);
    EXPECT_EQ(static_cast<std::uint32_t>(value("U32").AsInteger()), 4294967295u);
    EXPECT_EQ(value("S64").VarType(), varOleStr);
    EXPECT_EQ(WmiVariantToText(value("S64")), "-9223372036854775808");
    EXPECT_EQ(WmiVariantToText(value("U64")), "18446744073709551615");
    EXPECT_EQ(value("R32").VarType(), varSingle);
    EXPECT_FLOAT_EQ(static_cast<float>(value("R32").AsDouble()), 1.5f);
    EXPECT_EQ(value("R64").VarType(), varDouble);
    EXPECT_DOUBLE_EQ(value("R64").AsDouble(), -2.25e-308);
    EXPECT_EQ(value("Flag").VarType(), varBoolean);
    EXPECT_TRUE(value("Flag").AsBoolean());
    EXPECT_EQ(value("Text").AsWideString(), u"Gr\u00fc\u00dfe, \u65e5\u672c \U0001F600 <&>");
    EXPECT_EQ(value("Empty").VarType(), varOleStr);
    EXPECT_EQ(value("Empty").AsWideString(), u"");
    EXPECT_EQ(value("Letter").VarType(), varSmallint);
    EXPECT_EQ(value("Letter").AsInteger(), 0xE9);
    EXPECT_EQ(WmiVariantToText(value("When")), "20190307184907.000000-300");
    EXPECT_EQ(WmiVariantToText(value("WhenUtc")), "20190307234907.000000+000");
    EXPECT_EQ(WmiVariantToText(value("WhenMilli")), "20190307184907.484000+060");
    EXPECT_EQ(WmiVariantToText(value("WhenMicro")), "20190307184907.484411-300");
    EXPECT_EQ(WmiVariantToText(value("Span")), "00000001020304.500000:000");
    EXPECT_EQ(WmiVariantToText(value("Ref")), "\\\\127.0.0.1\\root\\cimv2:Win32_Process.Handle=\"4\"");
    ASSERT_EQ(value("Part").VarType(), varDispatch);
    auto part = IntfCast<ISWbemObject>(value("Part").AsInterface());
    EXPECT_EQ(WmiVariantToText(WmiGetPropertyValue(PropertiesOf(part), u"Size")), "18446744073709551615");
    const Variant numbers = value("Numbers");
    ASSERT_TRUE(numbers.IsArray());
    EXPECT_EQ(WmiVariantToText(numbers), "{1, -2, 3}");
    EXPECT_EQ(WmiVariantToText(value("Names")), "{a, , c}");
    EXPECT_TRUE(value("One").IsArray());  // one element: still an array, as the schema says
    EXPECT_EQ(WmiVariantToText(value("One")), "{7}");
    EXPECT_TRUE(value("Nothing").IsNull());
    EXPECT_TRUE(value("NullText").IsNull());
    EXPECT_TRUE(value("NullNumber").IsNull());

    ISWbemObjectPathPtr path;
    ASSERT_EQ(object->get_Path_(path), S_OK);
    WideString text;
    path->get_Path(text);
    EXPECT_EQ(text, u"\\\\127.0.0.1\\root\\cimv2:Veskin_Types.Id=1");
    WideString mof;
    ASSERT_EQ(object->GetObjectText_(0, mof), S_OK);
    EXPECT_NE(mof.find(u"instance of Veskin_Types"), WideString::npos);
    EXPECT_NE(mof.find(u"U32 = 4294967295;"), WideString::npos);
}

TEST_F(RemoteFixture, RecordSetShowsRemoteRowsOfDerivedClassesAndSelectLists) {
    query.SetWQL({"SELECT * FROM Win32_Service"});
    query.Open();
    std::vector<std::string> names;
    while (!query.Eof()) {
        names.push_back(Text("Name"));
        query.Next();
    }
    query.Close();
    EXPECT_EQ(names, (std::vector<std::string>{"Dhcp", "EventLog", "Spooler", "TermService"}));

    // Locate walks the remote result as far as it must.
    query.SetWQL({"SELECT * FROM Win32_Process"});
    query.Open();
    ASSERT_TRUE(query.Locate("Handle", Variant("100"), {}));
    EXPECT_EQ(query.FieldByName("ProcessId")->AsInteger(), 100);
    EXPECT_FALSE(query.Locate("Handle", Variant("3"), {}));
    query.Close();

    query.SetWQL({"SELECT Name, ProcessId FROM Win32_Process WHERE Name = 'lsass.exe'"});
    query.Open();
    ASSERT_EQ(query.FieldCount(), 2);
    EXPECT_EQ(Text("Name"), "lsass.exe");
    EXPECT_EQ(query.FieldByName("ProcessId")->AsInteger(), 24);
    query.Close();
}

TEST_F(RemoteFixture, PostCancelAndDeleteReachTheServer) {
    query.SetWQL({"SELECT * FROM Veskin_Setting"});
    query.Open();
    query.SetReadOnly(false);
    query.Edit();
    query.FieldByName("Value")->SetAsString("changed");
    query.Post();
    EXPECT_EQ(Count("Put"), 1);
    query.Close();
    query.Open();
    query.SetReadOnly(false);
    EXPECT_EQ(Text("Value"), "changed");  // the server kept the written value

    query.Edit();
    query.FieldByName("Value")->SetAsString("not kept");
    query.Cancel();
    EXPECT_EQ(Text("Value"), "changed");
    query.Delete();
    EXPECT_EQ(Count("Delete"), 1);
    query.Close();
    query.Open();
    EXPECT_TRUE(query.Eof());
    query.Close();
}

TEST_F(RemoteFixture, FaultsRaiseTheirCodesWithTheirTexts) {
    auto run = [&](const char* wql) {
        return FailureOf([&] {
            query.SetWQL({wql});
            OpenAndWalk();
        });
    };
    EXPECT_EQ(run("SELECT * FROM NoSuchClass"), "80041010: The specified class is not valid.");
    EXPECT_EQ(run("SELECT * FROM Veskin_TimedOut").substr(0, 10), "80338029: ");
    EXPECT_EQ(run("SELECT * FROM Veskin_Unreachable").substr(0, 10), "80338000: ");
    EXPECT_EQ(run("SELECT * FROM Veskin_Quota").substr(0, 10), "803381A6: ");
    EXPECT_EQ(run("SELECT * FROM Veskin_Http500").substr(0, 10), "80338170: ");
    EXPECT_EQ(run("SELECT * FROM Veskin_Http400").substr(0, 10), "80338171: ");
    EXPECT_EQ(run("SELEC nothing").substr(0, 24), "80041017: The query was ");
    // A query the server refused opened no enumeration: nothing to release.
    EXPECT_EQ(Count("Release"), 0);
}

TEST_F(RemoteFixture, PrototypeDescribesTheResultFromTheClassSchema) {
    ISWbemServicesPtr services = WmiConnectServer(AnsiToWide(server->Url("https")), u"root\\cimv2", u"admin",
                                                  u"secret", u"", u"", nullptr);
    ISWbemObjectSetPtr set;
    WmiCheck(services->ExecQuery(u"SELECT Name, ProcessId FROM Win32_Process", u"WQL", 50, nullptr, set));
    IInterfacePtr unknown;
    WmiCheck(set->get__NewEnum(unknown));
    auto enumerator = IntfCast<IEnumVARIANT>(unknown);
    Variant element;
    std::uint32_t fetched = 0;
    WmiCheck(enumerator->Next(1, &element, &fetched));
    ASSERT_EQ(fetched, 1u);
    auto prototype = IntfCast<ISWbemObject>(element.AsInterface());
    ISWbemPropertySetPtr properties = PropertiesOf(prototype);
    std::int32_t count = 0;
    properties->get_Count(count);
    EXPECT_EQ(count, 2);
    ISWbemPropertyPtr pid;
    ASSERT_EQ(properties->Item(u"ProcessId", 0, pid), S_OK);
    std::int32_t cimType = 0;
    pid->get_CIMType(cimType);
    EXPECT_EQ(cimType, wbemCimtypeUint32);
    EXPECT_EQ(Count("Enumerate"), 1);  // only the connection's probe: the schema answered
}

TEST(RemoteConnect, AccountsNamespacesAndNamesAreCheckedAtConnect) {
    const TestCertificates& certs = MakeTestCertificates();
    ASSERT_TRUE(certs.Ok());
    ScopedEnv trust("SSL_CERT_FILE", certs.Trusted);
    FakeWinrmServer server({"--tls", certs.Good, certs.GoodKey, "--basic-user", "admin:secret"});
    ASSERT_TRUE(server.Running());
    const WideString url = AnsiToWide(server.Url("https"));
    auto connect = [&](const WideString& host, const char16_t* ns, const char16_t* user, const char16_t* pw) {
        return FailureOf([&] { WmiConnectServer(host, ns, user, pw, u"", u"", nullptr); });
    };
    EXPECT_EQ(connect(url, u"root\\cimv2", u"admin", u"secret"), "no error");
    EXPECT_EQ(connect(url, u"root/CIMV2", u"admin", u"secret"), "no error");
    EXPECT_EQ(connect(url, u"root\\nothing", u"admin", u"secret").substr(0, 10), "8004100E: ");
    const std::string refused = connect(url, u"root\\cimv2", u"admin", u"wrong");
    EXPECT_EQ(refused.substr(0, 28), "80070005: Access is denied. ");
    EXPECT_NE(refused.find("Basic"), std::string::npos) << refused;
    // A server offering only Basic over plain HTTP: the password is not sent in clear.
    FakeWinrmServer plainServer({"--basic-user", "admin:secret"});
    ASSERT_TRUE(plainServer.Running());
    EXPECT_EQ(connect(AnsiToWide(plainServer.Url()), u"root\\cimv2", u"admin", u"secret").substr(0, 10), "803380DE: ");
}

struct ReconnectFixture : RemoteFixture {
    void SetUp() override { Start({"--close-after-pages", "1", "--page-size", "10"}); }
};

TEST_F(ReconnectFixture, ServerClosingBetweenPagesIsNotSeenByTheReader) {
    query.SetWQL({"SELECT * FROM Win32_Process"});
    EXPECT_EQ(OpenAndWalk(), 46);
}

struct OldServerFixture : RemoteFixture {
    void SetUp() override { Start({"--no-schema", "--old-faults"}); }
};

TEST_F(OldServerFixture, WithoutSchemasValuesAreTextAndFaultsCarryWinrmCodes) {
    query.SetWQL({"SELECT * FROM Win32_Process"});
    query.Open();
    EXPECT_EQ(Text("ProcessId"), "0");
    EXPECT_EQ(query.FieldByName("ProcessId")->DataType(), query.FieldByName("Name")->DataType());
    query.Next();
    EXPECT_EQ(Text("Handle"), "4");
    query.Close();
    const std::string failure = FailureOf([&] {
        query.SetWQL({"SELECT * FROM NoSuchClass"});
        query.Open();
    });
    EXPECT_EQ(failure.substr(0, 10), "8033801A: ");
}

}  // namespace
}  // namespace veskin
