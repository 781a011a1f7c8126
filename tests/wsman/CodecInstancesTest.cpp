#include <gtest/gtest.h>

#include <cmath>

#include "platform/CimValue.h"
#include "platform/ErrorDetail.h"
#include "platform/WbemScripting.h"
#include "platform/wsman/WsmanTransport.h"
#include "tests/wsman/CodecFixtures.h"

namespace veskin {
namespace {

using testing::Context;
using testing::CountingSchemas;
using testing::Fixture;
using testing::Value;

WbemClassPtr ServiceClass(const char16_t* name, bool terminal) {
    std::vector<WbemPropertyDef> p = {
        PropertyDef(u"AcceptPause", wbemCimtypeBoolean), PropertyDef(u"Caption", wbemCimtypeString),
        PropertyDef(u"Description", wbemCimtypeString), PropertyDef(u"InstallDate", wbemCimtypeDatetime),
        PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()}),
        PropertyDef(u"ProcessId", wbemCimtypeUint32), PropertyDef(u"Started", wbemCimtypeBoolean),
        PropertyDef(u"State", wbemCimtypeString)};
    if (terminal) {
        p.push_back(PropertyDef(u"DisconnectedSessions", wbemCimtypeUint32));
        p.push_back(PropertyDef(u"TotalSessions", wbemCimtypeUint32));
    }
    return WbemClass::Make(name, std::move(p));
}

WideString PathOf(const WbemObjectPtr& o) {
    ISWbemObjectPathPtr path;
    EXPECT_EQ(o->get_Path_(path), S_OK);
    WideString text;
    if (path) path->get_Path(text);
    return text;
}

TEST(WsmanInstances, EnumerateResponseWithOneItemAndNoEnd) {
    CountingSchemas schemas;
    schemas.Classes["Win32_Service"] = ServiceClass(u"Win32_Service", false);
    WsmanPage page;
    ASSERT_EQ(DecodeEnumerationResponse(Fixture("enumerate_one.xml"), Context(&schemas), page), S_OK);
    EXPECT_EQ(page.Context, "uuid:7B3E1C2A-0001-4F00-8000-00AA00BB00CC");
    EXPECT_FALSE(page.EndOfSequence);
    ASSERT_EQ(page.Objects.size(), 1u);
    const auto& o = page.Objects[0];
    EXPECT_EQ(Value(o, "Name"), "Appinfo");
    EXPECT_EQ(o->GetValue(W("ProcessId")).VarType(), varInteger);
    EXPECT_EQ(o->GetValue(W("ProcessId")).RawInt(), 1024);
    EXPECT_EQ(o->GetValue(W("AcceptPause")).VarType(), varBoolean);
    EXPECT_FALSE(o->GetValue(W("AcceptPause")).RawBool());
    EXPECT_TRUE(o->GetValue(W("Description")).IsNull());
    EXPECT_EQ(PathOf(o), u"\\\\SERVER1\\root\\cimv2:Win32_Service.Name=\"Appinfo\"");
}

TEST(WsmanInstances, PullPageMixesDerivedClassesAndAsksSchemaOncePerClass) {
    CountingSchemas schemas;
    schemas.Classes["Win32_Service"] = ServiceClass(u"Win32_Service", false);
    schemas.Classes["Win32_TerminalService"] = ServiceClass(u"Win32_TerminalService", true);
    WsmanPage page;
    ASSERT_EQ(DecodeEnumerationResponse(Fixture("pull_page.xml"), Context(&schemas), page), S_OK);
    EXPECT_TRUE(page.EndOfSequence);
    EXPECT_EQ(page.Context, "");
    ASSERT_EQ(page.Objects.size(), 3u);
    EXPECT_EQ(page.Objects[0]->Class()->Name(), u"Win32_Service");
    EXPECT_EQ(page.Objects[1]->Class()->Name(), u"Win32_TerminalService");
    EXPECT_EQ(page.Objects[1]->GetValue(W("TotalSessions")).RawInt(), 3);
    EXPECT_EQ(Value(page.Objects[0], "Description"),
              "Spools print jobs & handles interaction with the printer.");
    EXPECT_EQ(page.Objects[2]->GetValue(W("Description")).VarType(), varOleStr);  // empty, not null
    EXPECT_EQ(Value(page.Objects[2], "Description"), "");
    EXPECT_EQ(schemas.Calls["Win32_Service"], 1);
    EXPECT_EQ(schemas.Calls["Win32_TerminalService"], 1);
}

