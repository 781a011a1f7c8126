#pragma once
// Name comparison as WMI does it: without regard to letter case (ASCII letters).
#include "rtl/WideString.h"

namespace veskin {

char16_t AsciiUpper(char16_t c);
WideString UpperCaseW(const WideString& text);
bool SameTextW(const WideString& a, const WideString& b);
// <0, 0, >0 like strcmp, ignoring ASCII letter case.
int CompareTextW(const WideString& a, const WideString& b);

// Orders names for case-insensitive maps and sorting.
struct TextLessW {
    bool operator()(const WideString& a, const WideString& b) const {
        return CompareTextW(a, b) < 0;
    }
};

}  // namespace veskin
