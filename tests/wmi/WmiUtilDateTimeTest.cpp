#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "rtl/DateTime.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {
namespace {

std::string Dmtf(std::int32_t offset, TDateTime dt) { return WideToAnsi(WmiDateTimeToDmtf(offset, dt)); }

TEST(WmiDmtf, WritesDateTimeWithOffset) {
    const TDateTime dt = EncodeDateTime(2008, 1, 2, 3, 4, 5, 678);
    EXPECT_EQ(Dmtf(60, dt), "20080102030405.678000+060");
    EXPECT_EQ(Dmtf(-300, dt), "20080102030405.678000-300");
    EXPECT_EQ(Dmtf(0, dt), "20080102030405.678000+000");
    EXPECT_EQ(Dmtf(-30, dt), "20080102030405.678000-030");
    EXPECT_EQ(Dmtf(120, EncodeDate(1999, 12, 31)), "19991231000000.000000+120");
    EXPECT_EQ(Dmtf(-720, EncodeDateTime(1, 1, 1, 23, 59, 59, 999)), "00010101235959.999000-720");
}

// Restores the time zone of the process when the test ends.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) FOld = old, FHadOld = true;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (FHadOld) setenv("TZ", FOld.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    std::string FOld;
    bool FHadOld = false;
};

TEST(WmiDmtf, LocalOffsetIsStandardTimeAllYear) {
    const TDateTime winter = EncodeDateTime(2008, 1, 2, 3, 4, 5, 678);
    const TDateTime summer = EncodeDateTime(2008, 7, 2, 3, 4, 5, 678);
    {
        ScopedTimeZone tz("CET-1CEST,M3.5.0,M10.5.0/3");  // Central Europe
        EXPECT_EQ(WideToAnsi(WmiDateTimeToDmtfLocal(winter)), "20080102030405.678000+060");
        EXPECT_EQ(WideToAnsi(WmiDateTimeToDmtfLocal(summer)), "20080702030405.678000+060");
    }
    {
        ScopedTimeZone tz("EST5EDT,M3.2.0,M11.1.0");  // US Eastern
        EXPECT_EQ(WideToAnsi(WmiDateTimeToDmtfLocal(summer)), "20080702030405.678000-300");
    }
    {
        ScopedTimeZone tz("AEST-10AEDT,M10.1.0,M4.1.0/3");  // daylight saving in January
        EXPECT_EQ(WideToAnsi(WmiDateTimeToDmtfLocal(winter)), "20080102030405.678000+600");
    }
    {
        ScopedTimeZone tz("UTC0");
        EXPECT_EQ(WideToAnsi(WmiDateTimeToDmtfLocal(winter)), "20080102030405.678000+000");
    }
}

struct Decoded {
    int Year, Month, Day, Hour, Min, Sec, MSec;
    std::int32_t Offset;
};

Decoded Decode(const std::string& text) {
    TDateTime dt = -1;
    Decoded d{};
    WmiDmtfDecode(text, dt, d.Offset);
    DecodeDateTime(dt, d.Year, d.Month, d.Day, d.Hour, d.Min, d.Sec, d.MSec);
    return d;
}

void ExpectDecoded(const std::string& text, int y, int mo, int d, int h, int mi, int s, int ms, int offset) {
    SCOPED_TRACE(text);
    const Decoded r = Decode(text);
    EXPECT_EQ(r.Year, y);
    EXPECT_EQ(r.Month, mo);
    EXPECT_EQ(r.Day, d);
    EXPECT_EQ(r.Hour, h);
    EXPECT_EQ(r.Min, mi);
    EXPECT_EQ(r.Sec, s);
    EXPECT_EQ(r.MSec, ms);
    EXPECT_EQ(r.Offset, offset);
}

TEST(WmiDmtf, DecodesFieldsAndKeepsOffsetApart) {
    // Microseconds are cut, not rounded; the offset does not shift the clock time.
    ExpectDecoded("20080102030405.678999+060", 2008, 1, 2, 3, 4, 5, 678, 60);
    ExpectDecoded("20080102030405.678000-300", 2008, 1, 2, 3, 4, 5, 678, -300);
    // Character 15 is not examined.
    ExpectDecoded("20080102030405X678000+000", 2008, 1, 2, 3, 4, 5, 678, 0);
    // Before 1899-12-30 the time still belongs to its own day.
    ExpectDecoded("18000101120000.000000+000", 1800, 1, 1, 12, 0, 0, 0, 0);
    // A missing offset is 0.
    ExpectDecoded("20080102030405.678000", 2008, 1, 2, 3, 4, 5, 678, 0);
    // Round trip of what the writer produces.
    TDateTime dt = 0;
    std::int32_t offset = 0;
    WmiDmtfDecode(WideToAnsi(WmiDateTimeToDmtf(-30, EncodeDateTime(2024, 2, 29, 23, 59, 58, 1))), dt, offset);
    EXPECT_DOUBLE_EQ(dt, EncodeDateTime(2024, 2, 29, 23, 59, 58, 1));
    EXPECT_EQ(offset, -30);
    EXPECT_DOUBLE_EQ(WmiDmtfToDateTime("20080102030405.678000+060"), EncodeDateTime(2008, 1, 2, 3, 4, 5, 678));
}

TEST(WmiDmtf, ZeroAndAsteriskPartsTakeTheCurrentDate) {
    int y, m, d;
    DecodeDate(Date(), y, m, d);
    ExpectDecoded("****0102030405.000000+000", y, 1, 2, 3, 4, 5, 0, 0);
    ExpectDecoded("00000000000000.000000+000", y, m, d, 0, 0, 0, 0, 0);
    // An interval reads like a date-time: ":000" is no number, so the offset is 0.
    ExpectDecoded("00000001020304.000000:000", y, m, 1, 2, 3, 4, 0, 0);
    TDateTime dt = -1;
    std::int32_t offset = -1;
    WmiDmtfDecode("", dt, offset);
    EXPECT_EQ(dt, 0);
    EXPECT_EQ(offset, 0);
}

TEST(WmiDmtf, UnreadableTextRaisesInvaidDateFormat) {
    const auto expectFailure = [](const std::string& text, const std::string& shown) {
        TDateTime dt = 5;
        std::int32_t offset = 7;
        try {
            WmiDmtfDecode(text, dt, offset);
            ADD_FAILURE() << "no exception for " << text;
        } catch (const TWmiException& e) {
            EXPECT_EQ(e.Message(), "Invaid date format: " + shown);
            EXPECT_EQ(e.ErrorCode, 0);
        }
    };
    expectFailure("20080102", "20080102");
    expectFailure("20080132030405.000000+000", "20080132030405.000000+000");  // day 32
    expectFailure("20080230030405.000000+000", "20080230030405.000000+000");  // no 30 February
    expectFailure("20080102240000.000000+000", "20080102240000.000000+000");  // hour 24
    expectFailure("2008AB02030405.000000+000", "2008AB02030405.000000+000");
    expectFailure("20080102030405.", "20080102030405.");                      // no microseconds
    expectFailure("2008*102030405.abc000+000", "20080102030405.abc000+000");  // shown after "*" -> "0"
    EXPECT_THROW(WmiDmtfToDateTime("garbage"), TWmiException);
}

}  // namespace
}  // namespace veskin
