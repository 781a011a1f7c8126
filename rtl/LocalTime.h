#pragma once
// The local calendar time of a moment, from the system's time-zone rules
// (rtl/posix/LocalTime.cpp, rtl/win/LocalTime.cpp).
#include <ctime>

namespace veskin {

// False when the system cannot convert the moment.
bool ToLocalTime(std::time_t moment, std::tm& local);

}  // namespace veskin
