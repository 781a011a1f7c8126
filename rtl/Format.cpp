#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "rtl/DecimalDigits.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

namespace veskin {

namespace {

[[noreturn]] void FormatError(const std::string& format) {
    throw EConvertError("Format '" + format + "' invalid or incompatible with argument");
}

std::string Digits(std::uint64_t v) { return std::to_string(v); }

// Magnitude of a signed value without overflow at the smallest value.
std::uint64_t Magnitude(std::int64_t v) {
    return v < 0 ? ~static_cast<std::uint64_t>(v) + 1 : static_cast<std::uint64_t>(v);
}

// The unsigned view of an integer argument: a negative value that fits 32 bits is
// taken as a 32-bit pattern, as the framework's Integer arguments are.
std::uint64_t UnsignedView(const FormatArg& a) {
    if (a.GetKind() == FormatArg::Kind::UInt) return a.UInt();
    const std::int64_t v = a.Int();
    if (v < 0 && v >= std::numeric_limits<std::int32_t>::min())
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
    return static_cast<std::uint64_t>(v);
}

std::string ZeroPad(std::string digits, int precision) {
    if (precision > static_cast<int>(digits.size()))
        digits.insert(digits.begin(), static_cast<std::size_t>(precision) - digits.size(), '0');
    return digits;
}

// "-d.dddE+ddd": `precision` significant digits, at least three exponent digits.
std::string ExponentText(double v, int precision, const TFormatSettings& fs) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    precision = std::clamp(precision, 1, 18);
    DecimalDigits d = ToDecimalDigits(v, precision);
    std::string digits = d.Digits;
    int exp = d.Exponent - 1;
    if (digits.empty()) exp = 0;
    digits.resize(static_cast<std::size_t>(precision), '0');
    std::string s = d.Negative ? "-" : "";
    s.push_back(digits[0]);
    if (precision > 1) {
        s.push_back(fs.DecimalSeparator);
        s.append(digits, 1, std::string::npos);
    }
    s.push_back('E');
    s.push_back(exp < 0 ? '-' : '+');
    s += ZeroPad(std::to_string(exp < 0 ? -exp : exp), 3);
    return s;
}

// "-ddd.ddd" with `decimals` digits after the separator; thousands grouped when asked.
std::string FixedText(double v, int decimals, bool group, const TFormatSettings& fs) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    decimals = std::clamp(decimals, 0, 18);
    if (std::fabs(v) >= 1e18) return ExponentText(v, 15, fs);
    const DecimalDigits d = ToFixedDigits(v, decimals);
    std::string intPart, fracPart;
    if (d.Exponent > 0) {
        intPart = d.Digits.substr(0, std::min<std::size_t>(d.Digits.size(), static_cast<std::size_t>(d.Exponent)));
        intPart.append(static_cast<std::size_t>(d.Exponent) - intPart.size(), '0');
        if (d.Digits.size() > static_cast<std::size_t>(d.Exponent))
            fracPart = d.Digits.substr(static_cast<std::size_t>(d.Exponent));
    } else {
        intPart = "0";
        fracPart = std::string(static_cast<std::size_t>(-d.Exponent), '0') + d.Digits;
    }
    if (d.Digits.empty()) {
        intPart.assign(1, '0');
        fracPart.clear();
    }
    fracPart.resize(static_cast<std::size_t>(decimals), '0');
    if (group && fs.ThousandSeparator != 0) {
        std::string g;
        const std::size_t n = intPart.size();
        for (std::size_t i = 0; i < n; ++i) {
            if (i > 0 && (n - i) % 3 == 0) g.push_back(fs.ThousandSeparator);
            g.push_back(intPart[i]);
        }
        intPart = g;
    }
    std::string s = d.Negative ? "-" : "";
    s += intPart;
    if (decimals > 0) {
        s.push_back(fs.DecimalSeparator);
        s += fracPart;
    }
    return s;
}

}  // namespace

