#pragma once
// The local time zone's base bias: its standard offset from UTC, never the daylight-saving
// one (platform/posix/TimeZone.cpp, platform/win/TimeZone.cpp).
#include <cstdint>

namespace veskin {

// Minutes east of UTC (UTC+01:00 gives 60); false when the system cannot tell.
bool LocalStandardOffset(std::int32_t& offset);

}  // namespace veskin
