#include "platform/TimeZone.h"

#include "platform/win/WinApi.h"

namespace veskin {

bool LocalStandardOffset(std::int32_t& offset) {
    offset = 0;
    // The base bias only: the daylight-saving bias is never added.
    TIME_ZONE_INFORMATION zone{};
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return false;
    offset = static_cast<std::int32_t>(-zone.Bias);
    return true;
}

}  // namespace veskin
