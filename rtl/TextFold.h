#pragma once
// Text compared without regard to letter case, the way WMI compares class, property and
// namespace names and string values. Every layer compares through these (WQL, class and
// property lookup, field names, SameText), so a name that matches in one matches in all.
#include <string>
#include <string_view>

#include "rtl/WideString.h"

namespace veskin {

// The capitals that fold to small letters for comparison, beyond ASCII A-Z: Latin-1
// (U+00C0-U+00DE without the multiplication sign), Greek (U+0391-U+03AB; U+03A2 is
// unassigned) and Cyrillic (U+0400-U+040F, U+0410-U+042F). This is the widest set any
// comparison here has used, so nothing that matched before stops matching. Folding to
// small letters orders '_' before the letters, as Windows sorts names.
struct TextFoldRange {
    char16_t First, Last, Skip, Delta;
};
inline constexpr TextFoldRange TextFoldTable[] = {
    {0x00C0, 0x00DE, 0x00D7, 32},
    {0x0391, 0x03AB, 0x03A2, 32},
    {0x0400, 0x040F, 0, 80},
    {0x0410, 0x042F, 0, 32},
};

inline char16_t FoldCase(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    for (const TextFoldRange& r : TextFoldTable)
        if (c >= r.First && c <= r.Last && c != r.Skip) return static_cast<char16_t>(c + r.Delta);
    return c;
}

// <0, 0 or >0 like strcmp, on the folded text.
int CompareTextW(std::u16string_view a, std::u16string_view b);
bool SameTextW(std::u16string_view a, std::u16string_view b);

// 8-bit (UTF-8) text: ASCII is compared byte by byte; from the first non-ASCII byte on,
// the rest is compared as UTF-16 with the same folding.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

// Order names for case-insensitive maps and sorting.
struct TextLessW {
    bool operator()(const WideString& a, const WideString& b) const { return CompareTextW(a, b) < 0; }
};
struct TextLess {
    bool operator()(const std::string& a, const std::string& b) const { return CompareText(a, b) < 0; }
};

}  // namespace veskin
