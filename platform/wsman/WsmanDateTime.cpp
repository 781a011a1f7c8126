#include "platform/wsman/WsmanDateTime.h"

#include <cstdint>
#include <cstdio>

#include "platform/DmtfText.h"
#include "platform/wsman/WsmanDecoder.h"
#include "platform/wsman/WsmanText.h"

namespace veskin {

namespace {

struct Reader {
    std::string_view Text;
    std::size_t Pos = 0;

    bool AtEnd() const { return Pos == Text.size(); }
    bool Peek(char c) const { return Pos < Text.size() && Text[Pos] == c; }
    bool Take(char c) {
        if (!Peek(c)) return false;
        ++Pos;
        return true;
    }
    bool IsDigit() const { return Pos < Text.size() && Text[Pos] >= '0' && Text[Pos] <= '9'; }
    // Exactly n digits.
    bool Fixed(int n, int& value) {
        value = 0;
        for (int i = 0; i < n; ++i) {
            if (!IsDigit()) return false;
            value = value * 10 + (Text[Pos++] - '0');
        }
        return true;
    }
    // One or more digits, at most maxDigits.
    bool Number(int maxDigits, std::uint64_t& value) {
        value = 0;
        int n = 0;
        while (IsDigit()) {
            if (++n > maxDigits) return false;
            value = value * 10 + static_cast<std::uint64_t>(Text[Pos++] - '0');
        }
        return n > 0;
    }
    // ".ffff": up to six digits count, more are cut off.
    bool Fraction(int& micro) {
        micro = 0;
        if (!Take('.')) return true;
        int n = 0;
        while (IsDigit()) {
            if (n < 6) micro = micro * 10 + (Text[Pos] - '0');
            ++n;
            ++Pos;
        }
        for (int i = n; i < 6; ++i) micro *= 10;
        return n > 0;
    }
    // "Z", "+hh:mm", "-hh:mm" or nothing (taken as UTC).
    bool Offset(int& minutes) {
        minutes = 0;
        if (AtEnd() || Take('Z')) return true;
        const bool negative = Peek('-');
        if (!Take('+') && !Take('-')) return false;
        int h, m;
        if (!Fixed(2, h) || !Take(':') || !Fixed(2, m) || h > 14 || m > 59) return false;
        minutes = (h * 60 + m) * (negative ? -1 : 1);
        return true;
    }
    bool Date(int& y, int& mo, int& d) {
        if (!Fixed(4, y) || !Take('-') || !Fixed(2, mo) || !Take('-') || !Fixed(2, d)) return false;
        static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > days[mo - 1]) return false;
        const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        return !(mo == 2 && d == 29 && !leap);
    }
    bool Time(int& h, int& mi, int& s, int& micro) {
        return Fixed(2, h) && Take(':') && Fixed(2, mi) && Take(':') && Fixed(2, s) &&
               Fraction(micro) && h <= 23 && mi <= 59 && s <= 60;
    }
};

char Sign(int offset) { return offset < 0 ? '-' : '+'; }

int Abs(int offset) { return offset < 0 ? -offset : offset; }

}  // namespace

std::string DmtfFromXsDateTime(std::string_view text) {
    Reader r{TrimXml(text)};
    int y, mo, d, h, mi, s, micro, offset;
    if (!r.Date(y, mo, d) || !r.Take('T') || !r.Time(h, mi, s, micro) || !r.Offset(offset) ||
        !r.AtEnd())
        return {};
    return DmtfText({y, mo, d, h, mi, s, micro, offset});
}

std::string DmtfFromXsDate(std::string_view text) {
    Reader r{TrimXml(text)};
    int y, mo, d, offset;
    if (!r.Date(y, mo, d) || !r.Offset(offset) || !r.AtEnd()) return {};
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d******.******%c%03d", y, mo, d, Sign(offset),
                  Abs(offset));
    return buf;
}

std::string DmtfFromXsTime(std::string_view text) {
    Reader r{TrimXml(text)};
    int h, mi, s, micro, offset;
    if (!r.Time(h, mi, s, micro) || !r.Offset(offset) || !r.AtEnd()) return {};
    char buf[96];
    std::snprintf(buf, sizeof buf, "********%02d%02d%02d.%06d%c%03d", h, mi, s, micro, Sign(offset),
                  Abs(offset));
    return buf;
}

std::string DmtfFromXsDuration(std::string_view text) {
    Reader r{TrimXml(text)};
    if (!r.Take('P')) return {};
    // Years and months have no fixed length: only zero ones can be carried.
    std::uint64_t parts[6] = {};  // Y M D H M S
    const char designators[] = {'Y', 'M', 'D', 'H', 'M', 'S'};
    int micro = 0;
    int next = 0;
    bool any = false, inTime = false;
    while (!r.AtEnd()) {
        if (!inTime && r.Take('T')) {
            inTime = true;
            next = 3;
            if (r.AtEnd()) return {};
            continue;
        }
        std::uint64_t n;
        if (!r.Number(12, n)) return {};
        int fraction = 0;
        if (r.Peek('.') && !r.Fraction(fraction)) return {};
        if (r.AtEnd()) return {};
        int slot = next;
        while (slot < (inTime ? 6 : 3) && designators[slot] != r.Text[r.Pos]) ++slot;
        if (slot == (inTime ? 6 : 3)) return {};
        ++r.Pos;
        if (fraction && slot != 5) return {};
        parts[slot] = n;
        if (slot == 5) micro = fraction;
        next = slot + 1;
        any = true;
    }
    if (!any || parts[0] || parts[1]) return {};
    const std::uint64_t seconds = parts[2] * 86400 + parts[3] * 3600 + parts[4] * 60 + parts[5];
    const std::uint64_t days = seconds / 86400;
    if (days > 99999999) return {};
    const auto rest = static_cast<unsigned>(seconds % 86400);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%08llu%02u%02u%02u.%06d:000",
                  static_cast<unsigned long long>(days), rest / 3600, rest / 60 % 60, rest % 60,
                  micro);
    return buf;
}

std::string XsFromDmtf(std::string_view dmtf, bool& isInterval) {
    isInterval = false;
    if (dmtf.size() != 25 || dmtf[14] != '.') return {};
    for (std::size_t i = 0; i < 25; ++i) {
        if (i == 14 || i == 21) continue;
        if (dmtf[i] < '0' || dmtf[i] > '9') return {};
    }
    auto num = [&](std::size_t from, std::size_t count) {
        int v = 0;
        for (std::size_t i = from; i < from + count; ++i) v = v * 10 + (dmtf[i] - '0');
        return v;
    };
    const int micro = num(15, 6);
    char buf[128];
    if (dmtf[21] == ':') {
        if (dmtf.substr(22) != "000") return {};
        const int h = num(8, 2), mi = num(10, 2), s = num(12, 2);
        if (h > 23 || mi > 59 || s > 59) return {};
        isInterval = true;
        std::snprintf(buf, sizeof buf, "P%dDT%dH%dM%d.%06dS", num(0, 8), h, mi, s, micro);
        return buf;
    }
    if (dmtf[21] != '+' && dmtf[21] != '-') return {};
    const int y = num(0, 4), mo = num(4, 2), d = num(6, 2), h = num(8, 2), mi = num(10, 2),
              s = num(12, 2), offset = num(22, 3);
    if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60) return {};
    if (offset == 0) {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%06dZ", y, mo, d, h, mi, s,
                      micro);
    } else {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%06d%c%02d:%02d", y, mo, d, h,
                      mi, s, micro, dmtf[21], offset / 60, offset % 60);
    }
    return buf;
}

}  // namespace veskin
