#pragma once
// Date-times in the DMTF text form WMI uses: "yyyymmddHHMMSS.mmmmmmsUUU", the fields of
// local time followed by the sign and the minutes of its offset from UTC.
#include <string>

namespace veskin {

struct DmtfFields {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
    int Microseconds = 0;
    int OffsetMinutes = 0;  // east of UTC positive
};

// The fields in their fixed widths (none may be negative but the offset); an offset
// beyond 999 minutes takes the digits it needs.
std::string DmtfText(const DmtfFields& fields);

}  // namespace veskin
