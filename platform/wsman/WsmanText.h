#pragma once
// Small text helpers of the WS-Management codec: UTF-8 views to UTF-16, XML white
// space, numbers in XML Schema form, and XML escaping.
#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/WideString.h"

namespace veskin {

// UTF-8 to UTF-16; ASCII text is widened directly, anything else goes through the
// run-time's conversion.
WideString WidenUtf8(std::string_view text);
// Without leading and trailing XML white space (space, tab, CR, LF).
std::string_view TrimXml(std::string_view text);

// Whole numbers and floating numbers as XML Schema writes them (surrounding white space
// and a leading "+" allowed); false for anything else.
bool ParseXsInt64(std::string_view text, std::int64_t& value);
bool ParseXsUInt64(std::string_view text, std::uint64_t& value);
bool ParseXsDouble(std::string_view text, double& value);
// "true"/"false"/"1"/"0" (any case, white space allowed).
bool ParseXsBoolean(std::string_view text, bool& value);

// Appends text with &, <, > escaped (and " in attribute values; CR as a reference so it
// survives line-end normalisation).
void AppendXmlEscaped(std::string& out, std::string_view text);

}  // namespace veskin
