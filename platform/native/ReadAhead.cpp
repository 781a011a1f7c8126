#include "platform/native/ReadAhead.h"

namespace veskin {

unsigned ReadAheadWorkers() {
    const unsigned processors = std::thread::hardware_concurrency();
    return processors == 0 ? 1 : processors > 8 ? 8
                                                : processors;
}

}  // namespace veskin
