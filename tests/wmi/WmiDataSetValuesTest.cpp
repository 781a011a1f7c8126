// Field values of the WMI record set over the scripted service: the text of every
// field type, null against value, the value cache, and the write path.
#include <gtest/gtest.h>

#include <string>

#include "platform/WbemClass.h"
#include "platform/WbemObject.h"
#include "recordset/Field.h"
#include "rtl/DateTime.h"
#include "tests/support/ScriptedWmi.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {
namespace {

struct ValuesFixture : ::testing::Test {
    ScriptedWmi wmi;
    TWmiConnection conn;
    TWmiQuery query;

    ValuesFixture() {
        wmi.AddClass(u"root\\cimv2", u"Embedded_Part", {PropertyDef(u"Tag", wbemCimtypeString)});
        wmi.AddClass(u"root\\cimv2", u"Test_Values",
                     {PropertyDef(u"Arr", wbemCimtypeString, true), PropertyDef(u"Bool", wbemCimtypeBoolean),
                      PropertyDef(u"Ch", wbemCimtypeChar16), PropertyDef(u"Dates", wbemCimtypeDatetime, true),
                      PropertyDef(u"Id", wbemCimtypeUint32, false, {KeyQualifier()}),
                      PropertyDef(u"Long", wbemCimtypeSint64), PropertyDef(u"Obj", wbemCimtypeObject),
                      PropertyDef(u"R32", wbemCimtypeReal32), PropertyDef(u"R64", wbemCimtypeReal64),
                      PropertyDef(u"Ref", wbemCimtypeReference), PropertyDef(u"S16", wbemCimtypeSint16),
                      PropertyDef(u"Stamp", wbemCimtypeDatetime), PropertyDef(u"Text", wbemCimtypeString),
                      PropertyDef(u"U16", wbemCimtypeUint16), PropertyDef(u"U32", wbemCimtypeUint32),
                      PropertyDef(u"U32s", wbemCimtypeUint32, true),
                      PropertyDef(u"U64", wbemCimtypeUint64),
                      PropertyDef(u"U8", wbemCimtypeUint8),
                      PropertyDef(u"Fixed", wbemCimtypeString, false, {{u"READONLY", Variant(true)}})});
        query.SetConnection(&conn);
        query.SetWQL({"SELECT * FROM Test_Values"});
    }
    void Add(std::vector<std::pair<WideString, Variant>> values) {
        wmi.AddInstance(u"root\\cimv2", u"Test_Values", values);
    }
    std::string Text(const char* name) { return query.FieldByName(name)->ValueText(); }
    Variant Property(const char* name) {
        ISWbemObjectPtr obj;
        query.GetWmiObject(obj);
        Variant value;
        EXPECT_EQ(WmiGetProperty(obj, AnsiToWide(name))->get_Value(value), S_OK);
        return value;
    }
};

TEST_F(ValuesFixture, TextOfEveryFieldTypeWithAValue) {
    auto part = WbemObject::NewInstance(WbemClass::Make(u"Embedded_Part", {PropertyDef(u"Tag", wbemCimtypeString)}));
    part->SetValue(u"Tag", Variant("p1"));
    Add({{u"Id", Variant(1)}, {u"Bool", Variant(true)}, {u"U8", Variant(255)}, {u"Long", Variant("-5")}, {u"R32", Variant::FromSingle(0.1f)}, {u"R64", Variant(0.1)}, {u"S16", Variant(-7)}, {u"U16", Variant(65535)}, {u"Stamp", Variant("20080102030405.678000+060")}, {u"Text", Variant("hello")}, {u"Ref", Variant("\\\\H\\root\\cimv2:Embedded_Part.Tag=\"p1\"")}, {u"Arr", Variant::ArrayOf({Variant("a"), Variant("b c")})}, {u"Dates", Variant::ArrayOf({Variant("20080102030405.678000+060")})}, {u"Obj", Variant::FromDispatch(std::static_pointer_cast<ISWbemObject>(part))}});
    query.Open();
    EXPECT_EQ(Text("Bool"), "True");
    EXPECT_EQ(Text("U8"), "255");
    EXPECT_EQ(Text("Long"), "-5");
    EXPECT_EQ(Text("R32"), "0.100000001490116");
    EXPECT_EQ(Text("R64"), "0.1");
    EXPECT_EQ(Text("S16"), "-7");
    EXPECT_EQ(Text("U16"), "65535");
    EXPECT_EQ(Text("Stamp"), DateTimeToStr(EncodeDateTime(2008, 1, 2, 3, 4, 5, 678)));
    EXPECT_EQ(Text("Text"), "hello");
    EXPECT_EQ(Text("Ref"), "\\\\H\\root\\cimv2:Embedded_Part.Tag=\"p1\"");
    EXPECT_EQ(Text("Arr"), "{a, b c}");
    EXPECT_EQ(Text("Dates"), "{20080102030405.678000+060}");  // array elements are not decoded
    EXPECT_EQ(Text("Obj"), "(INTERFACE)");
    try {
        query.FieldByName("Obj")->AsVariant();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unknown data type in field Obj");
    }
}

TEST_F(ValuesFixture, NullPropertiesGiveEmptyTextsExceptForInterfaceFields) {
    Add({{u"Id", Variant(1)}, {u"Stamp", Variant("20080102000000.000000+000")}, {u"Arr", Variant::ArrayOf({})}});
    query.Open();
    for (const char* name : {"Bool", "Ch", "Long", "R32", "R64", "Ref", "S16", "Text", "U16", "U64", "U8"}) {
        EXPECT_EQ(Text(name), "") << name;
        EXPECT_TRUE(query.FieldByName(name)->IsNull()) << name;
    }
    EXPECT_EQ(Text("Obj"), "(Interface)");
    EXPECT_EQ(Text("Arr"), "{}");
    EXPECT_EQ(Text("Stamp"), DateToStr(EncodeDate(2008, 1, 2)));  // midnight shows the date alone
}

// 64-bit values arrive as text: every length and sign reads back the same number,
// whether the text is short enough to be read digit by digit or not.
TEST_F(ValuesFixture, SixtyFourBitTextOfEveryLengthAndSign) {
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"0", "0"},
        {"9999999999999999999", "999999999999999999"},
        {"10000000000000000000", "9223372036854775807"},
        {"18446744073709551615", "-9223372036854775808"},
        {"42", "-1"}};
    for (std::size_t i = 0; i < rows.size(); ++i)
        Add({{u"Id", Variant(static_cast<int>(i))}, {u"U64", Variant(rows[i].first)}, {u"Long", Variant(rows[i].second)}});
    query.Open();
    for (const auto& [u64, s64] : rows) {
        EXPECT_EQ(Text("U64"), u64);
        EXPECT_EQ(Text("Long"), s64);
        EXPECT_EQ(query.FieldByName("Long")->AsLargeInt(), std::stoll(s64));
        query.Next();
    }
    EXPECT_TRUE(query.Eof());
}

