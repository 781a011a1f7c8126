#pragma once
// 8-bit text (the system code page; UTF-8 on Linux) and UTF-16 text, and the
// conversions where values cross between them.
#include <string>
#include <string_view>

namespace veskin {

using AnsiString = std::string;
using WideString = std::u16string;

// Characters the 8-bit code page cannot represent become '?'; malformed input
// bytes become U+FFFD. Never throws.
WideString AnsiToWide(std::string_view text);
AnsiString WideToAnsi(const WideString& text);

// A character above U+FFFF is a surrogate pair in UTF-16: a high unit (U+D800-U+DBFF)
// followed by a low one (U+DC00-U+DFFF).
inline bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
inline char32_t CombineSurrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}
// Appends a character: one unit up to U+FFFF, a surrogate pair above.
inline void AppendUtf16(WideString& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
        return;
    }
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

// Convenience for literals in code: ASCII/UTF-8 source text to UTF-16.
inline WideString W(const char* utf8) { return AnsiToWide(utf8); }

}  // namespace veskin