class AllTypes : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(DecodeClassSchema(Fixture("alltypes_schema.xml"), Schema), S_OK);
        schemas.Classes["Test_AllTypes"] = Schema;
        ASSERT_EQ(DecodeGetResponse(Fixture("alltypes_get.xml"), Context(&schemas), Object), S_OK);
        ASSERT_TRUE(Object);
    }
    Variant Get(const char* name) { return Object->GetValue(W(name)); }

    CountingSchemas schemas;
    WbemClassPtr Schema;
    WbemObjectPtr Object;
};

TEST_F(AllTypes, SchemaGivesTypesArraysKeysAndQualifiers) {
    EXPECT_EQ(Schema->Name(), u"Test_AllTypes");
    EXPECT_EQ(Schema->PropertyCount(), 29u);  // the METHOD is no property
    auto def = [&](const char16_t* n) { return Schema->Properties()[Schema->IndexOf(n)]; };
    EXPECT_EQ(def(u"Embedded").CimType, wbemCimtypeObject);
    EXPECT_EQ(def(u"Owner").CimType, wbemCimtypeReference);
    EXPECT_EQ(def(u"Letter").CimType, wbemCimtypeChar16);
    EXPECT_EQ(def(u"Created").CimType, wbemCimtypeDatetime);
    EXPECT_TRUE(def(u"Bytes").IsArray);
    EXPECT_EQ(def(u"Bytes").CimType, wbemCimtypeUint8);
    EXPECT_FALSE(def(u"Small").IsArray);
    ASSERT_EQ(Schema->KeyIndexes().size(), 1u);
    EXPECT_EQ(Schema->Properties()[Schema->KeyIndexes()[0]].Name, u"Id");
    const auto word = def(u"Word").Qualifiers;
    ASSERT_EQ(word.size(), 2u);
    EXPECT_EQ(word[0].Name, u"ValueMap");
    ASSERT_TRUE(word[1].Value.IsArray());
    EXPECT_EQ(testing::Text(word[1].Value.GetElement(1)), "On");
    const auto scale = def(u"Scale").Qualifiers;  // the reference-typed qualifier is left out
    ASSERT_EQ(scale.size(), 2u);
    EXPECT_EQ(scale[1].Value.VarType(), varDouble);
    EXPECT_EQ(scale[1].Value.RawDouble(), 2.5);
    EXPECT_EQ(def(u"Id").Qualifiers[1].Value.VarType(), varInteger);
}

TEST_F(AllTypes, NamespacedCimXmlMatchesByLocalName) {
    std::string body = Fixture("alltypes_schema.xml");
    const std::string open = "<CLASS ";
    body.replace(body.find(open), open.size(), "<c:CLASS xmlns:c=\"http://example.org/cim\" ");
    for (std::size_t at; (at = body.find("<PROPERTY")) != std::string::npos;) body.replace(at, 1, "<c:");
    for (std::size_t at; (at = body.find("</PROPERTY")) != std::string::npos;) body.replace(at, 2, "</c:");
    body.replace(body.find("</CLASS>"), 8, "</c:CLASS>");
    WbemClassPtr cls;
    ASSERT_EQ(DecodeClassSchema(body, cls), S_OK);
    EXPECT_EQ(cls->PropertyCount(), 29u);
    EXPECT_EQ(cls->KeyIndexes().size(), 1u);
}

