// Significant digits of doubles: the digits must be those of the exact binary value
// rounded half away from zero, whether they come from the shortest form or from the
// full expansion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "rtl/DecimalDigits.h"

namespace veskin {
namespace {

// The exact value's first `significant` digits, rounded half away from zero, from the C
// library's long expansion (60 digits: far past any tie of up to 17 digits that a
// double's expansion could hold and still differ in the rounded digit).
DecimalDigits Reference(double value, int significant) {
    DecimalDigits d;
    d.Negative = std::signbit(value) && value != 0;
    if (value == 0) return d;
    char text[128];
    std::snprintf(text, sizeof text, "%.60e", std::fabs(value));
    std::string digits;
    const char* p = text;
    for (; *p != 'e'; ++p)
        if (*p != '.') digits.push_back(*p);
    int exponent = std::atoi(p + 1) + 1;
    const bool up = digits[static_cast<std::size_t>(significant)] >= '5';
    digits.resize(static_cast<std::size_t>(significant));
    if (up) {
        int i = significant - 1;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
            ++digits[static_cast<std::size_t>(i)];
        } else {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        }
    }
    d.Digits = digits;
    d.Exponent = exponent;
    return d;
}

void ExpectSame(double value, int significant) {
    const DecimalDigits got = ToDecimalDigits(value, significant);
    const DecimalDigits want = Reference(value, significant);
    EXPECT_EQ(got.Digits, want.Digits) << value << " to " << significant;
    EXPECT_EQ(got.Exponent, want.Exponent) << value << " to " << significant;
    EXPECT_EQ(got.Negative, want.Negative) << value << " to " << significant;
}

TEST(DecimalDigits, MatchTheExactValueRoundedHalfAwayFromZero) {
    // Values whose shortest form is short, ties in the exact value, and carries.
    for (double v : {0.1, 0.5, 1.5, 2.5, 0.125, 0.375, 100.0, 1e20, 1.5e-7, 9.5, 99.5, 0.95, 999999999999999.5,
                     123456789012345678.0, 5e-324, 1.7976931348623157e308, -0.25, 3.0 / 7.0, 0.1 + 0.2,
                     static_cast<double>(0.1f), 4.35, 2.675, 1.0005, 9.9999999999999995}) {
        for (int significant = 1; significant <= 17; ++significant) ExpectSame(v, significant);
    }
    // Random values of every magnitude, and random short decimals.
    std::mt19937_64 random(20261210);
    std::uniform_int_distribution<std::uint64_t> bits;
    for (int i = 0; i < 3000; ++i) {
        std::uint64_t b = bits(random);
        double v;
        std::memcpy(&v, &b, sizeof v);
        if (!std::isfinite(v)) continue;
        const double decimal = static_cast<double>(static_cast<std::int64_t>(b % 2000001) - 1000000) / 1000.0;
        for (int significant : {1, 2, 6, 7, 14, 15, 16}) {
            ExpectSame(v, significant);
            ExpectSame(decimal, significant);
        }
    }
}

}  // namespace
}  // namespace veskin
