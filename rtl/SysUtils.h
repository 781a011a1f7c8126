#pragma once
// Text and number helpers of the run-time: Format, integer and floating-point text
// conversions, trimming and case handling of 8-bit text.
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/FormatSettings.h"
#include "rtl/TextFold.h"
#include "rtl/WideString.h"

namespace veskin {

// One argument of Format: a signed or unsigned integer, a floating-point value or text.
class FormatArg {
public:
    enum class Kind { Int,
                      UInt,
                      Float,
                      Str };

    template <std::signed_integral T>
    FormatArg(T v) : FKind(Kind::Int), FInt(static_cast<std::int64_t>(v)) {}
    template <std::unsigned_integral T>
    requires(!std::same_as<T, bool>)
        FormatArg(T v) : FKind(Kind::UInt), FUInt(static_cast<std::uint64_t>(v)) {}
    FormatArg(bool v) : FKind(Kind::Int), FInt(v ? 1 : 0) {}
    template <std::floating_point T>
    FormatArg(T v) : FKind(Kind::Float), FFloat(static_cast<double>(v)) {}
    FormatArg(const char* v) : FKind(Kind::Str), FStr(v != nullptr ? v : "") {}
    FormatArg(std::string v) : FKind(Kind::Str), FStr(std::move(v)) {}
    FormatArg(std::string_view v) : FKind(Kind::Str), FStr(v) {}
    FormatArg(const WideString& v) : FKind(Kind::Str), FStr(WideToAnsi(v)) {}

    Kind GetKind() const { return FKind; }
    std::int64_t Int() const { return FInt; }
    std::uint64_t UInt() const { return FUInt; }
    double Float() const { return FFloat; }
    const std::string& Str() const { return FStr; }

private:
    Kind FKind;
    std::int64_t FInt = 0;
    std::uint64_t FUInt = 0;
    double FFloat = 0;
    std::string FStr;
};

// The framework's Format: "%" ["index:"] ["-"] [width] ["." precision] type, with the
// types d (precision = minimum digits, sign in front), u, x (upper-case hex), e, f, g,
// n, m, s (precision = maximum characters) and "%%"; width and precision may be "*".
// A missing or unsuitable argument or a bad specifier raises EConvertError
// "Format '%s' invalid or incompatible with argument".
std::string Format(const std::string& format, std::initializer_list<FormatArg> args);
std::string Format(const std::string& format, const std::vector<FormatArg>& args);
std::string Format(const std::string& format, const std::vector<FormatArg>& args,
                   const TFormatSettings& fs);

std::string IntToStr(std::int64_t value);
std::string UIntToStr(std::uint64_t value);
// Upper-case hexadecimal with at least `digits` digits. Negative values are written
// in two's complement of their own width (8 digits for 32-bit, 16 for 64-bit values).
std::string IntToHex(std::int32_t value, int digits);
std::string IntToHex(std::uint32_t value, int digits);
std::string IntToHex(std::int64_t value, int digits);
std::string IntToHex(std::uint64_t value, int digits);

// Leading blanks, an optional "+" or "-", then decimal digits or hexadecimal digits
// after "$", "x", "X", "0x" or "0X". Anything else, trailing characters included, or
// a value outside the signed range (hex included), raises EConvertError "'%s' is not a valid integer value".
int StrToInt(const std::string& text);
std::int64_t StrToInt64(const std::string& text);
bool TryStrToInt(const std::string& text, int& value);
bool TryStrToInt64(const std::string& text, std::int64_t& value);
int StrToIntDef(const std::string& text, int defaultValue);

// Floating-point text: blanks around, optional sign, digits with the decimal
// separator of the settings, optional exponent. Failure raises EConvertError
// "'%s' is not a valid floating point value".
bool TryStrToFloat(const std::string& text, double& value);
bool TryStrToFloat(const std::string& text, double& value, const TFormatSettings& fs);
double StrToFloat(const std::string& text);

// General format with 15 significant digits, as the framework writes floating-point
// values: 0.1 -> "0.1", 1e20 -> "1E20", 1.5e-7 -> "1.5E-7".
std::string FloatToStr(double value);
std::string FloatToStr(double value, const TFormatSettings& fs);
// General format with `precision` significant digits and at least `expDigits`
// exponent digits (the framework's FloatToStrF with ffGeneral).
std::string FloatToStrGeneral(double value, int precision, int expDigits, const TFormatSettings& fs);
// Currency (an integer scaled by 10000): up to four decimals, trailing zeros dropped.
std::string CurrToStr(std::int64_t scaledBy10000);
std::string CurrToStr(std::int64_t scaledBy10000, const TFormatSettings& fs);

// Characters with a code of 32 or less are blanks here.
std::string Trim(const std::string& s);
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
// ASCII letters only; other characters stay as they are. (CompareText and SameText,
// which fold more letters, are in rtl/TextFold.h.)
std::string UpperCase(const std::string& s);
std::string LowerCase(const std::string& s);
WideString UpperCaseW(const WideString& s);
// Case-insensitive comparison of UTF-8 text by the user's locale (<0, 0, >0).
int AnsiCompareText(const std::string& a, const std::string& b);
bool AnsiSameText(const std::string& a, const std::string& b);
bool AnsiStartsText(const std::string& subText, const std::string& text);
std::string AnsiUpperCase(const std::string& s);
std::string AnsiLowerCase(const std::string& s);

}  // namespace veskin
