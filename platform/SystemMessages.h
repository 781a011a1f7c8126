#pragma once
// The system message table: the English text the operating system gives for a result
// code, exactly as the system formats it (final full stop and CR LF included).
#include <cstdint>
#include <string>

namespace veskin {

// Knows plain Win32 error numbers (5), the same errors as result codes (0x80070005)
// and common COM codes. Empty text for a code it does not know.
std::string SystemMessageText(std::int32_t code);

}  // namespace veskin
