#include "rtl/DecimalDigits.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace veskin {

namespace {

// The digits and the exponent (of 0.<digits>) of to_chars' scientific text
// d.ddddde[+-]xx; the exponent is 1 when the text has none.
void SplitScientific(const char* begin, const char* end, std::string& digits, int& exponent) {
    digits.clear();
    const char* p = begin;
    for (; p != end && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits.push_back(*p);
    exponent = 1;
    if (p == end) return;
    int e = 0;
    const char* q = p + 1;
    const bool neg = *q == '-';
    if (*q == '-' || *q == '+') ++q;
    std::from_chars(q, end, e);
    exponent = (neg ? -e : e) + 1;
}

// The exact decimal expansion of |value| to `count` significant digits (truncation
// error only far beyond the digits that are rounded), as digits and exponent.
void RawDigits(double value, int count, std::string& digits, int& exponent) {
    char small[128];
    std::vector<char> large;
    char* buf = small;
    std::size_t size = sizeof small;
    if (static_cast<std::size_t>(count) + 16 > size) {
        large.resize(static_cast<std::size_t>(count) + 16);
        buf = large.data();
        size = large.size();
    }
    // Exact digits, correctly rounded at the last one: d.ddddde[+-]xx
    const auto res = std::to_chars(buf, buf + size, std::fabs(value), std::chars_format::scientific, count - 1);
    SplitScientific(buf, res.ptr, digits, exponent);
}

// Rounds digits to `keep` digits half away from zero; a carry out of the first digit
// raises the exponent.
void RoundDigits(std::string& digits, int& exponent, int keep) {
    if (keep < 0) {
        digits.clear();
        return;
    }
    if (static_cast<std::size_t>(keep) >= digits.size()) return;
    const bool up = digits[static_cast<std::size_t>(keep)] >= '5';
    digits.resize(static_cast<std::size_t>(keep));
    if (!up) return;
    int i = keep - 1;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
        digits[static_cast<std::size_t>(i)] = '0';
        --i;
    }
    if (i >= 0) {
        ++digits[static_cast<std::size_t>(i)];
    } else {
        digits.insert(digits.begin(), '1');
        ++exponent;
        if (static_cast<int>(digits.size()) > keep && keep > 0) digits.pop_back();
    }
}

void StripLeadingZeros(DecimalDigits& d) {
    std::size_t z = 0;
    while (z < d.Digits.size() && d.Digits[z] == '0') ++z;
    if (z == d.Digits.size()) {
        d.Digits.clear();
        d.Exponent = 0;
    }
}

// The shortest digits that read back as value, when there are no more than `significant`
// of them and `significant` is at most 15. A normal double is within half a unit in its last
// place of those digits, and that is less than half a unit in the 15th significant
// digit: rounding the exact expansion to `significant` digits gives the same digits
// (no tie is possible), so they can be used without expanding the value in full.
bool ShortDigits(double value, int significant, std::string& digits, int& exponent) {
    if (significant > 15 || !std::isnormal(value)) return false;  // subnormals carry fewer bits
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    if (res.ec != std::errc()) return false;
    SplitScientific(buf, res.ptr, digits, exponent);
    if (static_cast<int>(digits.size()) > significant) return false;
    // As many digits as rounding the expansion gives: the shortest form padded with zeros.
    digits.resize(static_cast<std::size_t>(significant), '0');
    return true;
}

}  // namespace

DecimalDigits ToDecimalDigits(double value, int significant) {
    DecimalDigits d;
    d.Negative = std::signbit(value) && value != 0;
    if (value == 0) return d;
    if (ShortDigits(value, significant, d.Digits, d.Exponent)) return d;
    RawDigits(value, significant + 25, d.Digits, d.Exponent);
    RoundDigits(d.Digits, d.Exponent, significant);
    StripLeadingZeros(d);
    return d;
}

DecimalDigits ToFixedDigits(double value, int decimals) {
    DecimalDigits d;
    d.Negative = std::signbit(value) && value != 0;
    if (value == 0) return d;
    std::string digits;
    int exponent = 0;
    RawDigits(value, 25, digits, exponent);
    const int keep = exponent + decimals;  // digits left of the cut
    if (keep < 0) {
        d.Negative = false;
        return d;
    }
    if (keep == 0) {
        // Everything is below the last kept decimal: rounds to one unit of it or to 0.
        if (digits[0] >= '5') {
            d.Digits.assign(1, '1');
            d.Exponent = exponent + 1;
        } else {
            d.Negative = false;
        }
        return d;
    }
    RawDigits(value, keep + 25, digits, exponent);
    RoundDigits(digits, exponent, exponent + decimals);
    d.Digits = digits;
    d.Exponent = exponent;
    StripLeadingZeros(d);
    if (d.Digits.empty()) d.Negative = false;
    return d;
}

}  // namespace veskin
