#include "platform/native/DmtfTime.h"

#include <time.h>

#include "platform/DmtfText.h"

namespace veskin {

int LocalUtcOffsetMinutes(std::int64_t unixSeconds) {
    time_t t = static_cast<time_t>(unixSeconds);
    struct tm local {};
    if (!localtime_r(&t, &local)) return 0;
    return static_cast<int>(local.tm_gmtoff / 60);
}

namespace {

// Civil date from days since 1970-01-01 (proleptic Gregorian).
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
}

}  // namespace

std::string DmtfFromUnixWithOffset(std::int64_t unixSeconds, std::uint32_t microseconds,
                                   int offsetMinutes) {
    const std::int64_t local = unixSeconds + static_cast<std::int64_t>(offsetMinutes) * 60;
    std::int64_t days = local / 86400;
    std::int64_t secs = local % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    std::int64_t y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    if (y < 1 || y > 9999 || microseconds > 999999) return std::string();
    const int absOffset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    if (absOffset > 999) return std::string();
    return DmtfText({static_cast<int>(y), static_cast<int>(m), static_cast<int>(d),
                     static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
                     static_cast<int>(secs % 60), static_cast<int>(microseconds), offsetMinutes});
}

std::string DmtfFromUnix(std::int64_t unixSeconds, std::uint32_t microseconds) {
    return DmtfFromUnixWithOffset(unixSeconds, microseconds, LocalUtcOffsetMinutes(unixSeconds));
}

std::uint64_t FileTimeFromUnixNs(std::int64_t unixNanoseconds) {
    return static_cast<std::uint64_t>(unixNanoseconds / 100) + 116444736000000000ull;
}

}  // namespace veskin
