// Field values and their texts, per field class.
#include <gtest/gtest.h>

#include "MemDataSet.h"
#include "recordset/FieldClasses.h"
#include "rtl/DateTime.h"
#include "rtl/FormatSettings.h"

namespace veskin::test {
namespace {

class SomeObject : public IInterface {};

struct FieldTexts : ::testing::Test {
    TFormatSettings saved = FormatSettings();
    MemDataSet ds{{{"S", ftSmallint, 0, {}}, {"W", ftWord, 0, {}}, {"I", ftInteger, 0, {}}, {"L", ftLargeint, 0, {}}, {"F", ftFloat, 0, {}}, {"B", ftBoolean, 0, {}}, {"D", ftDateTime, 0, {}}, {"T", ftWideString, 10, {}}, {"V", ftVariant, 0, {}}, {"O", ftInterface, 0, {}}}};

    void SetUp() override {
        TFormatSettings fs;
        fs.DecimalSeparator = ',';
        fs.DateSeparator = '.';
        fs.ShortDateFormat = "dd/mm/yyyy";
        fs.LongTimeFormat = "hh:nn:ss";
        SetFormatSettings(fs);
        ds.Records = {
            {Variant::FromSmallint(-5), Variant::FromWord(65535), Variant::FromInteger(-2147483647 - 1),
             Variant::FromInt64(-5), Variant::FromDouble(static_cast<double>(0.1f)), Variant::FromBoolean(true),
             Variant::FromDate(EncodeDateTime(2008, 1, 2, 3, 4, 5, 0)), Variant::FromOleStr(u"h\u00e9llo"),
             Variant::FromOleStr(u"var"), Variant::FromUnknown(std::make_shared<SomeObject>())},
            {Variant::FromSmallint(0), Variant::FromWord(0), Variant::FromInteger(0), Variant::FromInt64(0),
             Variant::FromDouble(0.1), Variant::FromBoolean(false), Variant::FromDate(EncodeDate(2008, 1, 2)),
             Variant::FromOleStr(u""), Variant::FromInteger(7), Variant::Null()},
            std::vector<Variant>(10, Variant::Null()),
        };
        ds.Open();
    }
    void TearDown() override { SetFormatSettings(saved); }

    std::vector<std::string> Texts() {
        std::vector<std::string> out;
        for (int i = 0; i < ds.FieldCount(); ++i) out.push_back(ds.Fields(i)->ValueText());
        return out;
    }
};

TEST_F(FieldTexts, EachClassWritesItsValueInTheUsersFormats) {
    EXPECT_EQ(Texts(), (std::vector<std::string>{"-5", "65535", "-2147483648", "-5", "0,100000001490116", "True",
                                                 "02.01.2008 03:04:05", "h\xC3\xA9llo", "var", "(INTERFACE)"}));
    ds.Next();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"0", "0", "0", "0", "0,1", "False", "02.01.2008", "", "7",
                                                 "(Interface)"}));
}

TEST_F(FieldTexts, NullIsEmptyTextExceptForTheInterfaceField) {
    ds.Last();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"", "", "", "", "", "", "", "", "", "(Interface)"}));
    for (int i = 0; i < ds.FieldCount(); ++i) EXPECT_TRUE(ds.Fields(i)->IsNull()) << i;
    EXPECT_TRUE(ds.FieldByName("V")->AsVariant().IsNull());
    EXPECT_EQ(ds.FieldByName("I")->AsInteger(), 0);
    EXPECT_FALSE(ds.FieldByName("B")->AsBoolean());
}

TEST_F(FieldTexts, TypedValues) {
    EXPECT_EQ(ds.FieldByName("W")->AsVariant().VarType(), varInteger);
    EXPECT_EQ(ds.FieldByName("L")->AsVariant().VarType(), varInt64);
    EXPECT_EQ(ds.FieldByName("D")->AsVariant().VarType(), varDate);
    EXPECT_EQ(ds.FieldByName("T")->AsVariant().RawOleStr(), u"h\u00e9llo");
    EXPECT_TRUE(ds.FieldByName("B")->AsBoolean());
    EXPECT_DOUBLE_EQ(ds.FieldByName("I")->AsFloat(), -2147483648.0);
    EXPECT_NE(static_cast<TInterfaceField*>(ds.FieldByName("O"))->AsInterface(), nullptr);
    try {
        ds.FieldByName("B")->AsInteger();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Cannot access field 'B' as type Integer");
    }
}

