#include "platform/TextCompare.h"

namespace veskin {

char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

WideString UpperCaseW(const WideString& text) {
    WideString r = text;
    for (auto& c : r) c = AsciiUpper(c);
    return r;
}

bool SameTextW(const WideString& a, const WideString& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

namespace {

// Folding to lower case puts '_' before the letters, as the C library's stricmp does.
char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

}  // namespace

int CompareTextW(const WideString& a, const WideString& b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        char16_t x = AsciiLower(a[i]);
        char16_t y = AsciiLower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace veskin
