#pragma once
// Small helpers for the kernel's text formats: numbers that may be missing or
// malformed, blank-separated fields, and "key value" lists.
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veskin {

// A whole field as an unsigned / signed decimal number; nothing when it is not one or
// does not fit.
std::optional<std::uint64_t> ToU64(std::string_view text);
std::optional<std::int64_t> ToI64(std::string_view text);
std::optional<double> ToDouble(std::string_view text);

// Fields separated by blanks (spaces and tabs).
std::vector<std::string_view> SplitFields(std::string_view line);
// The text without leading and trailing blanks (spaces, tabs, line breaks).
std::string_view TrimBlanks(std::string_view text);
// Lines without their line breaks.
std::vector<std::string_view> SplitLines(std::string_view text);

// "Key: value unit" or "key value" lines (meminfo, vmstat, status, io). The key ends at
// the first ':' or blank; the value is the rest of the line without surrounding blanks.
std::map<std::string, std::string> ParseKeyValues(std::string_view text);

// The first number of a value ("123 kB" -> 123).
std::optional<std::uint64_t> LeadingU64(const std::map<std::string, std::string>& values,
                                        const std::string& key);

// One pass over "key: number ..." lines (status, io): stores the first number of each
// wanted key's line; keys not found leave their target untouched.
struct KeyTarget {
    std::string_view Key;
    std::optional<std::uint64_t>* Target;
};
void ScanKeyNumbers(std::string_view text, std::initializer_list<KeyTarget> wanted);

}  // namespace veskin
