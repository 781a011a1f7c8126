#include "tools/wmiquery/StandardStreams.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace veskin {

void UseBinaryStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace veskin
