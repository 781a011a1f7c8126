#pragma once
// Whole texts as decimal integers, for values read from files, protocols and WMI text.
#include <cstdint>
#include <string_view>

namespace veskin {

// An optional "+" (or "-" for the signed form) followed by decimal digits, and nothing
// else: no blanks, no second sign. False when the text is no such number or the value
// does not fit; value is then unchanged.
bool TryParseDecimal(std::string_view text, std::int64_t& value);
bool TryParseDecimal(std::string_view text, std::uint64_t& value);

}  // namespace veskin
