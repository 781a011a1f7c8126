// Namespace resolution of the element tree: default namespaces, prefixes redeclared in
// nested scopes, undeclaring the default, and the documents namespace rules refuse.
#include <gtest/gtest.h>

#include "platform/wsman/XmlTree.h"

namespace veskin {
namespace {

TEST(XmlTree, ResolvesPrefixesAndDefaultNamespacesPerScope) {
    XmlTree t;
    ASSERT_TRUE(t.Parse(
        "<r xmlns=\"urn:d\" xmlns:p=\"urn:p1\" a=\"1\" p:b=\"2\">"
        "<p:x><p:y xmlns:p=\"urn:p2\" p:c=\"3\"/><p:z/></p:x>"
        "<q xmlns=\"\"><p:w/></q><s xmlns=\"urn:e\"/><t/>"
        "<xml:u xml:lang=\"en\"/></r>"))
        << t.Error();
    const XmlNode* r = t.Root();
    EXPECT_TRUE(r->Is("urn:d", "r"));
    // Unprefixed attributes have no namespace, even under a default one; xmlns ones are
    // declarations, not attributes.
    ASSERT_EQ(r->AttrCount, 2u);
    EXPECT_TRUE(r->Attr("", "a") && *r->Attr("", "a") == "1");
    EXPECT_TRUE(r->Attr("urn:p1", "b") && *r->Attr("urn:p1", "b") == "2");
    const XmlNode* x = r->FirstChild;
    ASSERT_TRUE(x && x->Is("urn:p1", "x"));
    ASSERT_TRUE(x->FirstChild && x->FirstChild->Is("urn:p2", "y"));
    EXPECT_TRUE(x->FirstChild->Attr("urn:p2", "c"));
    ASSERT_TRUE(x->FirstChild->Next && x->FirstChild->Next->Is("urn:p1", "z"));
    const XmlNode* q = x->Next;
    ASSERT_TRUE(q && q->Is("", "q"));
    ASSERT_TRUE(q->FirstChild && q->FirstChild->Is("urn:p1", "w"));
    ASSERT_TRUE(q->Next && q->Next->Is("urn:e", "s"));
    ASSERT_TRUE(q->Next->Next && q->Next->Next->Is("urn:d", "t"));
    const XmlNode* u = q->Next->Next->Next;
    ASSERT_TRUE(u && u->Is("http://www.w3.org/XML/1998/namespace", "u"));
    EXPECT_TRUE(u->Attr("http://www.w3.org/XML/1998/namespace", "lang"));
}

TEST(XmlTree, RefusesDocumentsBreakingNamespaceRules) {
    for (const char* doc : {"<p:r/>",                                 // unbound prefix
                            "<r><p:x xmlns:p=\"urn:p\"/><p:y/></r>",  // out of scope
                            "<r p:a=\"1\"/>",                         // unbound attribute
                            "<r xmlns:p=\"\"/>",                      // undeclared prefix
                            "<r xmlns:a=\"urn:x\" xmlns:b=\"urn:x\" a:c=\"1\" b:c=\"2\"/>",
                            "<r xmlns:xml=\"urn:other\"/>", "<r xmlns:xmlns=\"urn:x\"/>",
                            "<r xmlns:p=\"http://www.w3.org/2000/xmlns/\"/>", "<r a:b:c=\"1\"/>",
                            "<:r/>", "<r:/>"}) {
        XmlTree t;
        EXPECT_FALSE(t.Parse(doc)) << doc;
        EXPECT_FALSE(t.Error().empty()) << doc;
        EXPECT_EQ(t.Root(), nullptr) << doc;
    }
}

TEST(XmlTree, ReplacesReferencesAndJoinsTextPieces) {
    XmlTree t;
    ASSERT_TRUE(t.Parse("<r a=\"x&amp;y&#65;&lt;&quot;\">a&amp;b&#x42;<![CDATA[<c>&amp;]]>d&#x1F600;</r>")) << t.Error();
    EXPECT_EQ(*t.Root()->Attr("", "a"), "x&yA<\"");
    EXPECT_EQ(t.Root()->Text, "a&bB<c>&amp;d\xF0\x9F\x98\x80");
}

TEST(XmlTree, LongTextsAndTextAroundChildrenAreWhole) {
    // Some megabytes of text with references throughout reach the parser's callbacks in
    // many thousand pieces; the tree holds them as one text.
    std::string text, expected;
    for (int i = 0; i < 200000; ++i) {
        text += "line " + std::to_string(i) + " &amp;\n";
        expected += "line " + std::to_string(i) + " &\n";
    }
    XmlTree t;
    ASSERT_TRUE(t.Parse("<r><v>" + text + "</v><w>a<x/>b<y/>c</w></r>")) << t.Error();
    EXPECT_EQ(t.Root()->FirstChild->Text, expected);
    EXPECT_EQ(t.Root()->FirstChild->Next->Text, "abc");
    EXPECT_EQ(t.Root()->Text, "");
}

TEST(XmlTree, RefusesDoctypesEntitiesAndMalformedText) {
    for (const char* doc : {"<!DOCTYPE r [<!ENTITY e \"boom\">]><r>&e;</r>", "<!DOCTYPE r SYSTEM \"file:///etc/passwd\"><r/>",
                            "<r>&e;</r>", "<r>\xff</r>", "<r><a></r>", "<r a='1' a='2'/>", "<r/><s/>", "", "text only"}) {
        XmlTree t;
        EXPECT_FALSE(t.Parse(doc)) << doc;
        EXPECT_FALSE(t.Error().empty()) << doc;
        EXPECT_EQ(t.Root(), nullptr) << doc;
    }
    XmlTree t;
    EXPECT_FALSE(t.Parse("<!DOCTYPE r><r/>"));
    EXPECT_EQ(t.Error(), "a DOCTYPE is not accepted");
    // A tree that refused a document parses the next one.
    ASSERT_TRUE(t.Parse("<r>ok</r>")) << t.Error();
    EXPECT_EQ(t.Root()->Text, "ok");
}

}  // namespace
}  // namespace veskin
