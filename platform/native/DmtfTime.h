#pragma once
// Date-times in the DMTF text form WMI uses: "yyyymmddHHMMSS.mmmmmmsUUU", local time
// followed by the sign and the minutes of its offset from UTC.
#include <cstdint>
#include <string>

namespace veskin {

// The local UTC offset in minutes at that moment (east positive).
int LocalUtcOffsetMinutes(std::int64_t unixSeconds);

// The moment as local time with its offset; empty when the moment cannot be shown
// (before year 1 or after year 9999).
std::string DmtfFromUnix(std::int64_t unixSeconds, std::uint32_t microseconds = 0);

// The same moment with a given offset (used where the offset is known, and by tests).
std::string DmtfFromUnixWithOffset(std::int64_t unixSeconds, std::uint32_t microseconds,
                                   int offsetMinutes);

// Seconds since 1601-01-01 UTC in 100 ns units (the Windows file-time scale).
std::uint64_t FileTimeFromUnixNs(std::int64_t unixNanoseconds);

}  // namespace veskin
