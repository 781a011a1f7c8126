#include "rtl/SysUtils.h"

#include <langinfo.h>
#include <locale.h>
#include <wchar.h>
#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <limits>

#include "rtl/DecimalDigits.h"
#include "rtl/Exception.h"

namespace veskin {

// ---- integers --------------------------------------------------------------------

std::string IntToStr(std::int64_t value) { return std::to_string(value); }
std::string UIntToStr(std::uint64_t value) { return std::to_string(value); }

namespace {

std::string Hex(std::uint64_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.push_back(kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(s.size()) < digits) s.push_back('0');
    std::reverse(s.begin(), s.end());
    return s;
}

// Parses an integer with the framework's rules: leading blanks, an optional sign, then
// decimal digits or hex digits after "$", "x" or "0x". Decimal and hex alike must lie
// within [-(max+1), max].
bool ParseInteger(const std::string& text, std::uint64_t max, std::int64_t& result) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n) return false;
    const std::uint64_t base = hex ? 16 : 10;
    const std::uint64_t limit = negative ? max + 1 : max;
    // value * base + d stays within limit while value < limit / base, or value equals it
    // and d is at most limit % base: two divisions per text instead of one per digit.
    const std::uint64_t most = limit / base, last = limit % base;
    std::uint64_t value = 0;
    for (; i < n; ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        if (value > most || (value == most && static_cast<std::uint64_t>(d) > last)) return false;
        value = value * base + static_cast<std::uint64_t>(d);
    }
    const std::uint64_t u = negative ? (~value + 1) : value;
    std::memcpy(&result, &u, sizeof result);
    return true;
}

[[noreturn]] void NotInteger(const std::string& text) {
    throw EConvertError("'" + text + "' is not a valid integer value");
}

}  // namespace

std::string IntToHex(std::int32_t value, int digits) {
    return Hex(static_cast<std::uint32_t>(value), digits);
}
std::string IntToHex(std::uint32_t value, int digits) { return Hex(value, digits); }
std::string IntToHex(std::int64_t value, int digits) {
    return Hex(static_cast<std::uint64_t>(value), digits);
}
std::string IntToHex(std::uint64_t value, int digits) { return Hex(value, digits); }

bool TryStrToInt64(const std::string& text, std::int64_t& value) {
    std::int64_t r = 0;
    if (!ParseInteger(text, static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()), r)) return false;
    value = r;
    return true;
}

bool TryStrToInt(const std::string& text, int& value) {
    std::int64_t r = 0;
    if (!ParseInteger(text, static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()), r)) return false;
    value = static_cast<int>(r);
    return true;
}

std::int64_t StrToInt64(const std::string& text) {
    std::int64_t v = 0;
    if (!TryStrToInt64(text, v)) NotInteger(text);
    return v;
}

int StrToInt(const std::string& text) {
    int v = 0;
    if (!TryStrToInt(text, v)) NotInteger(text);
    return v;
}

int StrToIntDef(const std::string& text, int defaultValue) {
    int v = 0;
    return TryStrToInt(text, v) ? v : defaultValue;
}

// ---- floating point --------------------------------------------------------------

bool TryStrToFloat(const std::string& text, double& value) {
    return TryStrToFloat(text, value, FormatSettings());
}

bool TryStrToFloat(const std::string& text, double& value, const TFormatSettings& fs) {
    const std::string t = Trim(text);
    std::size_t i = 0;
    const std::size_t n = t.size();
    std::string plain;  // the number in the C library's own notation
    if (i < n && (t[i] == '+' || t[i] == '-')) {
        if (t[i] == '-') plain.push_back('-');
        ++i;
    }
    std::size_t digits = 0;
    while (i < n && t[i] >= '0' && t[i] <= '9') {
        plain.push_back(t[i++]);
        ++digits;
    }
    if (i < n && t[i] == fs.DecimalSeparator) {
        plain.push_back('.');
        ++i;
        while (i < n && t[i] >= '0' && t[i] <= '9') {
            plain.push_back(t[i++]);
            ++digits;
        }
    }
    if (digits == 0) return false;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        plain.push_back('e');
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-')) plain.push_back(t[i++]);
        std::size_t expDigits = 0;
        while (i < n && t[i] >= '0' && t[i] <= '9') {
            plain.push_back(t[i++]);
            ++expDigits;
        }
        if (expDigits == 0) return false;
    }
    if (i != n) return false;
    double d = 0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), d);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large overflows; too small is zero.
        bool tiny = plain.find("e-") != std::string::npos;
        if (!tiny) return false;
        d = 0;
    } else if (res.ec != std::errc() || res.ptr != plain.data() + plain.size()) {
        return false;
    }
    value = d;
    return true;
}

double StrToFloat(const std::string& text) {
    double d = 0;
    if (!TryStrToFloat(text, d)) throw EConvertError("'" + text + "' is not a valid floating point value");
    return d;
}

