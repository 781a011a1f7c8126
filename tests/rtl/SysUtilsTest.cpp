#include <gtest/gtest.h>

#include <limits>

#include "rtl/Exception.h"
#include "rtl/SysUtils.h"
#include "rtl/WideString.h"

namespace veskin {
namespace {

TFormatSettings Dot() {
    TFormatSettings fs;
    fs.DecimalSeparator = '.';
    fs.ThousandSeparator = ',';
    return fs;
}

std::string F(const std::string& fmt, std::vector<FormatArg> args) { return Format(fmt, args, Dot()); }

TEST(FormatTest, IntegersPadAndSign) {
    EXPECT_EQ(F("%4.4u", {8}), "0008");
    EXPECT_EQ(F("%2.2u", {12345}), "12345");
    EXPECT_EQ(F("%3.3d", {-30}), "-030");
    EXPECT_EQ(F("+%3.3d", {60}), "+060");
    EXPECT_EQ(F("%.3d000", {678}), "678000");
    EXPECT_EQ(F("[%5d]", {-42}), "[  -42]");
    EXPECT_EQ(F("[%-5d]", {42}), "[42   ]");
    EXPECT_EQ(F("%d", {std::numeric_limits<std::int64_t>::min()}), "-9223372036854775808");
    EXPECT_EQ(F("%u", {-1}), "4294967295");  // 32-bit value seen as unsigned
    EXPECT_EQ(F("%x", {255}), "FF");
    EXPECT_EQ(F("%.8x", {-2147217392}), "80041010");
    EXPECT_EQ(F("%*d|%-*d|", {4, 7, 3, 8}), "   7|8  |");
    EXPECT_EQ(F("%1:s %0:s %s", {"a", "b"}), "b a b");
    EXPECT_EQ(F("100%%", {}), "100%");
}

TEST(FormatTest, TextAndFloats) {
    EXPECT_EQ(F("%s: %s", {"Error", std::string("gone")}), "Error: gone");
    EXPECT_EQ(F("%.2s|%5s", {"abc", "ab"}), "ab|   ab");
    EXPECT_EQ(F("%f", {1.005}), "1.00");    // 1.005 is a little below in binary
    EXPECT_EQ(F("%.2f", {0.125}), "0.13");  // exact halves round away from zero
    EXPECT_EQ(F("%.0f", {-0.4}), "0");
    EXPECT_EQ(F("%.3f", {-2.5}), "-2.500");
    EXPECT_EQ(F("%e", {1.5}), "1.50000000000000E+000");
    EXPECT_EQ(F("%.3e", {-0.000123456}), "-1.23E-004");
    EXPECT_EQ(F("%g", {0.5}), "0.5");
    EXPECT_EQ(F("%n", {1234567.891}), "1,234,567.89");
    TFormatSettings comma = Dot();
    comma.DecimalSeparator = ',';
    EXPECT_EQ(Format("%.1f", {FormatArg(2.25)}, comma), "2,3");
}

TEST(FormatTest, BadFormatsRaise) {
    EXPECT_THROW(F("%d", {"text"}), EConvertError);
    EXPECT_THROW(F("%s", {1}), EConvertError);
    EXPECT_THROW(F("%f", {1}), EConvertError);
    EXPECT_THROW(F("%d %d", {1}), EConvertError);
    EXPECT_THROW(F("%", {1}), EConvertError);
    EXPECT_THROW(F("%q", {1}), EConvertError);
    try {
        F("%d", {});
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Format '%d' invalid or incompatible with argument");
    }
}

TEST(StrToIntTest, DecimalHexAndLimits) {
    EXPECT_EQ(StrToInt64("   -9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(StrToInt64("+9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(StrToInt64("$7fffFFFFffffFFFF"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(StrToInt64("0x10"), 16);
    EXPECT_EQ(StrToInt64("x10"), 16);
    EXPECT_EQ(StrToInt64("-$10"), -16);
    EXPECT_EQ(StrToInt64("-$8000000000000000"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<int>::min());
    for (const char* bad : {"", " ", "-", "+", "$", "0x", "12a", "12 ", "9223372036854775808",
                            "-9223372036854775809", "$8000000000000000", "$FFFFFFFFFFFFFFFF", "1.0", "\t5", "--1"}) {
        std::int64_t v = 77;
        EXPECT_FALSE(TryStrToInt64(bad, v)) << bad;
        EXPECT_EQ(v, 77) << bad;
    }
    EXPECT_THROW(StrToInt("2147483648"), EConvertError);
    EXPECT_THROW(StrToInt("$80000000"), EConvertError);
    EXPECT_EQ(StrToInt("-$80000000"), std::numeric_limits<int>::min());
    try {
        StrToInt64("12a");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'12a' is not a valid integer value");
    }
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(std::int64_t{-1}, 2), "FFFFFFFFFFFFFFFF");
}

TEST(FloatToStrTest, GeneralFifteenDigits) {
    const TFormatSettings fs = Dot();
    EXPECT_EQ(FloatToStr(0.1, fs), "0.1");
    EXPECT_EQ(FloatToStr(static_cast<double>(0.1f), fs), "0.100000001490116");
    EXPECT_EQ(FloatToStr(1e20, fs), "1E20");
    EXPECT_EQ(FloatToStr(1.5e-7, fs), "1.5E-7");
    EXPECT_EQ(FloatToStr(123456789012345678.0, fs), "1.23456789012346E17");
    EXPECT_EQ(FloatToStr(-0.5, fs), "-0.5");
    EXPECT_EQ(FloatToStr(100, fs), "100");
    EXPECT_EQ(FloatToStr(0, fs), "0");
    EXPECT_EQ(FloatToStr(-0.0, fs), "0");
    EXPECT_EQ(FloatToStr(0.0001, fs), "0.0001");
    EXPECT_EQ(FloatToStr(0.00001, fs), "1E-5");
    EXPECT_EQ(FloatToStr(999999999999999.0, fs), "999999999999999");
    EXPECT_EQ(FloatToStr(1e15, fs), "1E15");
    EXPECT_EQ(FloatToStr(0.9999999999999999, fs), "1");  // rounding carries into a new digit
    EXPECT_EQ(FloatToStr(1.0 / 3, fs), "0.333333333333333");
    EXPECT_EQ(FloatToStr(2.0 / 3, fs), "0.666666666666667");
    EXPECT_EQ(FloatToStr(-1.7976931348623157e308, fs), "-1.79769313486232E308");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN(), fs), "NAN");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity(), fs), "-INF");
    TFormatSettings comma = fs;
    comma.DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(-1.25e-10, comma), "-1,25E-10");
}

TEST(FloatToStrTest, CurrencyAndParsing) {
    const TFormatSettings fs = Dot();
    EXPECT_EQ(CurrToStr(12345678, fs), "1234.5678");
    EXPECT_EQ(CurrToStr(-5000, fs), "-0.5");
    EXPECT_EQ(CurrToStr(1000000, fs), "100");
    EXPECT_EQ(CurrToStr(std::numeric_limits<std::int64_t>::min(), fs), "-922337203685477.5808");
    double d = 0;
    EXPECT_TRUE(TryStrToFloat(" -1.5e3 ", d, fs));
    EXPECT_EQ(d, -1500);
    EXPECT_TRUE(TryStrToFloat(".5", d, fs));
    EXPECT_EQ(d, 0.5);
    for (const char* bad : {"", ".", "1e", "1.5.5", "1,5", "abc", "1e400", "--1"})
        EXPECT_FALSE(TryStrToFloat(bad, d, fs)) << bad;
    EXPECT_TRUE(TryStrToFloat("1e-400", d, fs));
    EXPECT_EQ(d, 0);
}

TEST(TextTest, TrimCaseAndCompare) {
    EXPECT_EQ(Trim("\t \x01 a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
    EXPECT_EQ(Trim(" \x7f "), "\x7f");
    EXPECT_EQ(UpperCase("abc\u00e9z"), "ABC\u00e9Z");  // non-ASCII bytes untouched
    EXPECT_EQ(LowerCase("ABC\u00c9Z"), "abc\u00c9z");
    EXPECT_TRUE(SameText("Win32_Process", "WIN32_PROCESS"));
    EXPECT_FALSE(SameText("abc", "abcd"));
    EXPECT_EQ(AnsiCompareText("\u00c9t\u00e9", "\u00e9T\u00c9"), 0);  // case folded beyond ASCII
    EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
    EXPECT_GT(AnsiCompareText("b", "A"), 0);
    EXPECT_NE(AnsiCompareText("a", "a "), 0);
    EXPECT_TRUE(AnsiStartsText("SELECT", "select * from x"));
    EXPECT_FALSE(AnsiStartsText("select *", "select"));
    EXPECT_EQ(AnsiUpperCase("stra\u00dfe \u00e9"), "STRA\u00dfE \u00c9");
}

TEST(WideStringTest, ConversionsNeverThrow) {
    EXPECT_EQ(AnsiToWide("a\u00e9\u20ac\U0001F600"), u"a\u00e9\u20ac\U0001F600");
    EXPECT_EQ(WideToAnsi(u"a\u00e9\u20ac\U0001F600"), "a\u00e9\u20ac\U0001F600");
    EXPECT_EQ(AnsiToWide("a\xff"
                         "b"),
              u"a\uFFFDb");
    EXPECT_EQ(AnsiToWide("\xe2\x82"), u"\uFFFD");                  // truncated sequence
    EXPECT_EQ(AnsiToWide("\xc0\xaf"), u"\uFFFD\uFFFD");            // overlong form
    EXPECT_EQ(AnsiToWide("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(AnsiToWide("\xe2\x82z"), u"\uFFFDz");
    const std::u16string lone{u'x', static_cast<char16_t>(0xD800), u'y', static_cast<char16_t>(0xDC00)};
    EXPECT_EQ(WideToAnsi(lone), "x?y?");
    EXPECT_EQ(AnsiToWide(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

}  // namespace
}  // namespace veskin
