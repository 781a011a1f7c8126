#pragma once
// The message of the exception an action raises, or "no error": what a user would read.
#include <functional>
#include <string>

#include "rtl/Exception.h"

namespace veskin {

inline std::string FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "no error";
}

}  // namespace veskin