// Unsigned properties show, locate and write their unsigned values: uint32 from 2^31
// up (delivered as negative 32-bit integers) and uint64 above the signed 64-bit range.
TEST_F(ValuesFixture, UnsignedValuesKeepTheirUnsignedRange) {
    Add({{u"Id", Variant(1)}, {u"U32", Variant(std::int64_t{2417209178})}, {u"U64", Variant("18446744073709551615")}, {u"U32s", Variant::ArrayOf({Variant(std::int64_t{4294967295}), Variant(7)})}});
    Add({{u"Id", Variant(2)}, {u"U32", Variant(std::int64_t{4294967295})}, {u"U64", Variant("9223372036854775807")}});
    query.Open();
    EXPECT_EQ(Text("U32"), "2417209178");
    EXPECT_EQ(query.FieldByName("U32")->AsLargeInt(), 2417209178);
    EXPECT_EQ(Text("U64"), "18446744073709551615");
    EXPECT_EQ(query.FieldByName("U64")->AsVariant().VarType(), varUInt64);
    EXPECT_THROW(query.FieldByName("U64")->AsLargeInt(), EDatabaseError);  // out of the signed range
    EXPECT_EQ(Text("U32s"), "{4294967295, 7}");                            // array elements too
    query.Next();
    EXPECT_EQ(Text("U32"), "4294967295");
    EXPECT_EQ(Text("U64"), "9223372036854775807");

    EXPECT_TRUE(query.Locate("U32", Variant(std::int64_t{2417209178}), {}));
    EXPECT_EQ(Text("Id"), "1");
    EXPECT_TRUE(query.Locate("U64", Variant("18446744073709551615"), {}));
    EXPECT_EQ(Text("Id"), "1");

    query.SetReadOnly(false);
    query.Edit();
    query.FieldByName("U32")->SetAsString("4294967295");
    EXPECT_EQ(Property("U32").AsInteger(), -1);  // the Scripting API's form of 4294967295
    EXPECT_EQ(Text("U32"), "4294967295");
    EXPECT_THROW(query.FieldByName("U32")->SetAsLargeInt(4294967296), EDatabaseError);
    EXPECT_THROW(query.FieldByName("U32")->SetAsInteger(-1), EDatabaseError);
    query.FieldByName("U64")->SetAsString("18446744073709551614");
    EXPECT_EQ(Property("U64").AsString(), "18446744073709551614");
    EXPECT_EQ(Text("U64"), "18446744073709551614");
    EXPECT_THROW(query.FieldByName("U64")->SetAsString("18446744073709551616"), EConvertError);
    query.Cancel();
}

