#include "rtl/LocalTime.h"

namespace veskin {

bool ToLocalTime(std::time_t moment, std::tm& local) { return localtime_s(&local, &moment) == 0; }

}  // namespace veskin
