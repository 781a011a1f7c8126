#pragma once
// Decimal digits of a double, rounded half away from zero at a number of significant
// digits, as the framework's float-to-text routines produce them.
#include <string>

namespace veskin {

struct DecimalDigits {
    bool Negative = false;
    std::string Digits;  // significant digits, no leading zeros; empty for zero
    int Exponent = 0;    // value = 0.<Digits> * 10^Exponent
};

// `significant` digits (>= 1) of a finite value.
DecimalDigits ToDecimalDigits(double value, int significant);

// The value rounded to `decimals` digits after the point (>= 0); Digits may be empty
// when it rounds to zero.
DecimalDigits ToFixedDigits(double value, int decimals);

}  // namespace veskin
