#include <gtest/gtest.h>

#include <limits>

#include "rtl/DateTime.h"
#include "rtl/Exception.h"
#include "rtl/FormatSettings.h"
#include "rtl/Variant.h"

namespace veskin {
namespace {

class VariantTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = FormatSettings();
        TFormatSettings fs;
        fs.DecimalSeparator = '.';
        fs.DateSeparator = '-';
        fs.ShortDateFormat = "yyyy/mm/dd";
        fs.LongTimeFormat = "hh:nn:ss";
        SetFormatSettings(fs);
    }
    void TearDown() override { SetFormatSettings(saved_); }
    TFormatSettings saved_;
};

template <class F>
std::string CastMessage(F f) {
    try {
        f();
    } catch (const EVariantTypeCastError& e) {
        return e.Message();
    }
    return "no error";
}

TEST_F(VariantTest, NullAndEmptyDifferInEveryConversion) {
    const Variant empty;
    const Variant null = Variant::Null();
    EXPECT_EQ(empty.AsString(), "");
    EXPECT_EQ(empty.AsInteger(), 0);
    EXPECT_EQ(empty.AsInt64(), 0);
    EXPECT_EQ(empty.AsDouble(), 0.0);
    EXPECT_FALSE(empty.AsBoolean());
    EXPECT_EQ(empty.AsInterface(), nullptr);
    EXPECT_EQ(CastMessage([&] { (void)null.AsString(); }),
              "Could not convert variant of type (Null) into type (String)");
    EXPECT_EQ(CastMessage([&] { (void)null.AsInteger(); }),
              "Could not convert variant of type (Null) into type (Integer)");
    EXPECT_THROW((void)null.AsDouble(), EVariantTypeCastError);
    EXPECT_THROW((void)null.AsBoolean(), EVariantTypeCastError);
    EXPECT_THROW((void)null.AsInterface(), EVariantTypeCastError);
    EXPECT_EQ(VarToStr(null), "");
    EXPECT_EQ(VarToStr(empty), "");
}

TEST_F(VariantTest, ScalarsToText) {
    EXPECT_EQ(Variant::FromShortInt(-5).AsString(), "-5");
    EXPECT_EQ(Variant::FromByte(255).AsString(), "255");
    EXPECT_EQ(Variant::FromLongWord(4294967295u).AsString(), "4294967295");
    EXPECT_EQ(Variant::FromUInt64(18446744073709551615ull).AsString(), "18446744073709551615");
    EXPECT_EQ(Variant::FromInt64(std::numeric_limits<std::int64_t>::min()).AsString(), "-9223372036854775808");
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_EQ(Variant(false).AsString(), "False");
    EXPECT_EQ(Variant(0.1).AsString(), "0.1");
    EXPECT_EQ(Variant::FromSingle(0.1f).AsString(), "0.100000001490116");
    EXPECT_EQ(Variant::FromCurrency(125000).AsString(), "12.5");
    EXPECT_EQ(Variant(W("h\u00e9llo")).AsString(), "h\u00e9llo");
    EXPECT_EQ(Variant::FromDate(EncodeDate(2008, 1, 2)).AsString(), "2008-01-02");
    EXPECT_EQ(Variant::FromDate(EncodeDateTime(2008, 1, 2, 3, 4, 5, 0)).AsString(), "2008-01-02 03:04:05");
    EXPECT_EQ(CastMessage([] { (void)Variant::FromDispatch(nullptr).AsString(); }),
              "Could not convert variant of type (Dispatch) into type (String)");
    EXPECT_THROW((void)Variant::FromError(5).AsString(), EVariantTypeCastError);
}

TEST_F(VariantTest, IntegerConversionsRoundAndCheckRange) {
    EXPECT_EQ(Variant(2.5).AsInteger(), 2);  // halves go to the even neighbour
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_EQ(Variant(-2.5).AsInteger(), -2);
    EXPECT_EQ(Variant::FromCurrency(25000).AsInteger(), 2);
    EXPECT_EQ(Variant::FromCurrency(35000).AsInteger(), 4);
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant(std::int64_t{2147483647}).AsInteger(), 2147483647);
    try {
        (void)Variant(std::int64_t{2147483648LL}).AsInteger();
        FAIL() << "no overflow";
    } catch (const EVariantOverflowError& e) {
        EXPECT_EQ(e.Message(), "Overflow while converting variant of type (Int64) into type (Integer)");
    }
    EXPECT_THROW((void)Variant(3e9).AsInteger(), EVariantOverflowError);
    EXPECT_THROW((void)Variant(9.3e18).AsInt64(), EVariantOverflowError);
    EXPECT_THROW((void)Variant::FromUInt64(9223372036854775808ull).AsInt64(), EVariantOverflowError);
    EXPECT_EQ(Variant::FromUInt64(9223372036854775807ull).AsInt64(), 9223372036854775807LL);
}