std::string FloatToStrGeneral(double value, int precision, int expDigits, const TFormatSettings& fs) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    precision = std::clamp(precision, 1, 18);
    expDigits = std::clamp(expDigits, 0, 4);
    DecimalDigits d = ToDecimalDigits(value, precision);
    while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
    if (d.Digits.empty()) return "0";
    std::string s = d.Negative ? "-" : "";
    const int exp = d.Exponent;  // value = 0.d1d2... * 10^exp
    if (exp > precision || exp < -3) {
        s.push_back(d.Digits[0]);
        if (d.Digits.size() > 1) {
            s.push_back(fs.DecimalSeparator);
            s.append(d.Digits, 1, std::string::npos);
        }
        s.push_back('E');
        int e = exp - 1;
        if (e < 0) {
            s.push_back('-');
            e = -e;
        }
        std::string es = std::to_string(e);
        while (static_cast<int>(es.size()) < expDigits) es.insert(es.begin(), '0');
        s += es;
    } else if (exp <= 0) {
        s += '0';
        s.push_back(fs.DecimalSeparator);
        s.append(static_cast<std::size_t>(-exp), '0');
        s += d.Digits;
    } else {
        const auto intLen = static_cast<std::size_t>(exp);
        if (d.Digits.size() <= intLen) {
            s += d.Digits;
            s.append(intLen - d.Digits.size(), '0');
        } else {
            s.append(d.Digits, 0, intLen);
            s.push_back(fs.DecimalSeparator);
            s.append(d.Digits, intLen, std::string::npos);
        }
    }
    return s;
}

std::string FloatToStr(double value) { return FloatToStrGeneral(value, 15, 0, FormatSettings()); }
std::string FloatToStr(double value, const TFormatSettings& fs) { return FloatToStrGeneral(value, 15, 0, fs); }

std::string CurrToStr(std::int64_t scaled) { return CurrToStr(scaled, FormatSettings()); }

std::string CurrToStr(std::int64_t scaled, const TFormatSettings& fs) {
    const bool negative = scaled < 0;
    const std::uint64_t mag = negative ? (~static_cast<std::uint64_t>(scaled) + 1) : static_cast<std::uint64_t>(scaled);
    std::string s = negative ? "-" : "";
    s += std::to_string(mag / 10000);
    std::string frac = std::to_string(mag % 10000);
    frac.insert(frac.begin(), 4 - frac.size(), '0');
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    if (!frac.empty()) {
        s.push_back(fs.DecimalSeparator);
        s += frac;
    }
    return s;
}

// ---- text ------------------------------------------------------------------------

std::string TrimLeft(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= 32) ++i;
    return s.substr(i);
}

std::string TrimRight(const std::string& s) {
    std::size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= 32) --n;
    return s.substr(0, n);
}

std::string Trim(const std::string& s) { return TrimRight(TrimLeft(s)); }

std::string UpperCase(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string LowerCase(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

WideString UpperCaseW(const WideString& s) {
    WideString r = s;
    for (char16_t& c : r)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return r;
}

namespace {

// Locales used for case folding (needs Unicode case tables) and for collation (the
// user's order). Created once; locale_t objects are safe to share between threads.
struct TextLocales {
    locale_t Fold = nullptr;
    locale_t Collate = nullptr;
    TextLocales() {
        locale_t user = newlocale(LC_CTYPE_MASK | LC_COLLATE_MASK, "", static_cast<locale_t>(nullptr));
        if (user != nullptr) {
            const char* codeset = nl_langinfo_l(CODESET, user);
            if (codeset != nullptr && std::strcmp(codeset, "UTF-8") == 0) Fold = user;
            Collate = user;
        }
        if (Fold == nullptr)
            Fold = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    }
};

const TextLocales& Locales() {
    static const TextLocales instance;
    return instance;
}

std::wstring FoldUtf8(const std::string& s, bool upper) {
    const WideString w = AnsiToWide(s);
    std::wstring out;
    out.reserve(w.size());
    locale_t loc = Locales().Fold;
    for (std::size_t i = 0; i < w.size(); ++i) {
        char32_t cp = w[i];
        if (IsHighSurrogate(cp) && i + 1 < w.size() && IsLowSurrogate(w[i + 1])) {
            if constexpr (sizeof(wchar_t) == 2) {
                // UTF-16 wide characters: the pair stays as it is (no case mapping).
                out.push_back(static_cast<wchar_t>(w[i]));
                out.push_back(static_cast<wchar_t>(w[i + 1]));
                ++i;
                continue;
            }
            cp = CombineSurrogates(cp, w[i + 1]);
            ++i;
        }
        wint_t c = static_cast<wint_t>(cp);
        if (loc != nullptr) c = upper ? towupper_l(c, loc) : towlower_l(c, loc);
        else if (c < 128) c = upper ? static_cast<wint_t>(std::toupper(static_cast<int>(c))) : static_cast<wint_t>(std::tolower(static_cast<int>(c)));
        out.push_back(static_cast<wchar_t>(c));
    }
    return out;
}

std::string WToUtf8(const std::wstring& w) {
    WideString u;
    for (wchar_t wc : w) AppendUtf16(u, static_cast<char32_t>(wc));
    return WideToAnsi(u);
}

}  // namespace

int AnsiCompareText(const std::string& a, const std::string& b) {
    const std::wstring fa = FoldUtf8(a, true);
    const std::wstring fb = FoldUtf8(b, true);
    if (fa == fb) return 0;
    locale_t coll = Locales().Collate;
    int r = coll != nullptr ? wcscoll_l(fa.c_str(), fb.c_str(), coll) : 0;
    if (r == 0) r = fa.compare(fb);  // texts that differ never compare equal
    return r < 0 ? -1 : 1;
}

bool AnsiSameText(const std::string& a, const std::string& b) { return AnsiCompareText(a, b) == 0; }

bool AnsiStartsText(const std::string& subText, const std::string& text) {
    const std::wstring fs = FoldUtf8(subText, true);
    const std::wstring ft = FoldUtf8(text, true);
    return ft.compare(0, fs.size(), fs) == 0 && ft.size() >= fs.size();
}

std::string AnsiUpperCase(const std::string& s) { return WToUtf8(FoldUtf8(s, true)); }
std::string AnsiLowerCase(const std::string& s) { return WToUtf8(FoldUtf8(s, false)); }

}  // namespace veskin
