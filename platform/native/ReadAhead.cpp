#include "platform/native/ReadAhead.h"

#include <thread>

namespace veskin {

unsigned ReadAheadWorkers() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

}  // namespace veskin
