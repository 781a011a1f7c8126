#pragma once
// The program's standard output and error write the same bytes on every system
// (posix/StandardStreams.cpp, win/StandardStreams.cpp).

namespace veskin {

// No carriage return is added before each line feed.
void UseBinaryStandardStreams();

}  // namespace veskin