std::string Format(const std::string& format, const std::vector<FormatArg>& args, const TFormatSettings& fs) {
    std::string out;
    std::size_t argIndex = 0;
    std::size_t i = 0;
    const std::size_t n = format.size();
    auto number = [&](int& value) {
        // A number, or "*" taking the next argument (which must be an integer).
        if (i < n && format[i] == '*') {
            ++i;
            if (argIndex >= args.size() || args[argIndex].GetKind() == FormatArg::Kind::Str ||
                args[argIndex].GetKind() == FormatArg::Kind::Float)
                FormatError(format);
            const FormatArg& a = args[argIndex++];
            const std::int64_t v = a.GetKind() == FormatArg::Kind::Int ? a.Int() : static_cast<std::int64_t>(a.UInt());
            value = static_cast<int>(std::clamp<std::int64_t>(v, -1000000, 1000000));
            return true;
        }
        if (i >= n || std::isdigit(static_cast<unsigned char>(format[i])) == 0) return false;
        std::int64_t v = 0;
        while (i < n && std::isdigit(static_cast<unsigned char>(format[i])) != 0) {
            v = std::min<std::int64_t>(v * 10 + (format[i] - '0'), 1000000);
            ++i;
        }
        value = static_cast<int>(v);
        return true;
    };

    while (i < n) {
        const char c = format[i];
        if (c != '%') {
            out.push_back(c);
            ++i;
            continue;
        }
        ++i;
        if (i < n && format[i] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        // [index ":"] ["-"] [width] ["." precision] type
        int first = -1;
        if (number(first)) {
            if (i < n && format[i] == ':') {
                if (first < 0) FormatError(format);
                argIndex = static_cast<std::size_t>(first);
                ++i;
                first = -1;
            }
        }
        bool left = false;
        if (first < 0) {
            if (i < n && format[i] == '-') {
                left = true;
                ++i;
            }
            number(first);
        }
        int width = first < 0 ? 0 : first;
        if (width < 0) {
            // A negative width from "*" means left alignment, as in C.
            left = true;
            width = -width;
        }
        int precision = -1;
        if (i < n && format[i] == '.') {
            ++i;
            if (!number(precision)) precision = 0;
            if (precision < 0) precision = -1;
        }
        if (i >= n) FormatError(format);
        const char type = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
        ++i;
        if (argIndex >= args.size()) FormatError(format);
        const FormatArg& a = args[argIndex++];
        const bool isInt = a.GetKind() == FormatArg::Kind::Int || a.GetKind() == FormatArg::Kind::UInt;
        std::string text;
        switch (type) {
            case 'd': {
                if (!isInt) FormatError(format);
                const bool neg = a.GetKind() == FormatArg::Kind::Int && a.Int() < 0;
                const std::uint64_t mag = a.GetKind() == FormatArg::Kind::Int ? Magnitude(a.Int()) : a.UInt();
                if (neg) text.push_back('-');
                text += ZeroPad(Digits(mag), precision);
                break;
            }
            case 'u':
                if (!isInt) FormatError(format);
                text = ZeroPad(Digits(UnsignedView(a)), precision);
                break;
            case 'x':
                if (!isInt) FormatError(format);
                text = IntToHex(UnsignedView(a), precision < 0 ? 0 : precision);
                break;
            case 'e':
            case 'f':
            case 'g':
            case 'n':
            case 'm': {
                if (a.GetKind() != FormatArg::Kind::Float) FormatError(format);
                const double v = a.Float();
                if (type == 'e') text = ExponentText(v, precision < 0 ? 15 : precision, fs);
                else if (type == 'g') text = FloatToStrGeneral(v, precision < 0 ? 15 : precision, 3, fs);
                else text = FixedText(v, precision < 0 ? 2 : precision, type != 'f', fs);
                break;
            }
            case 's':
                if (a.GetKind() != FormatArg::Kind::Str) FormatError(format);
                text = a.Str();
                if (precision >= 0 && static_cast<std::size_t>(precision) < text.size())
                    text.resize(static_cast<std::size_t>(precision));
                break;
            default: FormatError(format);
        }
        if (static_cast<int>(text.size()) < width) {
            const std::size_t pad = static_cast<std::size_t>(width) - text.size();
            if (left) text.append(pad, ' ');
            else text.insert(text.begin(), pad, ' ');
        }
        out += text;
    }
    return out;
}

std::string Format(const std::string& format, const std::vector<FormatArg>& args) {
    return Format(format, args, FormatSettings());
}

std::string Format(const std::string& format, std::initializer_list<FormatArg> args) {
    return Format(format, std::vector<FormatArg>(args), FormatSettings());
}

}  // namespace veskin