TEST_F(ValuesFixture, AHundredThousandCharacterTextIsReadWhole) {
    const std::string big(100000, 'x');
    Add({{u"Id", Variant(1)}, {u"Text", Variant(big + "END")}});
    query.Open();
    EXPECT_EQ(Text("Text"), big + "END");
    EXPECT_EQ(query.FieldByName("Text")->AsWideString().size(), 100003u);
}

TEST_F(ValuesFixture, EachPropertyIsReadOnceUntilARecordIsWritten) {
    Add({{u"Id", Variant(1)}, {u"Text", Variant("a")}});
    Add({{u"Id", Variant(2)}, {u"Text", Variant("b")}});
    query.Open();
    query.SetReadOnly(false);
    wmi.ResetCounters();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Text("Text"), "a");
        EXPECT_EQ(Text("Id"), "1");
    }
    EXPECT_EQ(wmi.Calls(WmiOp::PropertyValue), 2);
    EXPECT_EQ(wmi.Calls(WmiOp::Properties), 1);

    query.Edit();
    query.FieldByName("Text")->SetAsString("changed");
    EXPECT_EQ(Text("Text"), "changed");
    EXPECT_EQ(Text("Id"), "1");  // every property of the written record is read again
    EXPECT_EQ(wmi.Calls(WmiOp::PropertyValue), 4);
    query.Cancel();  // without a connection's re-read the object would keep the change
    EXPECT_EQ(Text("Text"), "a");

    query.Next();  // another record: its own cache
    EXPECT_EQ(Text("Text"), "b");
}

TEST_F(ValuesFixture, ReadingAPropertyTheObjectLacksFails) {
    Add({{u"Id", Variant(1)}});
    query.Open();
    ISWbemObjectPtr obj;
    query.GetWmiObject(obj);
    wmi.Fail(WmiOp::PropertyItem, WBEM_E_NOT_FOUND, 1, u"Text");
    EXPECT_THROW(Text("Text"), TWmiException);
    EXPECT_EQ(Text("Text"), "");  // a failed read caches nothing
}

TEST_F(ValuesFixture, WritesConvertToAutomationValues) {
    Add({{u"Id", Variant(1)}, {u"Text", Variant("t")}});
    query.Open();
    query.SetReadOnly(false);
    query.Edit();
    query.FieldByName("S16")->SetAsInteger(-1);
    EXPECT_EQ(Property("S16").AsInteger(), -1);
    query.FieldByName("U16")->SetAsInteger(65535);
    EXPECT_EQ(Property("U16").AsInteger(), 65535);
    query.FieldByName("Text")->SetAsString(std::string(70000, 'y'));
    EXPECT_EQ(Property("Text").AsWideString().size(), 65535u);
    query.FieldByName("Arr")->SetAsString("{1, 2,3}");
    const Variant arr = Property("Arr");
    ASSERT_TRUE(arr.IsArray());
    ASSERT_EQ(arr.ArrayCount(), 3);
    EXPECT_EQ(arr.GetElement(arr.ArrayLowBound() + 2).AsString(), "3");
    query.FieldByName("Arr")->SetAsString("{}");
    EXPECT_TRUE(Property("Arr").IsNull());
    query.FieldByName("Long")->SetAsLargeInt(-9000000000LL);
    EXPECT_EQ(Property("Long").AsString(), "-9000000000");
    query.FieldByName("Stamp")->SetAsDateTime(EncodeDateTime(2008, 1, 2, 3, 4, 5, 678));
    EXPECT_EQ(Property("Stamp").AsString().substr(0, 21), "20080102030405.678000");
    query.FieldByName("Text")->Clear();
    EXPECT_TRUE(Property("Text").IsNull());
    query.FieldByName("Bool")->Clear();
    EXPECT_TRUE(Property("Bool").IsNull());
}

