#include <gtest/gtest.h>

#include <cmath>

#include "rtl/DateTime.h"
#include "rtl/Exception.h"
#include "rtl/FormatSettings.h"

namespace veskin {
namespace {

TFormatSettings Settings(const std::string& date = "dd/mm/yyyy", char dateSep = '/') {
    TFormatSettings fs;
    fs.ShortDateFormat = date;
    fs.DateSeparator = dateSep;
    fs.LongTimeFormat = "hh:nn:ss";
    fs.ShortTimeFormat = "hh:nn";
    fs.TimeSeparator = ':';
    fs.DecimalSeparator = '.';
    return fs;
}

TEST(DateTimeTest, EncodeKnownDays) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2008, 1, 2), 39449);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);  // time counts away from zero
}

TEST(DateTimeTest, InvalidDatesAndTimesAreRejected) {
    TDateTime d = 123;
    EXPECT_FALSE(TryEncodeDate(2008, 1, 32, d));
    EXPECT_FALSE(TryEncodeDate(2007, 2, 29, d));
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, d));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, d));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, d));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, d));
    EXPECT_FALSE(TryEncodeDate(2008, 13, 1, d));
    EXPECT_FALSE(TryEncodeDate(2008, 0, 1, d));
    EXPECT_FALSE(TryEncodeDate(2008, 1, 0, d));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, d));
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, d));
    EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, d));
    EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, d));
    EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, d));
    EXPECT_EQ(d, 36585);  // 2000-02-29, untouched by the failures
    EXPECT_THROW(EncodeDate(2008, 2, 30), EConvertError);
    EXPECT_THROW(EncodeTime(23, 59, 59, 1000), EConvertError);
}

TEST(DateTimeTest, DecodeRoundTripsExactly) {
    // Every millisecond written by EncodeTime comes back unchanged, at dates far
    // from zero too, where the fraction has fewer bits.
    const int dates[][3] = {{1, 1, 1}, {1899, 12, 29}, {1899, 12, 30}, {2008, 1, 2}, {2000, 2, 29}, {9999, 12, 31}};
    const int times[][4] = {{0, 0, 0, 0}, {3, 4, 5, 678}, {23, 59, 59, 999}, {12, 0, 0, 1}, {0, 0, 0, 999}};
    for (const auto& dt : dates) {
        for (const auto& tm : times) {
            const TDateTime v = EncodeDateTime(dt[0], dt[1], dt[2], tm[0], tm[1], tm[2], tm[3]);
            int y, mo, d, h, mi, s, ms;
            DecodeDateTime(v, y, mo, d, h, mi, s, ms);
            EXPECT_EQ(y, dt[0]);
            EXPECT_EQ(mo, dt[1]);
            EXPECT_EQ(d, dt[2]);
            EXPECT_EQ(h, tm[0]);
            EXPECT_EQ(mi, tm[1]);
            EXPECT_EQ(s, tm[2]);
            EXPECT_EQ(ms, tm[3]) << dt[0] << "-" << dt[1] << "-" << dt[2];
        }
    }
    // Every day of a leap and a common year.
    for (int year : {1900, 2000, 2023, 2024}) {
        for (TDateTime v = EncodeDate(year, 1, 1); v < EncodeDate(year + 1, 1, 1); v += 1) {
            int y, m, d;
            DecodeDate(v, y, m, d);
            EXPECT_EQ(EncodeDate(y, m, d), v);
        }
    }
    int y, m, d;
    DecodeDate(EncodeDate(9999, 12, 31) + 1, y, m, d);
    EXPECT_EQ(y, 0);
    DecodeDate(std::nan(""), y, m, d);
    EXPECT_EQ(y, 0);
}

TEST(DateTimeTest, DayOfWeekAndNow) {
    EXPECT_EQ(DayOfWeek(EncodeDate(2008, 1, 2)), 4);  // a Wednesday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);
    const TDateTime now = Now();
    EXPECT_GT(now, EncodeDate(2020, 1, 1));
    EXPECT_EQ(Date(), std::floor(Date()));
    EXPECT_LE(std::fabs(Date() - std::floor(now)), 1.0);
}

