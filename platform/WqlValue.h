#pragma once
// Value rules of the WQL evaluator: numbers parsed from text and the LIKE wildcards
// (% _ [set] [^set]). Text compares with CompareTextW (rtl/TextFold.h).
#include <cstdint>
#include <optional>

#include "rtl/Variant.h"
#include "rtl/WideString.h"

namespace veskin {

struct WqlNumber {
    enum Kind { Int,
                UInt,
                Real } NumKind = Int;
    std::int64_t I = 0;
    std::uint64_t U = 0;
    double D = 0;

    static WqlNumber FromInt(std::int64_t v) {
        WqlNumber n;
        n.NumKind = Int;
        n.I = v;
        return n;
    }
    static WqlNumber FromUInt(std::uint64_t v) {
        WqlNumber n;
        n.NumKind = UInt;
        n.U = v;
        return n;
    }
    static WqlNumber FromReal(double v) {
        WqlNumber n;
        n.NumKind = Real;
        n.D = v;
        return n;
    }
};

// A whole text as a number: optional sign, decimal digits with an optional fraction and
// exponent, or 0x hex digits; surrounding blanks allowed. Nothing for anything else.
std::optional<WqlNumber> WqlParseNumber(const WideString& text);

// -1, 0 or 1; nothing when the two cannot be ordered (NaN).
std::optional<int> WqlCompareNumbers(const WqlNumber& a, const WqlNumber& b);

// A property value as a number (integers, reals, booleans as 0/1, numeric text).
std::optional<WqlNumber> WqlValueAsNumber(const Variant& value);

// A scalar property value as text (numbers in decimal, booleans TRUE/FALSE); nothing
// for null, empty, arrays and objects.
std::optional<WideString> WqlValueAsText(const Variant& value);

// LIKE: % any run, _ any one character, [abc] [a-f] one of a set, [^...] none of it;
// letters compare without regard to case. Time is bounded by text x pattern length.
bool WqlLike(const WideString& text, const WideString& pattern);

}  // namespace veskin
