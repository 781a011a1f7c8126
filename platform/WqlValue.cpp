#include "platform/WqlValue.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "rtl/IntegerText.h"
#include "rtl/TextFold.h"

namespace veskin {

std::optional<WqlNumber> WqlParseNumber(const WideString& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == u' ' || text[b] == u'\t')) ++b;
    while (e > b && (text[e - 1] == u' ' || text[e - 1] == u'\t')) --e;
    if (b == e || e - b > 400) return std::nullopt;
    std::string s;
    s.reserve(e - b);
    for (std::size_t i = b; i < e; ++i) {
        if (text[i] > 0x7F) return std::nullopt;
        s.push_back(static_cast<char>(text[i]));
    }
    bool negative = false;
    std::size_t p = 0;
    if (s[p] == '+' || s[p] == '-') {
        negative = s[p] == '-';
        ++p;
    }
    if (p == s.size()) return std::nullopt;
    // Hexadecimal integer.
    if (s.size() - p > 2 && s[p] == '0' && (s[p + 1] == 'x' || s[p + 1] == 'X')) {
        std::uint64_t v = 0;
        for (std::size_t i = p + 2; i < s.size(); ++i) {
            char c = s[i];
            int d = (c >= '0' && c <= '9')   ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : -1;
            if (d < 0 || v > (std::numeric_limits<std::uint64_t>::max() >> 4)) return std::nullopt;
            v = (v << 4) | static_cast<std::uint64_t>(d);
        }
        if (!negative) return WqlNumber::FromUInt(v);
        if (v <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return WqlNumber::FromInt(-static_cast<std::int64_t>(v));
        return WqlNumber::FromReal(-static_cast<double>(v));
    }
    std::size_t i = p;
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    bool integral = true;
    if (i < s.size() && s[i] == '.') {
        integral = false;
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        integral = false;
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    std::uint64_t v = 0;
    // Integers beyond 64 bits are taken as reals.
    if (integral && TryParseDecimal(std::string_view(s).substr(p), v)) {
        if (!negative) return WqlNumber::FromUInt(v);
        if (v <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return WqlNumber::FromInt(-static_cast<std::int64_t>(v));
        if (v == static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1)
            return WqlNumber::FromInt(std::numeric_limits<std::int64_t>::min());
    }
    double d = std::strtod(s.c_str(), nullptr);
    return WqlNumber::FromReal(d);
}

namespace {

double AsReal(const WqlNumber& n) {
    switch (n.NumKind) {
        case WqlNumber::Int: return static_cast<double>(n.I);
        case WqlNumber::UInt: return static_cast<double>(n.U);
        case WqlNumber::Real: return n.D;
    }
    return 0;
}

template <class T>
int Order(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

}  // namespace

std::optional<int> WqlCompareNumbers(const WqlNumber& a, const WqlNumber& b) {
    if (a.NumKind != WqlNumber::Real && b.NumKind != WqlNumber::Real) {
        // Exact integer comparison across signed and unsigned.
        if (a.NumKind == WqlNumber::Int && b.NumKind == WqlNumber::Int) return Order(a.I, b.I);
        if (a.NumKind == WqlNumber::UInt && b.NumKind == WqlNumber::UInt) return Order(a.U, b.U);
        if (a.NumKind == WqlNumber::Int) {
            if (a.I < 0) return -1;
            return Order(static_cast<std::uint64_t>(a.I), b.U);
        }
        if (b.I < 0) return 1;
        return Order(a.U, static_cast<std::uint64_t>(b.I));
    }
    double x = AsReal(a), y = AsReal(b);
    if (std::isnan(x) || std::isnan(y)) return std::nullopt;
    return Order(x, y);
}

namespace {

// The integer kinds whose value RawInt gives whole (all but unsigned 64-bit).
bool IsRawIntKind(TVarType type) {
    switch (type) {
        case varSmallint:
        case varInteger:
        case varShortInt:
        case varByte:
        case varWord:
        case varLongWord:
        case varInt64:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<WqlNumber> WqlValueAsNumber(const Variant& value) {
    const Variant& v = value.Deref();
    if (IsRawIntKind(v.VarType())) return WqlNumber::FromInt(v.RawInt());
    switch (v.VarType()) {
        case varUInt64:
            return WqlNumber::FromUInt(v.RawUInt64());
        case varSingle:
        case varDouble:
            return WqlNumber::FromReal(v.RawDouble());
        case varBoolean:
            return WqlNumber::FromInt(v.RawBool() ? 1 : 0);
        case varOleStr:
            return WqlParseNumber(v.RawOleStr());
        case varString:
            return WqlParseNumber(AnsiToWide(v.RawString()));
        default:
            return std::nullopt;
    }
}

namespace {

WideString Ascii(const std::string& s) { return WideString(s.begin(), s.end()); }

}  // namespace

std::optional<WideString> WqlValueAsText(const Variant& value) {
    const Variant& v = value.Deref();
    if (IsRawIntKind(v.VarType())) return Ascii(std::to_string(v.RawInt()));
    switch (v.VarType()) {
        case varOleStr:
            return v.RawOleStr();
        case varString:
            return AnsiToWide(v.RawString());
        case varUInt64:
            return Ascii(std::to_string(v.RawUInt64()));
        case varSingle:
        case varDouble: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.15g", v.RawDouble());
            return Ascii(buf);
        }
        case varBoolean:
            return v.RawBool() ? W("TRUE") : W("FALSE");
        default:
            return std::nullopt;
    }
}

namespace {

struct LikeElem {
    enum Kind { AnyRun,
                AnyOne,
                Set,
                Char } ElemKind = Char;
    char16_t C = 0;
    bool Negate = false;
    std::vector<std::pair<char16_t, char16_t>> Ranges;  // folded bounds

    bool Accepts(char16_t ch) const {
        const char16_t f = FoldCase(ch);
        switch (ElemKind) {
            case AnyOne: return true;
            case Char: return f == C;
            case Set: {
                bool in = false;
                for (const auto& r : Ranges)
                    if ((f >= r.first && f <= r.second) || (ch >= r.first && ch <= r.second)) {
                        in = true;
                        break;
                    }
                return in != Negate;
            }
            case AnyRun: return false;
        }
        return false;
    }
};

std::vector<LikeElem> CompileLike(const WideString& pattern) {
    std::vector<LikeElem> out;
    const std::size_t n = pattern.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = pattern[i];
        LikeElem e;
        if (c == u'%') {
            if (!out.empty() && out.back().ElemKind == LikeElem::AnyRun) continue;
            e.ElemKind = LikeElem::AnyRun;
        } else if (c == u'_') {
            e.ElemKind = LikeElem::AnyOne;
        } else if (c == u'[') {
            // Find the closing bracket; a ']' right after '[' or '[^' belongs to the set.
            std::size_t j = i + 1;
            bool negate = false;
            if (j < n && pattern[j] == u'^') {
                negate = true;
                ++j;
            }
            std::size_t first = j;
            std::size_t close = std::u16string::npos;
            for (std::size_t k = first; k < n; ++k) {
                if (pattern[k] == u']' && k > first) {
                    close = k;
                    break;
                }
            }
            if (close == std::u16string::npos) {
                e.ElemKind = LikeElem::Char;  // an unclosed '[' stands for itself
                e.C = u'[';
            } else {
                e.ElemKind = LikeElem::Set;
                e.Negate = negate;
                for (std::size_t k = first; k < close; ++k) {
                    char16_t lo = pattern[k];
                    if (k + 2 < close && pattern[k + 1] == u'-') {
                        char16_t hi = pattern[k + 2];
                        if (hi < lo) std::swap(lo, hi);
                        e.Ranges.emplace_back(lo, hi);
                        // Letters in a range match either case.
                        e.Ranges.emplace_back(FoldCase(lo), FoldCase(hi));
                        k += 2;
                    } else {
                        char16_t f = FoldCase(lo);
                        e.Ranges.emplace_back(f, f);
                    }
                }
                i = close;
            }
        } else {
            e.ElemKind = LikeElem::Char;
            e.C = FoldCase(c);
        }
        out.push_back(std::move(e));
    }
    return out;
}

}  // namespace

bool WqlLike(const WideString& text, const WideString& pattern) {
    const std::vector<LikeElem> elems = CompileLike(pattern);
    const std::size_t m = elems.size(), n = text.size();
    std::size_t p = 0, s = 0;
    std::size_t starP = std::u16string::npos, starS = 0;
    while (s < n) {
        if (p < m && elems[p].ElemKind == LikeElem::AnyRun) {
            starP = p++;
            starS = s;
        } else if (p < m && elems[p].Accepts(text[s])) {
            ++p;
            ++s;
        } else if (starP != std::u16string::npos) {
            p = starP + 1;
            s = ++starS;
        } else {
            return false;
        }
    }
    while (p < m && elems[p].ElemKind == LikeElem::AnyRun) ++p;
    return p == m;
}

}  // namespace veskin
