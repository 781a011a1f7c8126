#include "rtl/IntegerText.h"

#include <charconv>

namespace veskin {

namespace {

template <class T>
bool ParseWhole(std::string_view text, T& value) {
    const bool plus = !text.empty() && text[0] == '+';
    if (plus) text.remove_prefix(1);
    // from_chars takes a "-" of its own, which must not follow a "+".
    if (text.empty() || (plus && text[0] == '-')) return false;
    T v{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    value = v;
    return true;
}

}  // namespace

bool TryParseDecimal(std::string_view text, std::int64_t& value) { return ParseWhole(text, value); }
bool TryParseDecimal(std::string_view text, std::uint64_t& value) { return ParseWhole(text, value); }

}  // namespace veskin
