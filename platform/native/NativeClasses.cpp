#include "platform/NativeClasses.h"

namespace veskin {

// No native classes yet: creating the WMI locator fails with "class not registered".
void RegisterNativeClasses() {}

}  // namespace veskin
