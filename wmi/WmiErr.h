#pragma once
// The WMI library's exception and the single check of COM result codes.
#include <cstdint>
#include <string>

#include "rtl/Exception.h"

namespace veskin {

class TWmiException : public Exception {
public:
    // A condition of the library's own, without a COM code: ErrorCode stays 0.
    explicit TWmiException(const std::string& message);
    // A failed COM call: its code and the message built for it.
    TWmiException(std::int32_t errorCode, const std::string& message);

    std::int32_t ErrorCode = 0;
};

// True for every code that is not negative (S_OK, S_FALSE and the rest).
bool WmiSucceeded(std::int32_t code);
// Raises TWmiException for a failing code; returns at once otherwise.
void WmiCheck(std::int32_t code);
// Raises TWmiException with the code and WmiErrorText(code).
[[noreturn]] void WmiRaiseError(std::int32_t code);
// "XXXXXXXX: text": 8 upper-case hex digits, then the catalogue's or the system's text.
std::string WmiErrorText(std::int32_t code);
// WmiErrorText(code) followed by detail (what the failing layer recorded) as a
// sentence of its own: the message of a raised error.
std::string WmiErrorMessage(std::int32_t code, const std::string& detail);

}  // namespace veskin
