#pragma once
// JSON text (RFC 8259) of WMI property values, typed by the property's CIM type:
// integers of every width as exact numbers (uint32 values that arrive as negative
// 32-bit integers, and sint64/uint64 values that arrive as decimal text, included),
// reals as the shortest text that reads back to the same value (null when not finite),
// booleans, null for a null value, arrays as JSON arrays, char16 as a one-character
// string, datetimes as ISO 8601 ("2026-12-09T15:40:18.123456+01:00"), intervals as
// ISO 8601 durations ("P1DT13H23M12.000000S"), embedded objects as their object text,
// everything else as a string.
#include <cstdint>
#include <string>

#include "rtl/Variant.h"

namespace veskin {

// A JSON string: quotes, backslash and control characters escaped, other characters
// as UTF-8 (malformed bytes become U+FFFD).
std::string JsonString(const std::string& utf8);

// value as delivered for a property of cimType (the CIM type without the array flag).
std::string JsonValue(const Variant& value, std::int32_t cimType);

// DMTF date-time or interval text in ISO 8601; empty when text is neither (for
// example when it holds the "*" wildcards).
std::string DmtfToIso8601(const std::string& dmtf);

}  // namespace veskin
