// Searching the WMI record set by key values.
#include <gtest/gtest.h>

#include "platform/WbemClass.h"
#include "platform/WbemObject.h"
#include "recordset/Field.h"
#include "rtl/Exception.h"
#include "tests/support/ScriptedWmi.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiErr.h"

namespace veskin {
namespace {

struct LocateFixture : ::testing::Test {
    ScriptedWmi wmi;
    TWmiConnection conn;
    TWmiQuery query;

    LocateFixture() {
        wmi.AddClass(u"root\\cimv2", u"Loc_Item",
                     {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()}),
                      PropertyDef(u"Kind", wbemCimtypeString), PropertyDef(u"Size", wbemCimtypeUint32)});
        Add("Windows", "os", 10);
        Add("Linux", "os", 20);
        Add("win32k", "driver", 30);
        Add("Ärger", "word", 40);
        Add("Item", "word", 50);
        query.SetConnection(&conn);
        query.SetWQL({"SELECT * FROM Loc_Item"});
    }
    void Add(const char* name, const char* kind, std::int32_t size) {
        wmi.AddInstance(u"root\\cimv2", u"Loc_Item", {{u"Name", Variant(name)}, {u"Kind", Variant(kind)}, {u"Size", size}});
    }
    std::string Name() { return query.FieldByName("Name")->ValueText(); }
    // Opens and moves to the record with the given index.
    void OpenAt(int index) {
        query.Open();
        for (int i = 0; i < index; ++i) query.Next();
    }
    std::string LocateError(const std::string& keys, const Variant& values) {
        try {
            query.Locate(keys, values, {});
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
        return "no error";
    }
};

TEST_F(LocateFixture, SeveralKeyNamesNeedAnArrayOfAsManyValues) {
    OpenAt(4);
    EXPECT_TRUE(query.Locate("Kind; Size", Variant::ArrayOf({Variant("os"), Variant(20)}), {}));
    EXPECT_EQ(Name(), "Linux");

    // The elements are taken from the first on, whatever the array's low bound.
    Variant fromOne = Variant::ArrayCreate(1, 2);
    fromOne.PutElement(1, Variant("driver"));
    fromOne.PutElement(2, Variant("30"));
    EXPECT_TRUE(query.Locate("Kind;Size", fromOne, {}));
    EXPECT_EQ(Name(), "win32k");

    // One value for one key may come as a one-element array too.
    EXPECT_TRUE(query.Locate("Size", Variant::ArrayOf({Variant(10)}), {}));
    EXPECT_EQ(Name(), "Windows");

    query.Next();
    EXPECT_EQ(LocateError("Kind; Size", Variant("os")), "Incorrectly formed filter expression");
    EXPECT_EQ(LocateError("Kind;Size", Variant::ArrayOf({Variant("os"), Variant(20), Variant(1)})),
              "Incorrectly formed filter expression");
    query.SetName("Query1");
    EXPECT_EQ(LocateError("Kind;Size", Variant::ArrayOf({Variant("os")})),
              "Query1: Incorrectly formed filter expression");
    EXPECT_EQ(Name(), "Linux");  // refused before moving
}

TEST_F(LocateFixture, SemicolonsAtTheEndsOfTheKeyNames) {
    OpenAt(1);
    // A trailing semicolon adds no name: one key, so a single value is enough.
    EXPECT_TRUE(query.Locate(" Kind ;  ", Variant("driver"), {}));
    EXPECT_EQ(Name(), "win32k");

    // A leading one adds an empty name, which is a second key and matches nothing.
    EXPECT_EQ(LocateError(";Name", Variant("Item")), "Incorrectly formed filter expression");
    EXPECT_FALSE(query.Locate(";Name", Variant::ArrayOf({Variant(""), Variant("Item")}), {}));
    EXPECT_EQ(Name(), "win32k");
}

TEST_F(LocateFixture, NoMatchReturnsToTheRecordItStartedFrom) {
    OpenAt(2);
    int scrolls = 0;
    query.AfterScroll = [&](TDataSet*) { ++scrolls; };
    EXPECT_FALSE(query.Locate("Colour", Variant("red"), {}));  // no such field
    EXPECT_EQ(Name(), "win32k");
    EXPECT_EQ(query.RecNo(), 3);
    EXPECT_GT(scrolls, 0);  // moved through the records with the framework's scrolls
    EXPECT_TRUE(query.Store()->Exhausted());

    EXPECT_FALSE(query.Locate("Name", Variant("Solaris"), {}));
    EXPECT_EQ(Name(), "win32k");
    EXPECT_FALSE(query.Eof());
}

TEST_F(LocateFixture, EmptyKeyTextMatchesTheFirstRecord) {
    OpenAt(3);
    EXPECT_TRUE(query.Locate("", Variant(), {}));
    EXPECT_EQ(Name(), "Windows");

    query.Close();
    query.SetWQL({"SELECT * FROM Loc_Item WHERE Size > 100"});
    query.Open();
    EXPECT_FALSE(query.Locate("", Variant(), {}));
    EXPECT_TRUE(query.Eof());
}

TEST_F(LocateFixture, LetterCaseAndPartialKeys) {
    OpenAt(0);
    // Partial keys ignore case with or without the case-insensitive option.
    EXPECT_TRUE(query.Locate("Name", Variant("WIN3"), {loPartialKey}));
    EXPECT_EQ(Name(), "win32k");
    EXPECT_TRUE(query.Locate("Name", Variant("win"), {loPartialKey, loCaseInsensitive}));
    EXPECT_EQ(Name(), "Windows");
    EXPECT_TRUE(query.Locate("Name", Variant("LIN"), {loPartialKey}));
    EXPECT_EQ(Name(), "Linux");
    EXPECT_FALSE(query.Locate("Name", Variant("Linux Mint"), {loPartialKey}));  // longer than the record

    // Whole keys: equal bytes, or equal after upper-casing with the option.
    EXPECT_FALSE(query.Locate("Name", Variant("windows"), {}));
    EXPECT_FALSE(query.Locate("Name", Variant("Win"), {}));
    EXPECT_EQ(Name(), "Linux");
    EXPECT_TRUE(query.Locate("Name", Variant("windows"), {loCaseInsensitive}));
    EXPECT_EQ(Name(), "Windows");
}

TEST_F(LocateFixture, UpperCasingLeavesNonAsciiLetters) {
    OpenAt(0);
    EXPECT_FALSE(query.Locate("Name", Variant("ärger"), {loCaseInsensitive}));
    EXPECT_TRUE(query.Locate("Name", Variant("Ärger"), {loCaseInsensitive}));
    EXPECT_EQ(Name(), "Ärger");
    query.First();
    // The partial comparison follows the locale, also for non-ASCII letters.
    EXPECT_TRUE(query.Locate("Name", Variant("äRG"), {loPartialKey, loCaseInsensitive}));
    EXPECT_EQ(Name(), "Ärger");
    // A prefix is counted in characters: dotless i (two bytes) stands for the one-byte I.
    EXPECT_TRUE(query.Locate("Name", Variant("ıT"), {loPartialKey}));
    EXPECT_EQ(Name(), "Item");
}

TEST_F(LocateFixture, FailedFetchLeavesTheRecordSetWhereTheErrorArose) {
    OpenAt(0);
    wmi.Fail(WmiOp::Next, WBEM_E_FAILED, 2);
    EXPECT_THROW(query.Locate("Name", Variant("Item"), {}), TWmiException);
    EXPECT_TRUE(query.Active());
    EXPECT_EQ(Name(), "Linux");
    wmi.ClearFaults();
    EXPECT_TRUE(query.Locate("Name", Variant("Item"), {}));
}

TEST(LocateIrregular, TestsEachRecordAgainstItsOwnProperties) {
    ScriptedWmi wmi;
    auto small = WbemClass::Make(u"Loc_Small", {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()})});
    auto sized = WbemClass::Make(u"Loc_Sized", {PropertyDef(u"Name", wbemCimtypeString, false, {KeyQualifier()}),
                                                PropertyDef(u"Size", wbemCimtypeUint32)});
    // A provider that makes fresh objects of two classes on each enumeration.
    wmi.AddProviderClass(u"root\\cimv2", small, [small, sized] {
        return WbemObjectProducer([small, sized, i = 0](WbemObjectPtr& out) mutable -> HRESULT {
            static const char* const names[] = {"a", "b", "c", "d"};
            if (i >= 4) return S_FALSE;
            const bool hasSize = i % 2 == 1;  // b and d are of the class with a Size
            out = WbemObject::NewInstance(hasSize ? sized : small);
            out->SetValue(u"Name", Variant(names[i]));
            if (hasSize) out->SetValue(u"Size", Variant(i * 3));
            ++i;
            return S_OK;
        });
    });
    TWmiConnection conn;
    TWmiQuery query;
    query.SetConnection(&conn);
    query.SetWQL({"SELECT * FROM Loc_Small"});
    query.SetIrregularView(true);
    query.Open();
    auto name = [&] { return query.CurrentPropertyValue("Name").AsString(); };

    EXPECT_TRUE(query.Locate("Size", Variant("9"), {}));  // records without Size do not match
    EXPECT_EQ(name(), "d");
    EXPECT_TRUE(query.Locate("name", Variant("C"), {loCaseInsensitive}));
    EXPECT_EQ(name(), "c");
    EXPECT_FALSE(query.Locate("Object", Variant("c"), {}));  // the view's own field is no property
    EXPECT_EQ(name(), "c");
}

}  // namespace
}  // namespace veskin
