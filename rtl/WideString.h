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

// Convenience for literals in code: ASCII/UTF-8 source text to UTF-16.
inline WideString W(const char* utf8) { return AnsiToWide(utf8); }

}  // namespace veskin
