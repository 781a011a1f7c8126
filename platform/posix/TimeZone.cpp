#include "platform/TimeZone.h"

#include <ctime>
#include <initializer_list>

namespace veskin {

bool LocalStandardOffset(std::int32_t& offset) {
    offset = 0;
    tzset();
    // The zone's standard offset is the one in force on whichever of a winter and a
    // summer day observes no daylight saving; the daylight bias is never used.
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    if (!localtime_r(&now, &today)) return false;
    for (int month : {0, 6}) {
        std::tm probe{};
        probe.tm_year = today.tm_year;
        probe.tm_mon = month;
        probe.tm_mday = 15;
        probe.tm_hour = 12;
        probe.tm_isdst = -1;
        std::time_t t = std::mktime(&probe);
        std::tm local{};
        if (t == static_cast<std::time_t>(-1) || !localtime_r(&t, &local)) continue;
        if (local.tm_isdst == 0) {
            offset = static_cast<std::int32_t>(local.tm_gmtoff / 60);
            return true;
        }
    }
    // A zone that keeps daylight saving all year: its declared standard offset.
    offset = static_cast<std::int32_t>(-timezone / 60);
    return true;
}

}  // namespace veskin