TEST_F(AllTypes, ScalarsTakeTheirDeliveredForms) {
    auto expect = [&](const char* name, TVarType type, const char* text) {
        Variant v = Get(name);
        EXPECT_EQ(v.VarType(), type) << name;
        EXPECT_EQ(testing::Text(v), text) << name;
    };
    expect("Big", varOleStr, "18446744073709551615");
    expect("Neg", varOleStr, "-9223372036854775808");
    expect("Int", varInteger, "-2147483648");
    expect("Top", varInteger, "2147483647");
    expect("Word", varInteger, "65535");
    expect("Short", varSmallint, "-32768");
    expect("Tiny", varSmallint, "-128");
    expect("Small", varByte, "200");
    expect("Letter", varSmallint, "233");  // the character's code
    expect("Id", varOleStr, "one");
    expect("Text", varOleStr, "  spaced  text  ");
    expect("Empty", varOleStr, "");
    EXPECT_EQ(Get("Flag").VarType(), varBoolean);  // element "flag": names match in any case
    EXPECT_TRUE(Get("Flag").RawBool());
    EXPECT_EQ(Get("Ratio").VarType(), varSingle);
    EXPECT_EQ(Get("Ratio").RawDouble(), 0.5);
    EXPECT_EQ(Get("Real").VarType(), varDouble);
    EXPECT_EQ(Get("Real").RawDouble(), -1250.0);
    EXPECT_TRUE(std::isinf(Get("Scale").RawDouble()));
    // uint32 follows the object model's own conversion rule.
    Variant expected;
    ASSERT_EQ(CimCoerce(Variant::FromInt64(4000000000LL), wbemCimtypeUint32, false, expected), S_OK);
    EXPECT_TRUE(testing::SameValue(Get("Count"), expected));
    expect("Created", varOleStr, "20190307184907.484411-300");
    expect("Uptime", varOleStr, "00000001020304.500000:000");
    expect("Owner", varOleStr, "\\\\server2\\root\\cimv2:Win32_Service.Name=\"Say \\\"hi\\\"\\\\now\"");
    EXPECT_EQ(WideToAnsi(PathOf(Object)), "\\\\SERVER1\\root\\cimv2:Test_AllTypes.Id=\"one\"");
}

TEST_F(AllTypes, NullsArraysMissingAndUnknownProperties) {
    EXPECT_TRUE(Get("NullScalar").IsNull());
    EXPECT_TRUE(Get("NullArray").IsNull());     // xsi:nil with m:IsNullArray
    EXPECT_TRUE(Get("OldNullArray").IsNull());  // xsi:nil alone
    EXPECT_TRUE(Get("Missing").IsNull());
    EXPECT_EQ(Object->Class()->IndexOf(u"Extra"), -1);

    Variant names = Get("Names");
    ASSERT_TRUE(names.IsArray());
    ASSERT_EQ(names.ArrayCount(), 3);
    EXPECT_EQ(testing::Text(names.GetElement(1)), "b&c");
    EXPECT_EQ(names.GetElement(2).RawOleStr(), u"Gr\u00fc\u00dfe");
    Variant one = Get("OneName");  // a single element is an array when the schema says so
    ASSERT_TRUE(one.IsArray());
    EXPECT_EQ(one.ArrayCount(), 1);
    Variant bytes = Get("Bytes");
    ASSERT_EQ(bytes.ArrayCount(), 2);
    EXPECT_EQ(bytes.GetElement(1).VarType(), varByte);
    Variant flags = Get("Flags");
    ASSERT_EQ(flags.ArrayCount(), 3);
    EXPECT_FALSE(flags.GetElement(1).RawBool());
    EXPECT_TRUE(flags.GetElement(2).RawBool());
}

TEST_F(AllTypes, EmbeddedInstanceBecomesAnObject) {
    Variant v = Get("Embedded");
    ASSERT_EQ(v.VarType(), varDispatch);
    auto inner = std::dynamic_pointer_cast<WbemObject>(v.RawInterface());
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->Class()->Name(), u"Test_Part");
    EXPECT_EQ(Value(inner, "Label"), "inner <one>");
    EXPECT_EQ(Value(inner, "Size"), "7");  // no schema for the part: text
    EXPECT_EQ(schemas.Calls["Test_Part"], 1);
}

TEST(WsmanInstances, SchemaLessPageMakesStringClassesKeyedBySelectors) {
    CountingSchemas schemas;  // knows no class
    WsmanPage page;
    ASSERT_EQ(DecodeEnumerationResponse(Fixture("schemaless_page.xml"), Context(&schemas), page), S_OK);
    ASSERT_EQ(page.Objects.size(), 3u);
    EXPECT_EQ(schemas.Calls["Win32_LogicalDisk"], 1);
    const auto& c = page.Objects[0];
    EXPECT_EQ(c->Class(), page.Objects[1]->Class());  // same names: one class
    EXPECT_NE(c->Class(), page.Objects[2]->Class());  // one capability, no reference: another
    EXPECT_EQ(c->GetValue(W("FreeSpace")).VarType(), varOleStr);
    EXPECT_EQ(Value(c, "InstallDate"), "20200102030405.000000+000");
    EXPECT_TRUE(c->GetValue(W("VolumeName")).IsNull());
    Variant caps = c->GetValue(W("Capabilities"));
    ASSERT_TRUE(caps.IsArray());
    EXPECT_EQ(testing::Text(caps.GetElement(1)), "4");
    EXPECT_EQ(PathOf(c), u"\\\\SERVER1\\root\\cimv2:Win32_LogicalDisk.DeviceID=\"C:\"");
    EXPECT_EQ(Value(page.Objects[2], "Capabilities"), "9");

    WsmanPage again;  // without any schema source the result is the same
    ASSERT_EQ(DecodeEnumerationResponse(Fixture("schemaless_page.xml"), Context(nullptr), again), S_OK);
    EXPECT_EQ(PathOf(again.Objects[1]), u"\\\\SERVER1\\root\\cimv2:Win32_LogicalDisk.DeviceID=\"D:\"");
}

