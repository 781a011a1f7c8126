#include "tools/wmiquery/StandardStreams.h"

namespace veskin {

// POSIX streams write their bytes as they are.
void UseBinaryStandardStreams() {}

}  // namespace veskin
