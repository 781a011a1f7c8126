#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "recordset/FieldTypes.h"
#include "rtl/Exception.h"
#include "rtl/Variant.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {
namespace {

// An automation object that is no WMI object.
class PlainDispatch : public IDispatch {};

TEST(WmiVariantToText, ScalarsArraysAndObjects) {
    EXPECT_EQ(WmiVariantToText(Variant()), "");
    EXPECT_EQ(WmiVariantToText(Variant::Null()), "");
    EXPECT_EQ(WmiVariantToText(Variant(std::int32_t(-12))), "-12");
    EXPECT_EQ(WmiVariantToText(Variant::FromUInt64(18446744073709551615ull)), "18446744073709551615");
    EXPECT_EQ(WmiVariantToText(Variant(true)), "True");
    EXPECT_EQ(WmiVariantToText(Variant(u"w\u00e4rme")), "w\xc3\xa4rme");

    EXPECT_EQ(WmiVariantToText(Variant::ArrayOf({Variant(std::int32_t(1)), Variant(std::int32_t(2)),
                                                 Variant(std::int32_t(3))})),
              "{1, 2, 3}");
    EXPECT_EQ(WmiVariantToText(Variant::ArrayOf({Variant(u"a"), Variant(u"b c")})), "{a, b c}");
    EXPECT_EQ(WmiVariantToText(Variant::ArrayOf({})), "{}");
    EXPECT_EQ(WmiVariantToText(Variant::ArrayOf({Variant::ArrayOf({Variant("x")}), Variant::ArrayOf({})})),
              "{{x}, {}}");
    // Bounds other than 0 are walked from the lower to the upper bound.
    Variant shifted = Variant::ArrayCreate(3, 4, varInteger);
    shifted.PutElement(3, Variant(std::int32_t(7)));
    shifted.PutElement(4, Variant(std::int32_t(8)));
    EXPECT_EQ(WmiVariantToText(shifted), "{7, 8}");

    EXPECT_EQ(WmiVariantToText(Variant::FromDispatch(std::make_shared<PlainDispatch>())), "IDispatch");
    EXPECT_EQ(WmiVariantToText(Variant::FromDispatch(nullptr)), "IDispatch");
}

TEST(WmiTextToArray, SplitsAtCommasBracesAndBlanks) {
    Variant v = WmiTextToArray("{1, 2,3}");
    ASSERT_TRUE(v.IsArray());
    EXPECT_EQ(v.ArrayLowBound(), 0);
    ASSERT_EQ(v.ArrayHighBound(), 2);
    EXPECT_EQ(v.GetElement(0).VarType(), varString);
    EXPECT_EQ(v.GetElement(0).AsString(), "1");
    EXPECT_EQ(v.GetElement(1).AsString(), "2");
    EXPECT_EQ(v.GetElement(2).AsString(), "3");

    Variant two = WmiTextToArray("a b");
    ASSERT_TRUE(two.IsArray());
    EXPECT_EQ(two.ArrayCount(), 2);
    // Tabs and quotes belong to the pieces.
    Variant quoted = WmiTextToArray("'x y'\tz");
    ASSERT_EQ(quoted.ArrayCount(), 2);
    EXPECT_EQ(quoted.GetElement(0).AsString(), "'x");
    EXPECT_EQ(quoted.GetElement(1).AsString(), "y'\tz");

    EXPECT_TRUE(WmiTextToArray("{}").IsNull());
    EXPECT_TRUE(WmiTextToArray(" , ,, ").IsNull());
    EXPECT_TRUE(WmiTextToArray("").IsNull());
    // What WmiVariantToText writes comes back piece by piece.
    EXPECT_EQ(WmiVariantToText(WmiTextToArray("{10, 20}")), "{10, 20}");
}

TEST(WmiStrToInt64, LimitsAndErrors) {
    EXPECT_EQ(WmiStrToInt64(""), 0);
    EXPECT_EQ(WmiStrToInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(WmiStrToInt64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(WmiStrToInt64("  +42"), 42);
    EXPECT_EQ(WmiStrToInt64("$FF"), 255);
    try {
        WmiStrToInt64("9223372036854775808");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'9223372036854775808' is not a valid integer value");
    }
    EXPECT_THROW(WmiStrToInt64("12a"), EConvertError);
    EXPECT_THROW(WmiStrToInt64(" "), EConvertError);
}

TEST(WmiCimTypeToFieldType, MapsEveryTypeAndRejectsUnknownScalars) {
    struct Row {
        std::int32_t Cim;
        TFieldType Type;
        std::uint16_t Size;
    };
    const Row rows[] = {
        {2, ftSmallint, 0},   {3, ftInteger, 0},  {4, ftFloat, 0},     {5, ftFloat, 0},
        {8, ftWideString, 65535}, {11, ftBoolean, 0}, {13, ftInterface, 0}, {16, ftSmallint, 0},
        {17, ftWord, 0},      {18, ftWord, 0},    {19, ftInteger, 0},  {20, ftLargeint, 0},
        {21, ftLargeint, 0},  {101, ftDateTime, 0}, {102, ftVariant, 0}, {103, ftWideString, 2},
    };
    for (const Row& r : rows) {
        TFieldType type = ftUnknown;
        std::uint16_t size = 1;
        WmiCimTypeToFieldType(r.Cim, VARIANT_FALSE, type, size);
        EXPECT_EQ(type, r.Type) << r.Cim;
        EXPECT_EQ(size, r.Size) << r.Cim;
        // Any array is a variant of size 0, whatever its element type.
        WmiCimTypeToFieldType(r.Cim, VARIANT_TRUE, type, size);
        EXPECT_EQ(type, ftVariant) << r.Cim;
        EXPECT_EQ(size, 0) << r.Cim;
    }
    TFieldType type = ftUnknown;
    std::uint16_t size = 0;
    WmiCimTypeToFieldType(0, 1, type, size);  // any non-zero flag is an array
    EXPECT_EQ(type, ftVariant);
    try {
        WmiCimTypeToFieldType(0, VARIANT_FALSE, type, size);
        FAIL() << "no exception";
    } catch (const TWmiException& e) {
        EXPECT_EQ(e.Message(), "Unsupported CIM data type: 0");
        EXPECT_EQ(e.ErrorCode, 0);
    }
    EXPECT_THROW(WmiCimTypeToFieldType(104, VARIANT_FALSE, type, size), TWmiException);
}

}  // namespace
}  // namespace veskin
