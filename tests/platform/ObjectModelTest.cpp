#include <gtest/gtest.h>

#include "platform/CimValue.h"
#include "platform/WbemObject.h"
#include "platform/WbemObjectPath.h"
#include "platform/WbemProperty.h"

namespace veskin {
namespace {

Variant Coerced(const Variant& in, std::int32_t type, bool isArray = false) {
    Variant out;
    HRESULT hr = CimCoerce(in, type, isArray, out);
    return Failed(hr) ? Variant::FromError(hr) : out;
}

TEST(CimValueTest, ValuesTravelInTheScriptingForms) {
    EXPECT_EQ(Coerced(Variant(std::int32_t{5}), wbemCimtypeString).RawOleStr(), u"5");
    EXPECT_EQ(Coerced(Variant(std::int64_t{-5}), wbemCimtypeSint64).RawOleStr(), u"-5");
    EXPECT_EQ(Coerced(Variant::FromUInt64(18446744073709551615ull), wbemCimtypeUint64).RawOleStr(),
              u"18446744073709551615");
    EXPECT_EQ(Coerced(Variant(W(" 42 ")), wbemCimtypeUint64).RawOleStr(), u"42");
    Variant u32 = Coerced(Variant(std::int64_t{4294967295}), wbemCimtypeUint32);
    EXPECT_EQ(u32.VarType(), varInteger);
    EXPECT_EQ(u32.RawInt(), -1);
    EXPECT_EQ(Coerced(Variant(std::int32_t{255}), wbemCimtypeUint8).VarType(), varByte);
    EXPECT_EQ(Coerced(Variant(std::int32_t{-3}), wbemCimtypeSint8).VarType(), varSmallint);
    EXPECT_EQ(Coerced(Variant(std::int32_t{65535}), wbemCimtypeUint16).VarType(), varInteger);
    EXPECT_EQ(Coerced(Variant(W("A")), wbemCimtypeChar16).RawInt(), 65);
    EXPECT_EQ(Coerced(Variant(0.1), wbemCimtypeReal32).VarType(), varSingle);
    EXPECT_EQ(Coerced(Variant(true), wbemCimtypeBoolean).VarType(), varBoolean);
    EXPECT_TRUE(Coerced(Variant(), wbemCimtypeUint32).IsNull());
    EXPECT_TRUE(Coerced(Variant::Null(), wbemCimtypeString, true).IsNull());

    Variant arr = Coerced(Variant::ArrayOf({Variant(std::int32_t{1}), Variant(W("2"))}),
                          wbemCimtypeString, true);
    EXPECT_EQ(arr.VarType(), varArray | varVariant);
    EXPECT_EQ(arr.ArrayLowBound(), 0);
    EXPECT_EQ(arr.GetElement(0).RawOleStr(), u"1");
}

TEST(CimValueTest, ValuesThatDoNotFitAreTypeMismatches) {
    const HRESULT mismatch = WBEM_E_TYPE_MISMATCH;
    EXPECT_EQ(Coerced(Variant(std::int32_t{256}), wbemCimtypeUint8).RawInt(), mismatch);
    EXPECT_EQ(Coerced(Variant(std::int32_t{-1}), wbemCimtypeUint16).RawInt(), mismatch);
    EXPECT_EQ(Coerced(Variant(W("12x")), wbemCimtypeSint64).RawInt(), mismatch);
    EXPECT_EQ(Coerced(Variant(W("-1")), wbemCimtypeUint64).RawInt(), mismatch);
    EXPECT_EQ(Coerced(Variant(W("+-5")), wbemCimtypeSint32).RawInt(), mismatch);  // one sign at most
    EXPECT_EQ(Coerced(Variant(W("ab")), wbemCimtypeChar16).RawInt(), mismatch);
    EXPECT_EQ(Coerced(Variant(W("a")), wbemCimtypeString, true).RawInt(), mismatch);
    EXPECT_EQ(Coerced(Variant::ArrayOf({}), wbemCimtypeString).RawInt(), mismatch);
    EXPECT_EQ(Coerced(Variant(std::int32_t{1}), wbemCimtypeObject).RawInt(), mismatch);
    EXPECT_EQ(Coerced(Variant(std::int32_t{1}), 0).RawInt(), mismatch);
}

WbemClassPtr ProcessClass() {
    return WbemClass::Make(u"Win32_Process",
                           {PropertyDef(u"Name", wbemCimtypeString),
                            PropertyDef(u"Handle", wbemCimtypeString, false, {KeyQualifier()}),
                            PropertyDef(u"__Ignored_Case", wbemCimtypeUint8),
                            PropertyDef(u"caption", wbemCimtypeString),
                            PropertyDef(u"Tags", wbemCimtypeString, true),
                            PropertyDef(u"Kernel", wbemCimtypeBoolean)});
}

std::vector<WideString> EnumeratedNames(const WbemObjectPtr& obj) {
    ISWbemPropertySetPtr props;
    obj->get_Properties_(props);
    IInterfacePtr e;
    props->get__NewEnum(e);
    auto en = IntfCast<IEnumVARIANT>(e);
    std::vector<WideString> names;
    Variant v;
    std::uint32_t got = 0;
    while (en->Next(1, &v, &got) == S_OK && got == 1) {
        WideString n;
        IntfCast<ISWbemProperty>(v.RawInterface())->get_Name(n);
        names.push_back(n);
    }
    return names;
}

TEST(WbemObjectTest, PropertiesEnumerateAlphabeticallyAndItemIgnoresCase) {
    auto obj = WbemObject::NewInstance(ProcessClass());
    EXPECT_EQ(EnumeratedNames(obj), (std::vector<WideString>{u"__Ignored_Case", u"caption", u"Handle",
                                                             u"Kernel", u"Name", u"Tags"}));
    ISWbemPropertySetPtr props;
    obj->get_Properties_(props);
    ISWbemPropertyPtr prop;
    ASSERT_EQ(props->Item(u"TAGS", 0, prop), S_OK);
    std::int32_t type = 0;
    VARIANT_BOOL isArray = 0;
    prop->get_CIMType(type);
    prop->get_IsArray(isArray);
    EXPECT_EQ(type, wbemCimtypeString);
    EXPECT_EQ(isArray, VARIANT_TRUE);
    EXPECT_EQ(props->Item(u"Nope", 0, prop), WBEM_E_NOT_FOUND);
    EXPECT_EQ(prop, nullptr);

    ASSERT_EQ(props->Item(u"handle", 0, prop), S_OK);
    ISWbemQualifierSetPtr quals;
    prop->get_Qualifiers_(quals);
    ISWbemQualifierPtr key;
    ASSERT_EQ(quals->Item(u"KEY", 0, key), S_OK);
    Variant kv;
    key->get_Value(kv);
    EXPECT_TRUE(kv.AsBoolean());
}

TEST(WbemObjectTest, PutValueChangesOnlyThisCopy) {
    auto original = WbemObject::NewInstance(ProcessClass());
    ASSERT_EQ(original->SetValue(u"Name", Variant(W("bash"))), S_OK);
    auto copy = original->Clone();
    ISWbemPropertySetPtr props;
    ISWbemPropertyPtr name;
    copy->get_Properties_(props);
    props->Item(u"Name", 0, name);
    ASSERT_EQ(name->put_Value(Variant(W("zsh"))), S_OK);
    EXPECT_EQ(name->put_Value(Variant::ArrayOf({})), WBEM_E_TYPE_MISMATCH);
    Variant v;
    name->get_Value(v);
    EXPECT_EQ(v.RawOleStr(), u"zsh");
    EXPECT_EQ(original->GetValue(u"name").RawOleStr(), u"bash");
}

TEST(WbemObjectTest, ObjectTextIsMof) {
    auto obj = WbemObject::NewInstance(ProcessClass());
    obj->SetValue(u"Name", Variant(W("a \"q\" \\ b")));
    obj->SetValue(u"Tags", Variant::ArrayOf({Variant(W("x")), Variant(W("y"))}));
    obj->SetValue(u"Kernel", Variant(false));
    WideString text;
    ASSERT_EQ(obj->GetObjectText_(0, text), S_OK);
    EXPECT_EQ(WideToAnsi(text),
              "instance of Win32_Process\n{\n\tKernel = FALSE;\n\tName = \"a \\\"q\\\" \\\\ b\";\n"
              "\tTags = {\"x\", \"y\"};\n};");

    auto cls = WbemObject::NewClassObject(ProcessClass()->Project({u"Handle", u"Tags"}));
    cls->GetObjectText_(0, text);
    EXPECT_EQ(WideToAnsi(text), "class Win32_Process\n{\n\t[key] string Handle;\n\tstring Tags[];\n};");
}

TEST(WbemObjectPathTest, PathsQuoteTextKeysAndJoinSeveralKeys) {
    auto cls = WbemClass::Make(u"Cim_Link",
                               {PropertyDef(u"Id", wbemCimtypeUint32, false, {KeyQualifier()}),
                                PropertyDef(u"Dir", wbemCimtypeString, false, {KeyQualifier()}),
                                PropertyDef(u"Note", wbemCimtypeString)});
    auto obj = WbemObject::NewInstance(cls);
    obj->SetLocation(u"HOST", u"root\\cimv2", nullptr);
    EXPECT_EQ(obj->FullPath(), u"");  // keys are null
    obj->SetValue(u"Id", Variant(std::int64_t{4000000000}));
    obj->SetValue(u"Dir", Variant(W("C:\\a\"b")));
    EXPECT_EQ(obj->FullPath(), u"\\\\HOST\\root\\cimv2:Cim_Link.Dir=\"C:\\\\a\\\"b\",Id=4000000000");

    ParsedObjectPath parsed;
    ASSERT_EQ(ParseObjectPath(obj->FullPath(), parsed), S_OK);
    EXPECT_EQ(parsed.Server, u"HOST");
    EXPECT_EQ(parsed.NameSpace, u"root\\cimv2");
    EXPECT_EQ(parsed.ClassName, u"Cim_Link");
    ASSERT_EQ(parsed.Keys.size(), 2u);
    EXPECT_EQ(parsed.Keys[0].second, u"C:\\a\"b");
    EXPECT_EQ(parsed.Keys[1].second, u"4000000000");

    // A projection without the keys has no path; a class without keys is a singleton.
    EXPECT_EQ(obj->Projected(cls->Project({u"Note"}))->FullPath(), u"");
    auto single = WbemObject::NewInstance(WbemClass::Make(u"Cim_Os", {PropertyDef(u"X", 8)}));
    EXPECT_EQ(single->RelPath(), u"Cim_Os=@");
}

TEST(WbemObjectPathTest, ParsingAcceptsTheUsualFormsAndRejectsOthers) {
    ParsedObjectPath p;
    ASSERT_EQ(ParseObjectPath(u"Win32_Process=\"12\"", p), S_OK);
    EXPECT_TRUE(p.Keys[0].first.empty());
    ASSERT_EQ(ParseObjectPath(u"//10.0.0.1/root/cimv2:Win32_Process.Handle='7'", p), S_OK);
    EXPECT_EQ(p.Server, u"10.0.0.1");
    EXPECT_EQ(p.NameSpace, u"root/cimv2");
    ASSERT_EQ(ParseObjectPath(u"root\\cimv2:Win32_OperatingSystem=@", p), S_OK);
    EXPECT_TRUE(p.Singleton);
    ASSERT_EQ(ParseObjectPath(u"Win32_Process", p), S_OK);
    EXPECT_TRUE(p.IsClass);
    for (const char16_t* bad : {u"", u".Handle=1", u"Win32_Process.", u"Win32_Process.Handle=",
                                u"Win32_Process.Handle=\"open", u"Win32_Process.Handle=1,",
                                u"Win32_Process.Handle=1 2", u"Win32_Process=@x", u"\\\\:X",
                                u"Win32 Process"}) {
        EXPECT_EQ(ParseObjectPath(bad, p), WBEM_E_INVALID_OBJECT_PATH) << WideToAnsi(bad);
    }
}

}  // namespace
}  // namespace veskin
