#include <gtest/gtest.h>

#include "platform/wsman/WsmanDateTime.h"
#include "platform/wsman/WsmanDecoder.h"

namespace veskin {
namespace {

TEST(WsmanDateTime, KeepsTheServersLocalTimeAndOffset) {
    EXPECT_EQ(DmtfFromXsDateTime("2019-03-07T18:49:07.484411-05:00"), "20190307184907.484411-300");
    EXPECT_EQ(DmtfFromXsDateTime("2019-03-07T18:49:07Z"), "20190307184907.000000+000");
    EXPECT_EQ(DmtfFromXsDateTime("2019-03-07T18:49:07"), "20190307184907.000000+000");
    EXPECT_EQ(DmtfFromXsDateTime("2019-03-07T18:49:07.5+05:30"), "20190307184907.500000+330");
    EXPECT_EQ(DmtfFromXsDateTime("2019-03-07T18:49:07.1234567+14:00"), "20190307184907.123456+840");
    EXPECT_EQ(DmtfFromXsDateTime(" 2020-02-29T00:00:00-00:00\n"), "20200229000000.000000+000");
    EXPECT_EQ(DmtfFromXsDateTime("0001-01-01T00:00:00Z"), "00010101000000.000000+000");
}

TEST(WsmanDateTime, RefusesTextThatIsNoDateTime) {
    for (const char* bad : {"", "2019-03-07", "2019-3-07T18:49:07Z", "2019-02-29T00:00:00Z",
                            "2019-13-01T00:00:00Z", "2019-01-01T24:00:00Z", "2019-01-01T10:60:00Z",
                            "2019-01-01T10:00:00.Z", "2019-01-01T10:00:00+5:00", "2019-01-01T10:00:00+15:00",
                            "-2019-01-01T10:00:00Z", "12019-01-01T10:00:00Z", "2019-01-01T10:00:00Zjunk",
                            "0000-01-01T00:00:00Z"})
        EXPECT_EQ(DmtfFromXsDateTime(bad), "") << bad;
}

TEST(WsmanDateTime, DurationsBecomeIntervals) {
    EXPECT_EQ(DmtfFromXsDuration("P1DT2H3M4.5S"), "00000001020304.500000:000");
    EXPECT_EQ(DmtfFromXsDuration("PT60.000S"), "00000000000100.000000:000");
    EXPECT_EQ(DmtfFromXsDuration("PT36H"), "00000001120000.000000:000");  // hours past a day
    EXPECT_EQ(DmtfFromXsDuration("P0Y0M3D"), "00000003000000.000000:000");
    EXPECT_EQ(DmtfFromXsDuration("PT0.0000019S"), "00000000000000.000001:000");
    EXPECT_EQ(DmtfFromXsDuration("P99999999DT23H59M59.999999S"), "99999999235959.999999:000");
    for (const char* bad : {"", "P", "PT", "P1M", "P1Y", "-P1D", "P1H", "PT1D", "P1DT", "P100000000D",
                            "PT1.5M", "P1D2D", "PT1S2M", "1D"})
        EXPECT_EQ(DmtfFromXsDuration(bad), "") << bad;
}

TEST(WsmanDateTime, DateOrTimeAloneUseWildcards) {
    EXPECT_EQ(DmtfFromXsDate("2019-03-07"), "20190307******.******+000");
    EXPECT_EQ(DmtfFromXsDate("2019-03-07-05:00"), "20190307******.******-300");
    EXPECT_EQ(DmtfFromXsTime("18:49:07.25+01:00"), "********184907.250000+060");
    EXPECT_EQ(DmtfFromXsDate("2019-03-07T00:00:00"), "");
    EXPECT_EQ(DmtfFromXsTime("18:49"), "");
}

TEST(WsmanDateTime, DmtfBackToXmlSchemaForPut) {
    bool interval = true;
    EXPECT_EQ(XsFromDmtf("20190307184907.484411-300", interval), "2019-03-07T18:49:07.484411-05:00");
    EXPECT_FALSE(interval);
    EXPECT_EQ(XsFromDmtf("20190307184907.000000+000", interval), "2019-03-07T18:49:07.000000Z");
    EXPECT_EQ(XsFromDmtf("00000001020304.500000:000", interval), "P1DT2H3M4.500000S");
    EXPECT_TRUE(interval);
    for (const char* bad : {"", "20190307184907.484411", "2019030718490a.484411-300",
                            "20191307184907.484411-300", "20190307******.******+000",
                            "00000001020304.500000:001", "20190307184907,484411-300"})
        EXPECT_EQ(XsFromDmtf(bad, interval), "") << bad;
    // Both directions agree, offsets and intervals included.
    for (const char* dmtf : {"20001231235959.999999+840", "19700101000000.000001-720",
                             "00000000000000.000000:000", "12345678123456.654321:000"}) {
        const std::string xs = XsFromDmtf(dmtf, interval);
        EXPECT_EQ(interval ? DmtfFromXsDuration(xs) : DmtfFromXsDateTime(xs), dmtf) << xs;
    }
}

}  // namespace
}  // namespace veskin