TEST_F(ValuesFixture, WriteRefusalsAssignNothing) {
    Add({{u"Id", Variant(1)}, {u"Text", Variant("t")}, {u"Fixed", Variant("f")}});
    query.Open();
    const auto refusal = [&](const char* field) -> std::string {
        try {
            query.FieldByName(field)->SetAsString("new");
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
        return "accepted";
    };
    EXPECT_EQ(refusal("Text"), "Cannot modify a read-only dataset");
    query.SetReadOnly(false);
    EXPECT_EQ(refusal("Fixed"), "Field 'Fixed' cannot be modified");
    EXPECT_EQ(Property("Text").AsString(), "t");
    EXPECT_EQ(Property("Fixed").AsString(), "f");
    EXPECT_EQ(wmi.Calls(WmiOp::PutValue), 0);
}

TEST(WmiWideStringField, CutsEightBitTextToItsSize) {
    ScriptedWmi wmi;
    wmi.AddClass(u"root\\cimv2", u"C", {PropertyDef(u"Ch", wbemCimtypeString)});
    wmi.AddInstance(u"root\\cimv2", u"C", {{u"Ch", Variant("z")}});
    TWmiConnection conn;
    TWmiQuery query;
    query.SetConnection(&conn);
    query.SetWQL({"SELECT * FROM C"});
    query.Open();
    query.SetReadOnly(false);
    TField* field = query.Fields(0);
    field->SetSize(2);  // as a char16 property's field is sized
    field->SetAsString("abc");
    EXPECT_EQ(field->AsString(), "ab");
    field->SetAsString("a\xF0\x9F\x98\x80");  // never half a surrogate pair
    EXPECT_EQ(field->AsString(), "a");
}

// A field's slot is found for one class and must be found again for records of another
// class, where the same property sits at another index, and for another field name.
TEST(PropertySlot, FollowsTheClassOfEachRecord) {
    auto narrow = WbemClass::Make(u"Slot_Narrow", {PropertyDef(u"Name", wbemCimtypeString)});
    auto wide = WbemClass::Make(u"Slot_Wide", {PropertyDef(u"Alpha", wbemCimtypeString),
                                               PropertyDef(u"Name", wbemCimtypeString)});
    auto make = [](const WbemClassPtr& cls, const char* name) {
        auto object = WbemObject::NewInstance(cls);
        object->SetValue(u"Name", Variant(name));
        if (cls->PropertyCount() > 1) object->SetValue(u"Alpha", Variant("alpha"));
        return std::make_unique<TInterfaceHolder>(object);
    };
    TWmiPropertySlot slot;
    for (auto [cls, name] : {std::pair{narrow, "n1"}, {wide, "w1"}, {narrow, "n2"}, {wide, "w2"}}) {
        auto record = make(cls, name);
        EXPECT_EQ(ReadFieldProperty(*record, "Name", slot).AsString(), name);
        EXPECT_EQ(ReadFieldProperty(*record, "NAME", slot).AsString(), name);  // names in any case
        EXPECT_EQ(record->ValueCache.Count(), 0) << "the object holds its values: nothing is cached";
    }
    auto record = make(wide, "w3");
    EXPECT_EQ(ReadFieldProperty(*record, "alpha", slot).AsString(), "alpha");
    EXPECT_THROW(ReadFieldProperty(*record, "Missing", slot), TWmiException);
    EXPECT_EQ(ReadFieldProperty(*make(wide, "w4"), "Name", slot).AsString(), "w4");
}

}  // namespace
}  // namespace veskin