TEST_F(VariantTest, TextToNumbers) {
    EXPECT_EQ(Variant("  42").AsInteger(), 42);
    EXPECT_EQ(Variant("$FF").AsInteger(), 255);
    EXPECT_EQ(Variant(W("-9223372036854775808")).AsInt64(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(CastMessage([] { (void)Variant("12a").AsInteger(); }),
              "Could not convert variant of type (String) into type (Integer)");
    EXPECT_EQ(CastMessage([] { (void)Variant(W("x1g")).AsInt64(); }),
              "Could not convert variant of type (OleStr) into type (Int64)");
    EXPECT_THROW((void)Variant("3000000000").AsInteger(), EVariantTypeCastError);
    EXPECT_DOUBLE_EQ(Variant("1.5").AsDouble(), 1.5);
    EXPECT_DOUBLE_EQ(Variant(true).AsDouble(), -1.0);
    EXPECT_THROW((void)Variant("1,5").AsDouble(), EVariantTypeCastError);
    TFormatSettings fs = FormatSettings();
    fs.DecimalSeparator = ',';
    SetFormatSettings(fs);
    EXPECT_DOUBLE_EQ(Variant("1,5").AsDouble(), 1.5);
    EXPECT_EQ(Variant(1.5).AsString(), "1,5");
}

TEST_F(VariantTest, DatesReadTextInTheUserFormat) {
    EXPECT_EQ(Variant("2008-01-02 03:04:05").AsDateTime(), EncodeDateTime(2008, 1, 2, 3, 4, 5, 0));
    EXPECT_EQ(Variant(W("1999-12-31")).AsDateTime(), EncodeDate(1999, 12, 31));
    EXPECT_EQ(CastMessage([] { (void)Variant("31/12/1999").AsDateTime(); }),
              "Could not convert variant of type (String) into type (Date)");
    EXPECT_EQ(Variant(std::int32_t{2}).AsDateTime(), 2.0);
    EXPECT_THROW((void)Variant::Null().AsDateTime(), EVariantTypeCastError);
    EXPECT_EQ(VarToWideStr(Variant::FromDate(EncodeDate(2008, 1, 2))), u"2008-01-02");
    EXPECT_EQ(VarToWideStr(Variant::Null()), u"");
}

TEST_F(VariantTest, Booleans) {
    EXPECT_TRUE(Variant("tRUE").AsBoolean());
    EXPECT_FALSE(Variant(W("FALSE")).AsBoolean());
    EXPECT_TRUE(Variant("-1").AsBoolean());
    EXPECT_TRUE(Variant("0.5").AsBoolean());
    EXPECT_FALSE(Variant("0").AsBoolean());
    EXPECT_TRUE(Variant::FromByte(2).AsBoolean());
    EXPECT_FALSE(Variant(0.0).AsBoolean());
    EXPECT_EQ(CastMessage([] { (void)Variant("yes").AsBoolean(); }),
              "Could not convert variant of type (String) into type (Boolean)");
}

TEST_F(VariantTest, InterfacesAndTypeNames) {
    auto obj = std::make_shared<IDispatch>();
    EXPECT_EQ(Variant::FromDispatch(obj).AsInterface(), obj);
    EXPECT_EQ(Variant::FromUnknown(obj).AsInterface(), obj);
    EXPECT_EQ(Variant::FromDispatch(nullptr).VarType(), varDispatch);
    EXPECT_EQ(CastMessage([] { (void)Variant(1).AsInterface(); }),
              "Could not convert variant of type (Integer) into type (Unknown)");
    EXPECT_EQ(Variant::VarTypeAsText(varArray | varVariant), "Array Variant");
    EXPECT_EQ(Variant::VarTypeAsText(varString), "String");
    EXPECT_EQ(Variant::VarTypeAsText(varUInt64), "UInt64");
    EXPECT_EQ(CastMessage([] { (void)Variant::ArrayOf({Variant(1)}).AsString(); }),
              "Could not convert variant of type (Array Variant) into type (String)");
}

TEST_F(VariantTest, ArraysHaveBoundsAndValueSemantics) {
    Variant a = Variant::ArrayCreate(-1, 1);
    EXPECT_EQ(a.VarType(), varArray | varVariant);
    EXPECT_EQ(a.ArrayLowBound(), -1);
    EXPECT_EQ(a.ArrayHighBound(), 1);
    EXPECT_EQ(a.ArrayCount(), 3);
    EXPECT_TRUE(a.GetElement(-1).IsEmpty());
    a.PutElement(1, Variant("x"));
    EXPECT_THROW((void)a.GetElement(2), EVariantBadIndexError);
    EXPECT_THROW((void)a.GetElement(-2), EVariantBadIndexError);
    EXPECT_THROW(a.PutElement(2, Variant(1)), EVariantBadIndexError);

    Variant copy = a;
    copy.PutElement(1, Variant("y"));
    EXPECT_EQ(a.GetElement(1).AsString(), "x");
    EXPECT_EQ(copy.GetElement(1).AsString(), "y");
    Variant assigned;
    assigned = copy;
    a.PutElement(0, Variant(7));
    EXPECT_TRUE(assigned.GetElement(0).IsEmpty());

    Variant empty = Variant::ArrayCreate(0, -1);
    EXPECT_EQ(empty.ArrayCount(), 0);
    EXPECT_EQ(empty.ArrayHighBound(), -1);
    EXPECT_THROW(Variant::ArrayCreate(0, -2), EVariantError);
    EXPECT_THROW((void)Variant(1).ArrayLowBound(), EVariantError);
    EXPECT_EQ(Variant(1).ArrayDimCount(), 0);
}

TEST_F(VariantTest, TypedArraysConvertOnPut) {
    Variant a = Variant::ArrayCreate(0, 1, varOleStr);
    EXPECT_EQ(a.VarType(), varArray | varOleStr);
    a.PutElement(0, Variant(12));
    EXPECT_EQ(a.GetElement(0).VarType(), varOleStr);
    EXPECT_EQ(a.GetElement(0).RawOleStr(), u"12");
    Variant b = Variant::ArrayCreate(0, 0, varByte);
    EXPECT_THROW(b.PutElement(0, Variant(256)), EVariantOverflowError);
    EXPECT_TRUE(b.GetElement(0).IsEmpty());
}

TEST_F(VariantTest, ByReferenceIsFollowed) {
    Variant target(std::int32_t{5});
    Variant ref = Variant::ByRef(&target);
    EXPECT_TRUE(ref.IsByRef());
    EXPECT_EQ(ref.VarType(), varByRef | varVariant);
    EXPECT_EQ(ref.AsString(), "5");
    target = Variant::Null();
    EXPECT_EQ(VarToStr(ref), "");
    EXPECT_THROW((void)ref.AsInteger(), EVariantTypeCastError);
    target = Variant::ArrayOf({Variant(1), Variant(2)});
    EXPECT_EQ(ref.ArrayHighBound(), 1);
    ref.PutElement(0, Variant(9));
    EXPECT_EQ(target.GetElement(0).AsInteger(), 9);
    Variant refRef = Variant::ByRef(&ref);
    EXPECT_EQ(refRef.GetElement(1).AsInteger(), 2);
}

TEST_F(VariantTest, MoveLeavesSourceEmpty) {
    Variant a(W("text"));
    Variant b(std::move(a));
    EXPECT_EQ(b.AsString(), "text");
    EXPECT_TRUE(a.IsEmpty());  // NOLINT(bugprone-use-after-move)
    Variant c;
    c = std::move(b);
    EXPECT_TRUE(b.IsEmpty());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(c.RawOleStr(), u"text");
    // Text taken out leaves the variant empty; only text can be taken.
    EXPECT_EQ(c.TakeOleStr(), u"text");
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_THROW(c.TakeOleStr(), EVariantError);
    Variant number(7);
    EXPECT_THROW(number.TakeOleStr(), EVariantError);
    EXPECT_EQ(number.AsInteger(), 7);
}

}  // namespace
}  // namespace veskin
