#include <gtest/gtest.h>

#include "platform/WbemClass.h"
#include "platform/Wql.h"
#include "recordset/FieldDefs.h"
#include "rtl/SysUtils.h"
#include "rtl/TextFold.h"
#include "wmi/WmiDataSetStore.h"

namespace veskin {
namespace {

bool WqlEquals(const std::string& property, const std::string& literal, const std::string& value) {
    WqlQueryPtr query;
    const std::string text = "SELECT * FROM C WHERE " + property + " = '" + literal + "'";
    EXPECT_EQ(WqlParse(AnsiToWide(text), query), S_OK) << text;
    const WideString name = AnsiToWide(property);
    return query && query->Matches([&](const WideString& asked) {
        return SameTextW(asked, name) ? Variant(AnsiToWide(value)) : Variant::Null();
    });
}

// The string helpers, WQL, class and property lookup, field definitions and a record's
// value cache fold the same letters: a name or value in other letter case matches in
// all of them or in none.
TEST(TextFold, EveryLayerFoldsTheSameLetters) {
    struct Case {
        const char* Upper;
        const char* Lower;
        bool Same;
    };
    const Case cases[] = {
        {"WIN32_PROCESS", "Win32_Process", true},
        {"\u00C9T\u00C9", "\u00E9t\u00E9", true},                                    // Latin-1
        {"\u03A3\u039F\u03A6\u0399\u0391", "\u03C3\u03BF\u03C6\u03B9\u03B1", true},  // Greek
        {"\u0401\u0416", "\u0451\u0436", true},                                      // Cyrillic
        {"\u00D7", "\u00F7", false},                                                 // the multiplication and division signs are no letters
        {"\u0152", "\u0153", false},                                                 // a ligature beyond the table
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Lower);
        const WideString upper = AnsiToWide(c.Upper), lower = AnsiToWide(c.Lower);
        EXPECT_EQ(SameText(c.Upper, c.Lower), c.Same);
        EXPECT_EQ(CompareText(c.Upper, c.Lower) == 0, c.Same);
        EXPECT_EQ(SameTextW(upper, lower), c.Same);
        EXPECT_EQ(WqlEquals("P", c.Lower, c.Upper), c.Same);

        WbemPropertyDef property;
        property.Name = upper;
        const WbemClassPtr cls = WbemClass::Make(upper, {property});
        EXPECT_EQ(cls->IsA(lower), c.Same);
        EXPECT_EQ(cls->IndexOf(lower) == 0, c.Same);

        TFieldDefs defs;
        defs.Add(upper, ftWideString, 10);
        EXPECT_EQ(defs.IndexOf(lower) == 0, c.Same);

        TWmiValueCache cache;
        cache.Add(c.Upper, Variant(1));
        EXPECT_EQ(cache.Find(c.Lower) != nullptr, c.Same);
    }
    // Folding to small letters sorts '_' before the letters, everywhere alike.
    EXPECT_LT(CompareText("A_B", "AB"), 0);
    EXPECT_LT(CompareTextW(u"A_B", u"ab"), 0);
}

}  // namespace
}  // namespace veskin
