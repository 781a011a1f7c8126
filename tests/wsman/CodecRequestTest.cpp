#include <gtest/gtest.h>

#include <set>

#include "platform/WbemScripting.h"
#include "platform/wsman/WsmanNames.h"
#include "platform/wsman/XmlTree.h"
#include "tests/wsman/CodecFixtures.h"

namespace veskin {
namespace {

using testing::Fixture;

const std::string To = "http://server1:5985/wsman";
const std::string Uri = "http://schemas.microsoft.com/wbem/wsman/1/wmi/root/cimv2/*";

std::string HeaderText(const XmlNode& header, std::string_view ns, std::string_view name) {
    const XmlNode* n = header.Child(ns, name);
    return n ? std::string(n->Text) : std::string("<missing>");
}

// Parses a request back and checks the headers every request carries; returns its body.
const XmlNode* CheckEnvelope(XmlTree& tree, const std::string& request, std::string_view action,
                             const std::string& uri, std::string* messageId = nullptr) {
    EXPECT_TRUE(tree.Parse(request)) << tree.Error();
    const XmlNode* root = tree.Root();
    if (!root || !root->Is(wsns::Soap, "Envelope")) return nullptr;
    const XmlNode* header = root->Child(wsns::Soap, "Header");
    EXPECT_TRUE(header);
    if (!header) return nullptr;
    EXPECT_EQ(HeaderText(*header, wsns::Addressing, "To"), To);
    EXPECT_EQ(HeaderText(*header, wsns::Wsman, "ResourceURI"), uri);
    EXPECT_EQ(*header->Child(wsns::Wsman, "ResourceURI")->Attr(wsns::Soap, "mustUnderstand"), "true");
    EXPECT_EQ(HeaderText(*header, wsns::Addressing, "Action"), action);
    const XmlNode* reply = header->Child(wsns::Addressing, "ReplyTo");
    EXPECT_TRUE(reply && reply->Child(wsns::Addressing, "Address") &&
                reply->Child(wsns::Addressing, "Address")->Text == wsns::Anonymous);
    EXPECT_EQ(HeaderText(*header, wsns::Wsman, "MaxEnvelopeSize"), "512000");
    EXPECT_EQ(HeaderText(*header, wsns::Wsman, "OperationTimeout"), "PT60.000S");
    const XmlNode* locale = header->Child(wsns::Wsman, "Locale");
    EXPECT_TRUE(locale && *locale->Attr(wsns::XmlLang, "lang") == "en-US" &&
                *locale->Attr(wsns::Soap, "mustUnderstand") == "false");
    const std::string id = HeaderText(*header, wsns::Addressing, "MessageID");
    if (messageId) *messageId = id;
    EXPECT_EQ(id.rfind("uuid:", 0), 0u) << id;
    return root->Child(wsns::Soap, "Body");
}

TEST(WsmanRequests, EnumerateCarriesTheEscapedQueryAndItsOptions) {
    const std::string wql = "SELECT * FROM Win32_Process WHERE Name = 'a&b' AND Priority < 8";
    XmlTree tree;
    const XmlNode* body = CheckEnvelope(tree, WsmanEnumerateRequest(To, Uri, wql, 60000),
                                        wsns::ActionEnumerate, Uri);
    ASSERT_TRUE(body);
    const XmlNode* e = body->Child(wsns::Enumeration, "Enumerate");
    ASSERT_TRUE(e);
    const XmlNode* filter = e->Child(wsns::Wsman, "Filter");
    ASSERT_TRUE(filter);
    EXPECT_EQ(filter->Text, wql);
    EXPECT_EQ(*filter->Attr({}, "Dialect"), wsns::WqlDialect);
    EXPECT_TRUE(e->Child(wsns::Wsman, "OptimizeEnumeration"));
    EXPECT_EQ(e->Child(wsns::Wsman, "MaxElements")->Text, "32000");
    EXPECT_EQ(e->Child(wsns::Wsman, "EnumerationMode")->Text, "EnumerateObjectAndEPR");
}

TEST(WsmanRequests, PullAndReleaseCarryTheContext) {
    const std::string context = "uuid:1234<&>";
    XmlTree pull, release;
    const XmlNode* p = CheckEnvelope(pull, WsmanPullRequest(To, Uri, context, 60000), wsns::ActionPull, Uri);
    ASSERT_TRUE(p && p->Child(wsns::Enumeration, "Pull"));
    EXPECT_EQ(p->Child(wsns::Enumeration, "Pull")->Child(wsns::Enumeration, "EnumerationContext")->Text, context);
    EXPECT_EQ(p->Child(wsns::Enumeration, "Pull")->Child(wsns::Enumeration, "MaxElements")->Text, "32000");
    const XmlNode* r =
        CheckEnvelope(release, WsmanReleaseRequest(To, Uri, context, 60000), wsns::ActionRelease, Uri);
    ASSERT_TRUE(r && r->Child(wsns::Enumeration, "Release"));
    EXPECT_EQ(r->Child(wsns::Enumeration, "Release")->Child(wsns::Enumeration, "EnumerationContext")->Text,
              context);
}

TEST(WsmanRequests, TransferRequestsCarrySelectorsAndTheClassSchemaGetItsOptions) {
    const std::string cls = WmiResourceUri(u"root\\cimv2", "Win32_Service");
    EXPECT_EQ(cls, "http://schemas.microsoft.com/wbem/wsman/1/wmi/root/cimv2/Win32_Service");
    EXPECT_EQ(CimNamespaceText(u"root\\Microsoft\\Windows"), "root/Microsoft/Windows");
    const std::vector<WsmanSelector> keys = {{"Name", "a\"b"}};
    auto selectors = [](const XmlNode& root) {
        std::vector<std::pair<std::string, std::string>> out;
        const XmlNode* set = root.Child(wsns::Soap, "Header")->Child(wsns::Wsman, "SelectorSet");
        for (const XmlNode* s = set ? set->FirstChild : nullptr; s; s = s->Next)
            out.emplace_back(*s->Attr({}, "Name"), s->Text);
        return out;
    };
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    {
        XmlTree t;
        const XmlNode* body = CheckEnvelope(t, WsmanGetRequest(To, cls, keys, 60000), wsns::ActionGet, cls);
        ASSERT_TRUE(body);
        EXPECT_FALSE(body->FirstChild);
        EXPECT_EQ(selectors(*t.Root()), (Pairs{{"Name", "a\"b"}}));
    }
    {
        XmlTree t;
        ASSERT_TRUE(CheckEnvelope(t, WsmanGetRequest(To, cls, {}, 60000), wsns::ActionGet, cls));
        EXPECT_FALSE(t.Root()->Child(wsns::Soap, "Header")->Child(wsns::Wsman, "SelectorSet"));
    }
    {
        XmlTree t;
        ASSERT_TRUE(CheckEnvelope(t, WsmanDeleteRequest(To, cls, keys, 60000), wsns::ActionDelete, cls));
        EXPECT_EQ(selectors(*t.Root()).size(), 1u);
    }
    {
        XmlTree t;
        const std::string instance = "<p:Win32_Service xmlns:p=\"" + cls + "\"><p:Name>x</p:Name></p:Win32_Service>";
        const XmlNode* body =
            CheckEnvelope(t, WsmanPutRequest(To, cls, keys, instance, 60000), wsns::ActionPut, cls);
        ASSERT_TRUE(body && body->FirstChild);
        EXPECT_TRUE(body->FirstChild->Is(cls, "Win32_Service"));
    }
    {
        XmlTree t;
        const std::string uri(wsns::CimSchemaUri);
        ASSERT_TRUE(CheckEnvelope(t, WsmanClassSchemaRequest(To, "root/cimv2", "Win32_Service", 60000),
                                  wsns::ActionGet, uri));
        EXPECT_EQ(selectors(*t.Root()), (Pairs{{"__cimnamespace", "root/cimv2"}, {"ClassName", "Win32_Service"}}));
        const XmlNode* options = t.Root()->Child(wsns::Soap, "Header")->Child(wsns::Wsman, "OptionSet");
        ASSERT_TRUE(options);
        std::set<std::string> names;
        for (const XmlNode* o = options->FirstChild; o; o = o->Next) {
            EXPECT_EQ(o->Text, "true");
            names.emplace(*o->Attr({}, "Name"));
        }
        EXPECT_EQ(names, (std::set<std::string>{"IncludeInheritedElements", "IncludeQualifiers"}));
    }
}

TEST(WsmanRequests, MessageIdsAreFreshVersion4Uuids) {
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        XmlTree t;
        std::string id;
        CheckEnvelope(t, WsmanPullRequest(To, Uri, "c", 60000), wsns::ActionPull, Uri, &id);
        ASSERT_EQ(id.size(), 41u) << id;
        EXPECT_EQ(id[19], '4') << id;
        EXPECT_NE(std::string("89ab").find(id[24]), std::string::npos) << id;
        EXPECT_TRUE(seen.insert(id).second);
    }
}

TEST(WsmanRequests, IdentifyNeedsNoAddressing) {
    XmlTree t;
    ASSERT_TRUE(t.Parse(WsmanIdentifyRequest()));
    EXPECT_TRUE(t.Root()->Child(wsns::Soap, "Body")->Child(wsns::Identity, "Identify"));
}

TEST(WsmanPut, EncodedInstanceDecodesToTheSameValues) {
    testing::CountingSchemas schemas;
    WbemClassPtr schema;
    ASSERT_EQ(DecodeClassSchema(Fixture("alltypes_schema.xml"), schema), S_OK);
    schemas.Classes["Test_AllTypes"] = schema;
    WbemObjectPtr original;
    ASSERT_EQ(DecodeGetResponse(Fixture("alltypes_get.xml"), testing::Context(&schemas), original), S_OK);
    // Characters that need escaping, an interval and a negative uint32 travel too.
    ASSERT_EQ(original->SetValue(u"Text", Variant(WideString(u"<a & \"b\">\r\n"))), S_OK);
    ASSERT_EQ(original->SetValue(u"Count", Variant(std::int32_t{-1})), S_OK);
    // A reference travels with the anonymous address: its server is the connection's.
    ASSERT_EQ(original->SetValue(u"Owner", Variant(WideString(
                                               u"\\\\SERVER1\\root\\cimv2:Win32_Service.Name=\"a,b\""))),
              S_OK);

    const std::string uri = WmiResourceUri(u"root\\cimv2", "Test_AllTypes");
    const std::string instance = EncodeWsmanInstance(*original, uri);
    const std::string envelope = "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body>" +
                                 instance + "</s:Body></s:Envelope>";
    WbemObjectPtr decoded;
    ASSERT_EQ(DecodeGetResponse(envelope, testing::Context(&schemas), decoded), S_OK) << instance;
    ASSERT_EQ(decoded->Class(), original->Class());
    for (std::size_t i = 0; i < schema->PropertyCount(); ++i)
        EXPECT_TRUE(testing::SameValue(decoded->GetValue(i), original->GetValue(i)))
            << WideToAnsi(schema->Properties()[i].Name);
    EXPECT_NE(instance.find("<p:Count>4294967295</p:Count>"), std::string::npos);
    EXPECT_NE(instance.find("<p:Uptime><cim:Interval>"), std::string::npos);
    EXPECT_NE(instance.find("<p:Missing xsi:nil=\"true\"/>"), std::string::npos);
}

}  // namespace
}  // namespace veskin
