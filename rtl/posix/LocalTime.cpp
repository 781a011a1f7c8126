#include "rtl/LocalTime.h"

namespace veskin {

bool ToLocalTime(std::time_t moment, std::tm& local) { return localtime_r(&moment, &local) != nullptr; }

}  // namespace veskin