TEST_F(FieldTexts, WritesGoThroughTheDataSetInTheFieldsLayout) {
    ds.Edit();
    ds.FieldByName("S")->SetAsString("-32768");
    ds.FieldByName("W")->SetAsInteger(65535);
    ds.FieldByName("L")->SetAsString("9223372036854775807");
    ds.FieldByName("F")->SetAsString("2,5");
    ds.FieldByName("B")->SetAsString("f");
    ds.FieldByName("D")->SetAsDateTime(EncodeDate(2020, 2, 29));
    ds.FieldByName("T")->SetAsString(
        "\xC3\xBC"
        "ber");
    ds.FieldByName("V")->SetValue(Variant::FromDouble(1.5));
    ds.FieldByName("I")->Clear();
    EXPECT_TRUE(ds.Modified());
    ds.Post();
    const std::vector<Variant>& r = ds.Records[0];
    EXPECT_EQ(r[0].AsInteger(), -32768);
    EXPECT_EQ(r[1].AsInteger(), 65535);
    EXPECT_EQ(r[2].VarType(), varNull);
    EXPECT_EQ(r[3].AsInt64(), INT64_MAX);
    EXPECT_DOUBLE_EQ(r[4].AsDouble(), 2.5);
    EXPECT_FALSE(r[5].AsBoolean());
    EXPECT_DOUBLE_EQ(r[6].AsDateTime(), EncodeDate(2020, 2, 29));
    EXPECT_EQ(r[7].RawOleStr(), u"\u00fcber");
    EXPECT_DOUBLE_EQ(r[8].AsDouble(), 1.5);
}

TEST_F(FieldTexts, ValuesOutsideTheStorageAreRefusedNotCut) {
    ds.Edit();
    EXPECT_THROW(ds.FieldByName("S")->SetAsInteger(40000), EDatabaseError);
    EXPECT_THROW(ds.FieldByName("W")->SetAsInteger(-1), EDatabaseError);
    EXPECT_THROW(ds.FieldByName("I")->SetAsLargeInt(INT64_C(1) << 40), EDatabaseError);
    EXPECT_THROW(ds.FieldByName("I")->SetAsString("12x"), EConvertError);
    EXPECT_THROW(ds.FieldByName("B")->SetAsString("maybe"), EDatabaseError);
    EXPECT_EQ(ds.FieldByName("S")->AsInteger(), -5);
    EXPECT_EQ(ds.FieldByName("W")->AsInteger(), 65535);
    EXPECT_FALSE(ds.Modified());

    ds.FieldByName("L")->SetAsLargeInt(INT64_C(1) << 40);
    try {
        ds.FieldByName("L")->AsInteger();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(),
                  "1099511627776 is not a valid value for field 'L'. The allowed range is -2147483648 to 2147483647");
    }
}

TEST_F(FieldTexts, WideStringReadGetsTheWholeText) {
    // The record holds more characters than the field's Size; nothing is cut or overrun.
    WideString longText(70000, u'x');
    ds.Edit();
    ds.FieldByName("T")->SetAsWideString(longText);
    EXPECT_EQ(ds.FieldByName("T")->AsWideString().size(), 70000u);
    ds.Cancel();
    EXPECT_EQ(ds.FieldByName("T")->AsWideString(), u"h\u00e9llo");
}

TEST(FieldClassDescription, ComesFromTheClassName) {
    class TThingField : public TField {
    public:
        TThingField() : TField(ftUnknown) {}
        std::string ClassName() const override { return "TThingField"; }
    };
    TThingField field;
    MemDataSet ds({{"X", ftInteger, 0, {}}});
    ds.AddField(std::make_unique<TThingField>());
    ds.Fields(0)->SetFieldName("X");
    ds.Records = {{Variant::FromInteger(1)}};
    EXPECT_EQ(ds.Fields(0)->ValueText(), "(Thing)");  // closed: null
    ds.Open();
    EXPECT_EQ(ds.Fields(0)->ValueText(), "(THING)");
    EXPECT_THROW(field.AsString(), EDatabaseError);  // no data set
}

}  // namespace
}  // namespace veskin::test
