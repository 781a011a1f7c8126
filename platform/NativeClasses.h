#pragma once
// The classes the platform's own WMI service provides (the locator and what it needs).
// The class registry calls this once, on its first use, so that registration does not
// depend on the order of static initialisation.

namespace veskin {

void RegisterNativeClasses();

}  // namespace veskin
