// The JSON text of property values: escaping, exact integers of every CIM width,
// reals, arrays and the ISO 8601 forms of datetimes and intervals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/WbemScripting.h"
#include "tests/tools/JsonRead.h"
#include "tools/wmiquery/JsonText.h"

namespace veskin {
namespace {

TEST(JsonString, EscapesWhatRfc8259RequiresAndKeepsUtf8) {
    EXPECT_EQ(JsonString("a\"b\\c/d"), "\"a\\\"b\\\\c/d\"");
    EXPECT_EQ(JsonString("\t\n\r\b\f"), "\"\\t\\n\\r\\b\\f\"");
    EXPECT_EQ(JsonString(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\x7f\"");
    EXPECT_EQ(JsonString(std::string("nul\0x", 5)), "\"nul\\u0000x\"");
    EXPECT_EQ(JsonString("W\xC3\xB6rld \xE2\x82\xAC \xF0\x9F\x98\x80"), "\"W\xC3\xB6rld \xE2\x82\xAC \xF0\x9F\x98\x80\"");
    // A byte that is no UTF-8 becomes U+FFFD, so the line stays valid JSON.
    EXPECT_EQ(JsonString("a\xFF"
                         "b"),
              "\"a\xEF\xBF\xBD"
              "b\"");
    // Every escape reads back to the text it came from.
    const std::string all = [] {
        std::string s;
        for (int c = 1; c < 0x80; ++c) s += static_cast<char>(c);
        return s + "\xC3\xA9";
    }();
    test::TJson parsed;
    ASSERT_TRUE(test::ReadJson(JsonString(all), parsed));
    EXPECT_EQ(parsed.Text, all);
}

TEST(JsonValue, IntegersAreExactForEveryCimWidth) {
    // uint32 reaches the library as a 32-bit signed integer; its bits are the value.
    EXPECT_EQ(JsonValue(Variant::FromInteger(-1), wbemCimtypeUint32), "4294967295");
    EXPECT_EQ(JsonValue(Variant::FromInteger(-1), wbemCimtypeSint32), "-1");
    EXPECT_EQ(JsonValue(Variant::FromInteger(65535), wbemCimtypeUint16), "65535");
    EXPECT_EQ(JsonValue(Variant::FromSmallint(-128), wbemCimtypeSint8), "-128");
    EXPECT_EQ(JsonValue(Variant::FromByte(255), wbemCimtypeUint8), "255");
    // 64-bit values arrive as text and come out as numbers with every digit.
    EXPECT_EQ(JsonValue(Variant(WideString(u"18446744073709551615")), wbemCimtypeUint64), "18446744073709551615");
    EXPECT_EQ(JsonValue(Variant(WideString(u"-9223372036854775808")), wbemCimtypeSint64), "-9223372036854775808");
    EXPECT_EQ(JsonValue(Variant(WideString(u"9007199254740993")), wbemCimtypeUint64), "9007199254740993");
    EXPECT_EQ(JsonValue(Variant(WideString(u"0x1F")), wbemCimtypeUint64), "31");
    EXPECT_EQ(JsonValue(Variant(WideString(u"007")), wbemCimtypeSint64), "7");
    EXPECT_EQ(JsonValue(Variant::FromUInt64(18446744073709551615u), wbemCimtypeUint64), "18446744073709551615");
    EXPECT_EQ(JsonValue(Variant::FromInt64(std::numeric_limits<std::int64_t>::min()), wbemCimtypeSint64),
              "-9223372036854775808");
    // Text that is no integer, or out of range, stays text rather than a wrong number.
    EXPECT_EQ(JsonValue(Variant(WideString(u"12abc")), wbemCimtypeUint64), "\"12abc\"");
    EXPECT_EQ(JsonValue(Variant(WideString(u"-1")), wbemCimtypeUint64), "\"-1\"");
    EXPECT_EQ(JsonValue(Variant(WideString(u"18446744073709551616")), wbemCimtypeUint64), "\"18446744073709551616\"");
    // A string property that holds digits is still a string.
    EXPECT_EQ(JsonValue(Variant(WideString(u"42")), wbemCimtypeString), "\"42\"");
}

TEST(JsonValue, RealsBooleansNullsCharactersAndArrays) {
    EXPECT_EQ(JsonValue(Variant::FromSingle(0.1f), wbemCimtypeReal32), "0.1");
    EXPECT_EQ(JsonValue(Variant::FromDouble(0.1), wbemCimtypeReal64), "0.1");
    EXPECT_EQ(JsonValue(Variant::FromDouble(1e300), wbemCimtypeReal64), "1e+300");
    EXPECT_EQ(JsonValue(Variant::FromDouble(-2.5), wbemCimtypeReal64), "-2.5");
    EXPECT_EQ(JsonValue(Variant::FromDouble(std::nan("")), wbemCimtypeReal64), "null");
    EXPECT_EQ(JsonValue(Variant::FromDouble(std::numeric_limits<double>::infinity()), wbemCimtypeReal64), "null");
    EXPECT_EQ(JsonValue(Variant(true), wbemCimtypeBoolean), "true");
    EXPECT_EQ(JsonValue(Variant(false), wbemCimtypeBoolean), "false");
    EXPECT_EQ(JsonValue(Variant::Null(), wbemCimtypeString), "null");
    EXPECT_EQ(JsonValue(Variant(), wbemCimtypeUint32), "null");
    EXPECT_EQ(JsonValue(Variant::FromSmallint(0x20AC), wbemCimtypeChar16), "\"\xE2\x82\xAC\"");
    EXPECT_EQ(JsonValue(Variant::ArrayOf({Variant::FromInteger(-1), Variant::FromInteger(7)}), wbemCimtypeUint32),
              "[4294967295,7]");
    EXPECT_EQ(JsonValue(Variant::ArrayOf({Variant(WideString(u"en-US")), Variant::Null()}), wbemCimtypeString),
              "[\"en-US\",null]");
    EXPECT_EQ(JsonValue(Variant::ArrayOf({}), wbemCimtypeString), "[]");
    Variant target = Variant::FromInteger(5);
    EXPECT_EQ(JsonValue(Variant::ByRef(&target), wbemCimtypeSint32), "5");
}

TEST(JsonValue, DatetimesAndIntervalsInIso8601) {
    EXPECT_EQ(JsonValue(Variant(WideString(u"20261209154018.123456+060")), wbemCimtypeDatetime),
              "\"2026-12-09T15:40:18.123456+01:00\"");
    EXPECT_EQ(DmtfToIso8601("20260101000000.000000-330"), "2026-01-01T00:00:00.000000-05:30");
    EXPECT_EQ(DmtfToIso8601("20260101000000.000000+000"), "2026-01-01T00:00:00.000000+00:00");
    EXPECT_EQ(DmtfToIso8601("00000001132312.000000:000"), "P1DT13H23M12.000000S");
    EXPECT_EQ(DmtfToIso8601("99999999235959.999999:000"), "P99999999DT23H59M59.999999S");
    // Wildcards and malformed text are no ISO value; the property keeps its DMTF text.
    EXPECT_EQ(DmtfToIso8601("2026****154018.123456+060"), "");
    EXPECT_EQ(DmtfToIso8601("20261209154018.123456*060"), "");
    EXPECT_EQ(DmtfToIso8601("20261209154018"), "");
    EXPECT_EQ(JsonValue(Variant(WideString(u"2026****154018.123456+060")), wbemCimtypeDatetime),
              "\"2026****154018.123456+060\"");
}

}  // namespace
}  // namespace veskin