TEST(DateTimeTest, TextForms) {
    const TFormatSettings fs = Settings();
    const TDateTime v = EncodeDateTime(2008, 1, 2, 3, 4, 5, 678);
    EXPECT_EQ(DateToStr(v, fs), "02/01/2008");
    EXPECT_EQ(TimeToStr(v, fs), "03:04:05");
    EXPECT_EQ(DateTimeToStr(v, fs), "02/01/2008 03:04:05");
    EXPECT_EQ(DateTimeToStr(EncodeDate(1999, 12, 31), fs), "31/12/1999");
    // Milliseconds alone do not bring in the time.
    EXPECT_EQ(DateTimeToStr(EncodeDate(1999, 12, 31) + EncodeTime(0, 0, 0, 500), fs), "31/12/1999");
    const TFormatSettings de = Settings("dd/mm/yyyy", '.');
    EXPECT_EQ(DateToStr(v, de), "02.01.2008");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", v, fs), "2008-01-02 03:04:05.678");
    EXPECT_EQ(FormatDateTime("d/m/yy h:n:s z", v, fs), "2/1/08 3:4:5 678");
    EXPECT_EQ(FormatDateTime("h:mm", v, fs), "3:04");  // m after h is the minute
    EXPECT_EQ(FormatDateTime("hh:nn am/pm", EncodeTime(15, 30, 0, 0), fs), "03:30 pm");
    EXPECT_EQ(FormatDateTime("h AMPM", EncodeTime(0, 30, 0, 0), fs), "12 AM");
    EXPECT_EQ(FormatDateTime("\"day\" d 'of' mmmm, dddd", v, fs), "day 2 of January, Wednesday");
    EXPECT_EQ(FormatDateTime("c", v, fs), "02/01/2008 03:04:05");
}

TEST(DateTimeTest, ReadingText) {
    const TFormatSettings fs = Settings();
    TDateTime v = 0;
    ASSERT_TRUE(TryStrToDateTime("02/01/2008 03:04:05", v, fs));
    EXPECT_EQ(v, EncodeDateTime(2008, 1, 2, 3, 4, 5, 0));
    ASSERT_TRUE(TryStrToDateTime(" 31/12/1999 ", v, fs));
    EXPECT_EQ(v, EncodeDate(1999, 12, 31));
    ASSERT_TRUE(TryStrToDateTime("13:45", v, fs));
    EXPECT_EQ(v, EncodeTime(13, 45, 0, 0));
    ASSERT_TRUE(TryStrToDateTime("1:05:00 PM", v, fs));
    EXPECT_EQ(v, EncodeTime(13, 5, 0, 0));
    const TFormatSettings us = Settings("mm/dd/yyyy");
    ASSERT_TRUE(TryStrToDateTime("01/02/2008", v, us));
    EXPECT_EQ(v, EncodeDate(2008, 1, 2));
    for (const char* bad : {"", "32/01/2008", "02/01/2008 25:00", "02-01-2008", "abc", "02/01/2008 x", "13 PM"})
        EXPECT_FALSE(TryStrToDateTime(bad, v, fs)) << bad;
    // Text written in the settings reads back.
    const TDateTime w = EncodeDateTime(1987, 6, 5, 4, 3, 2, 0);
    ASSERT_TRUE(TryStrToDateTime(DateTimeToStr(w, fs), v, fs));
    EXPECT_EQ(v, w);
}

TEST(FormatSettingsTest, LocalePatterns) {
    EXPECT_EQ(StrftimeToPattern("%d/%m/%Y"), "dd/mm/yyyy");
    EXPECT_EQ(StrftimeToPattern("%H:%M:%S"), "hh:nn:ss");
    EXPECT_EQ(StrftimeToPattern("%d.%m.%Y", '.', 0), "dd/mm/yyyy");
    EXPECT_EQ(StrftimeToPattern("%Y-%m-%d", '-', 0), "yyyy/mm/dd");
    EXPECT_EQ(StrftimeToPattern("%I:%M:%S %p"), "hh:nn:ss ampm");
    EXPECT_EQ(StrftimeToPattern("%Y\xeb\x85\x84 %m\xec\x9b\x94", '/', 0), "yyyy\xeb\x85\x84 mm\xec\x9b\x94");
    EXPECT_EQ(StrftimeToPattern("%e. %B %Y um %k Uhr", '/', 0), "d. mmmm yyyy \"um\" h \"Uhr\"");
    const TFormatSettings c = LocaleFormatSettings("C");
    EXPECT_EQ(c.DecimalSeparator, '.');
    EXPECT_EQ(c.ShortDateFormat, "mm/dd/yy");
    EXPECT_EQ(c.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(c.ShortTimeFormat, "hh:nn");
    EXPECT_EQ(LocaleFormatSettings("no_such_locale.UTF-8").DecimalSeparator, '.');
    // The pattern made from a locale reproduces what the C library writes.
    const TFormatSettings fs = LocaleFormatSettings("C");
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2008, 1, 2, 3, 4, 5, 0), fs), "01/02/08 03:04:05");
}

}  // namespace
}  // namespace veskin
