#include "rtl/TextFold.h"

namespace veskin {

namespace {

template <class Char>
int Order(Char x, Char y) {
    return x < y ? -1 : 1;
}

int OrderBySize(std::size_t a, std::size_t b) {
    if (a == b) return 0;
    return a < b ? -1 : 1;
}

}  // namespace

int CompareTextW(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        const char16_t x = FoldCase(a[i]), y = FoldCase(b[i]);
        if (x != y) return Order(x, y);
    }
    return OrderBySize(a.size(), b.size());
}

bool SameTextW(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && (a == b || CompareTextW(a, b) == 0);
}

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) {
            // Both texts start a character here: everything before was ASCII.
            return CompareTextW(AnsiToWide(std::string(a.substr(i))), AnsiToWide(std::string(b.substr(i))));
        }
        if (x == y) continue;
        const char16_t fx = FoldCase(x), fy = FoldCase(y);
        if (fx != fy) return Order(fx, fy);
    }
    return OrderBySize(a.size(), b.size());
}

bool SameText(std::string_view a, std::string_view b) {
    // Folding keeps a character's UTF-8 length: texts of different lengths never match.
    return a.size() == b.size() && (a == b || CompareText(a, b) == 0);
}

}  // namespace veskin