TEST(WsmanInstances, FragmentsUseTheQueryClassOrText) {
    const std::string body = Fixture("fragments.xml");
    WsmanDecodeContext context = Context(nullptr);
    context.FragmentClassName = "Win32_Process";
    WsmanPage page;
    ASSERT_EQ(DecodeEnumerationResponse(body, context, page), S_OK);
    EXPECT_TRUE(page.EndOfSequence);  // in the w namespace in an Enumerate response
    ASSERT_EQ(page.Objects.size(), 2u);
    EXPECT_EQ(page.Objects[0]->Class()->Name(), u"Win32_Process");
    EXPECT_EQ(page.Objects[1]->GetValue(W("ProcessId")).VarType(), varOleStr);

    context.FragmentClass = WbemClass::Make(
                                u"Win32_Process", {PropertyDef(u"Handle", wbemCimtypeString, false, {KeyQualifier()}),
                                                   PropertyDef(u"Name", wbemCimtypeString),
                                                   PropertyDef(u"ProcessId", wbemCimtypeUint32)})
                                ->Project({u"Name", u"ProcessId"});
    ASSERT_EQ(DecodeEnumerationResponse(body, context, page), S_OK);
    ASSERT_EQ(page.Objects.size(), 2u);
    EXPECT_EQ(page.Objects[0]->Class(), context.FragmentClass);
    EXPECT_EQ(page.Objects[0]->GetValue(W("ProcessId")).VarType(), varInteger);
    EXPECT_EQ(page.Objects[0]->GetValue(W("ProcessId")).RawInt(), 4242);
    EXPECT_EQ(Value(page.Objects[1], "Name"), "init");
}

TEST(WsmanInstances, AnswersThatAreNoResponseAreServerErrors) {
    WsmanPage page;
    const std::string notXml = "<s:Envelope";
    const std::string doctype =
        "<!DOCTYPE s [<!ENTITY x \"boom\">]><s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\">"
        "<s:Body>&x;</s:Body></s:Envelope>";
    const std::string other = Fixture("identify.xml");
    for (const std::string* body : {&notXml, &doctype, &other}) {
        ClearErrorDetail();
        EXPECT_EQ(DecodeEnumerationResponse(*body, Context(nullptr), page), WSMAN_E_HTTP_SERVER_ERROR);
        EXPECT_FALSE(TakeErrorDetail(WSMAN_E_HTTP_SERVER_ERROR).empty());
    }
    WbemObjectPtr object;
    EXPECT_EQ(DecodeGetResponse(Fixture("pull_page.xml").substr(0, 300), Context(nullptr), object),
              WSMAN_E_HTTP_SERVER_ERROR);
    EXPECT_FALSE(object);
}

TEST(WsmanIdentify, ReadsVersionVendorAndProfiles) {
    WsmanIdentity id;
    ASSERT_EQ(DecodeIdentifyResponse(Fixture("identify.xml"), id), S_OK);
    EXPECT_EQ(id.ProductVendor, "Microsoft Corporation");
    EXPECT_EQ(id.ProductVersion, "OS: 0.0.0 SP: 0.0 Stack: 3.0");
    EXPECT_EQ(id.ProtocolVersion, "http://schemas.dmtf.org/wbem/wsman/1/wsman.xsd");
    ASSERT_EQ(id.SecurityProfiles.size(), 1u);
    EXPECT_NE(id.SecurityProfiles[0].find("spnego-kerberos"), std::string::npos);
}

}  // namespace
}  // namespace veskin
