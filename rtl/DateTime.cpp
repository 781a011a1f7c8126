#include "rtl/DateTime.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "rtl/Exception.h"
#include "rtl/LocalTime.h"
#include "rtl/SysUtils.h"

namespace veskin {

namespace {

constexpr std::int64_t kMSecsPerDay = 86400000;
constexpr int kDateDelta = 693594;  // days from 0001-01-01 (day 1) to 1899-12-30
constexpr int kCumDays[2][13] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
                                 {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};

// Days since 0001-01-01 (as day 1) and milliseconds of the day, rounded to the
// millisecond as a whole so that a value a hair below a full second decodes as that
// second. Before 1899-12-30 the day counts back and the time is counted forward
// from the day's start, as the framework stores such values.
void ToTimeStamp(TDateTime value, std::int64_t& day, std::int64_t& msec) {
    const double ms = std::round(value * static_cast<double>(kMSecsPerDay));
    if (!(std::fabs(ms) < 9.0e17)) {  // far outside any date (or NaN)
        day = 0;
        msec = 0;
        return;
    }
    const auto t = static_cast<std::int64_t>(ms);
    day = kDateDelta + t / kMSecsPerDay;
    msec = std::llabs(t) % kMSecsPerDay;
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
    if (month < 1 || month > 12) return 0;
    const int leap = IsLeapYear(year) ? 1 : 0;
    return kCumDays[leap][month] - kCumDays[leap][month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
    if (day < 1 || day > DaysInAMonth(year, month)) return false;
    const int leap = IsLeapYear(year) ? 1 : 0;
    const int y = year - 1;
    const int days = y * 365 + y / 4 - y / 100 + y / 400 + kCumDays[leap][month - 1] + day;
    date = static_cast<double>(days - kDateDelta);
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time) {
    if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000)
        return false;
    const std::int64_t ms = ((static_cast<std::int64_t>(hour) * 60 + min) * 60 + sec) * 1000 + msec;
    time = static_cast<double>(ms) / static_cast<double>(kMSecsPerDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime d = 0;
    if (!TryEncodeDate(year, month, day, d)) throw EConvertError("Invalid argument to date encode");
    return d;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    TDateTime t = 0;
    if (!TryEncodeTime(hour, min, sec, msec, t)) throw EConvertError("Invalid argument to time encode");
    return t;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec) {
    const TDateTime d = EncodeDate(year, month, day);
    const TDateTime t = EncodeTime(hour, min, sec, msec);
    // Before 1899-12-30 the time of day counts away from zero, like the date.
    return d < 0 ? d - t : d + t;
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
    std::int64_t t = 0, ms = 0;
    ToTimeStamp(date, t, ms);
    year = month = day = 0;
    if (t <= 0 || t > 3652059) return;  // outside 0001-01-01 .. 9999-12-31
    --t;
    int y = 1;
    y += static_cast<int>(t / 146097) * 400;
    t %= 146097;
    std::int64_t i = t / 36524, d = t % 36524;
    if (i == 4) {
        --i;
        d += 36524;
    }
    y += static_cast<int>(i) * 100;
    i = d / 1461;
    d %= 1461;
    y += static_cast<int>(i) * 4;
    i = d / 365;
    d %= 365;
    if (i == 4) {
        --i;
        d += 365;
    }
    y += static_cast<int>(i);
    const int leap = IsLeapYear(y) ? 1 : 0;
    int m = 1;
    while (d >= kCumDays[leap][m]) ++m;
    year = y;
    month = m;
    day = static_cast<int>(d - kCumDays[leap][m - 1]) + 1;
}

void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec) {
    std::int64_t day = 0, ms = 0;
    ToTimeStamp(time, day, ms);
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& min, int& sec,
                    int& msec) {
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, min, sec, msec);
}

int DayOfWeek(TDateTime date) {
    std::int64_t day = 0, ms = 0;
    ToTimeStamp(date, day, ms);
    // Day 1 (0001-01-01) was a Monday.
    return static_cast<int>(((day % 7) + 7) % 7) + 1;
}

TDateTime Now() {
    const auto now = std::chrono::system_clock::now();
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const std::time_t secs = std::chrono::system_clock::to_time_t(now);
    const int msPart = static_cast<int>(((sinceEpoch % 1000) + 1000) % 1000);
    tm local{};
    ToLocalTime(secs, local);
    TDateTime d = 0, t = 0;
    TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, d);
    // A leap second (tm_sec 60) is shown as the last second of the minute.
    TryEncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                  msPart, t);
    return d + t;
}

TDateTime Date() { return std::floor(Now()); }

TDateTime Time() {
    const TDateTime n = Now();
    return n - std::floor(n);
}

// ---- text forms ------------------------------------------------------------------

namespace {

// Appends value in decimal, with leading zeros up to width digits.
void AppendPadded(std::string& out, int value, int width) {
    char digits[16];
    int n = 0;
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) out.push_back('-');
    for (int i = n; i < width; ++i) out.push_back('0');
    while (n > 0) out.push_back(digits[--n]);
}

// The parts of one date-time, decoded once for a whole pattern and its nested patterns.
struct DateTimeParts {
    TDateTime Value;
    int Year, Month, Day, Hour, Min, Sec, Msec;
};

// Pattern letters are ASCII; the C library's tolower is locale-aware and slow here.
inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchAt(std::string_view p, std::size_t i, const char* word) {
    for (std::size_t k = 0; word[k] != '\0'; ++k) {
        if (i + k >= p.size()) return false;
        if (Lower(p[i + k]) != word[k]) return false;
    }
    return true;
}

// Whether the pattern asks for the 12-hour clock (an am/pm marker outside quotes).
bool UsesTwelveHours(std::string_view p) {
    bool marker = false;  // no 'a' at all is the usual case, found fast
    for (const char c : p) marker = marker || Lower(c) == 'a';
    if (!marker) return false;
    char quote = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (quote != 0) {
            if (p[i] == quote) quote = 0;
            continue;
        }
        if (p[i] == '"' || p[i] == '\'') quote = p[i];
        else if (MatchAt(p, i, "am/pm") || MatchAt(p, i, "a/p") || MatchAt(p, i, "ampm")) return true;
    }
    return false;
}

void FormatInto(std::string& out, std::string_view p, const DateTimeParts& t, const TFormatSettings& fs, int depth) {
    if (depth > 2) return;  // "c" inside ShortDateFormat and the like
    const TDateTime value = t.Value;
    const int year = t.Year, month = t.Month, day = t.Day, hour = t.Hour, min = t.Min, sec = t.Sec, msec = t.Msec;
    const bool twelve = UsesTwelveHours(p);
    bool afterHour = false;
    std::size_t i = 0;
    while (i < p.size()) {
        const char raw = p[i];
        const char c = Lower(raw);
        std::size_t run = 1;
        while (i + run < p.size() && Lower(p[i + run]) == c) ++run;
        switch (c) {
            case '"':
            case '\'': {
                const std::size_t end = p.find(raw, i + 1);
                if (end == std::string::npos) {
                    out.append(p, i + 1, std::string::npos);
                    i = p.size();
                } else {
                    out.append(p, i + 1, end - i - 1);
                    i = end + 1;
                }
                continue;
            }
            case 'c':
                FormatInto(out, fs.ShortDateFormat, t, fs, depth + 1);
                if (hour != 0 || min != 0 || sec != 0) {
                    out.push_back(' ');
                    FormatInto(out, fs.LongTimeFormat, t, fs, depth + 1);
                }
                i += 1;
                continue;
            case 'd':
                if (run >= 6) FormatInto(out, fs.LongDateFormat, t, fs, depth + 1);
                else if (run == 5) FormatInto(out, fs.ShortDateFormat, t, fs, depth + 1);
                else if (run == 4) out += fs.LongDayNames[DayOfWeek(value) - 1];
                else if (run == 3) out += fs.ShortDayNames[DayOfWeek(value) - 1];
                else AppendPadded(out, day, static_cast<int>(run));
                i += std::min<std::size_t>(run, 6);
                afterHour = false;
                continue;
            case 'm':
                if (afterHour && run <= 2) {
                    AppendPadded(out, min, static_cast<int>(run));
                } else if (run >= 4) {
                    if (month >= 1) out += fs.LongMonthNames[month - 1];
                } else if (run == 3) {
                    if (month >= 1) out += fs.ShortMonthNames[month - 1];
                } else {
                    AppendPadded(out, month, static_cast<int>(run));
                }
                i += std::min<std::size_t>(run, 4);
                afterHour = false;
                continue;
            case 'y':
                if (run <= 2)
                    AppendPadded(out, year % 100, 2);
                else
                    AppendPadded(out, year, 4);
                i += run;
                afterHour = false;
                continue;
            case 'h': {
                int h = hour;
                if (twelve) {
                    h %= 12;
                    if (h == 0) h = 12;
                }
                AppendPadded(out, h, run >= 2 ? 2 : 1);
                i += std::min<std::size_t>(run, 2);
                afterHour = true;
                continue;
            }
            case 'n':
                AppendPadded(out, min, run >= 2 ? 2 : 1);
                i += std::min<std::size_t>(run, 2);
                afterHour = false;
                continue;
            case 's':
                AppendPadded(out, sec, run >= 2 ? 2 : 1);
                i += std::min<std::size_t>(run, 2);
                afterHour = false;
                continue;
            case 'z':
                AppendPadded(out, msec, run >= 3 ? 3 : 1);
                i += std::min<std::size_t>(run, 3);
                afterHour = false;
                continue;
            case 't':
                FormatInto(out, run >= 2 ? fs.LongTimeFormat : fs.ShortTimeFormat, t, fs, depth + 1);
                i += std::min<std::size_t>(run, 2);
                afterHour = false;
                continue;
            case 'a':
                if (MatchAt(p, i, "am/pm")) {
                    // The marker's own case decides: "am/pm" lower, "AM/PM" upper.
                    const bool upper = std::isupper(static_cast<unsigned char>(raw)) != 0;
                    const char* m = hour < 12 ? "am" : "pm";
                    out += upper ? UpperCase(m) : std::string(m);
                    i += 5;
                } else if (MatchAt(p, i, "a/p")) {
                    const bool upper = std::isupper(static_cast<unsigned char>(raw)) != 0;
                    const char m = hour < 12 ? 'a' : 'p';
                    out.push_back(upper ? static_cast<char>(std::toupper(m)) : m);
                    i += 3;
                } else if (MatchAt(p, i, "ampm")) {
                    out += hour < 12 ? fs.TimeAMString : fs.TimePMString;
                    i += 4;
                } else {
                    out.push_back(raw);
                    i += 1;
                }
                continue;
            case '/':
                out.push_back(fs.DateSeparator);
                i += 1;
                continue;
            case ':':
                out.push_back(fs.TimeSeparator);
                i += 1;
                continue;
            default:
                out.push_back(raw);
                i += 1;
                continue;
        }
    }
}

DateTimeParts Decoded(TDateTime value) {
    DateTimeParts t{value, 0, 0, 0, 0, 0, 0, 0};
    DecodeDateTime(value, t.Year, t.Month, t.Day, t.Hour, t.Min, t.Sec, t.Msec);
    return t;
}

}  // namespace

std::string FormatDateTime(const std::string& pattern, TDateTime value, const TFormatSettings& fs) {
    std::string out;
    FormatInto(out, pattern.empty() ? std::string_view("c") : std::string_view(pattern), Decoded(value), fs, 0);
    return out;
}

std::string FormatDateTime(const std::string& pattern, TDateTime value) {
    return FormatDateTime(pattern, value, FormatSettings());
}

std::string DateToStr(TDateTime value, const TFormatSettings& fs) {
    return FormatDateTime("ddddd", value, fs);
}
std::string DateToStr(TDateTime value) { return DateToStr(value, FormatSettings()); }

std::string TimeToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime("tt", value, fs); }
std::string TimeToStr(TDateTime value) { return TimeToStr(value, FormatSettings()); }

std::string DateTimeToStr(TDateTime value, const TFormatSettings& fs) {
    // The date, then the long time unless it is midnight, as "ddddd tt" would give.
    const DateTimeParts t = Decoded(value);
    std::string out;
    out.reserve(24);
    FormatInto(out, "ddddd", t, fs, 0);
    if (t.Hour != 0 || t.Min != 0 || t.Sec != 0) {
        out.push_back(' ');
        FormatInto(out, "tt", t, fs, 0);
    }
    return out;
}
std::string DateTimeToStr(TDateTime value) { return DateTimeToStr(value, FormatSettings()); }

// ---- reading ---------------------------------------------------------------------

namespace {

struct Scanner {
    const std::string& s;
    std::size_t pos = 0;

    void SkipBlanks() {
        while (pos < s.size() && s[pos] == ' ') ++pos;
    }
    bool Number(int& value, int& digits) {
        value = 0;
        digits = 0;
        while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) != 0) {
            if (digits >= 9) return false;
            value = value * 10 + (s[pos] - '0');
            ++pos;
            ++digits;
        }
        return digits > 0;
    }
    bool Char(char c) {
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    bool Word(const std::string& w) {
        if (w.empty() || s.size() - pos < w.size()) return false;
        if (!AnsiSameText(s.substr(pos, w.size()), w)) return false;
        pos += w.size();
        return true;
    }
};

// The order of day, month and year in a date pattern, e.g. "dmy".
std::string DateOrder(const std::string& pattern) {
    std::string order;
    char quote = 0;
    for (char ch : pattern) {
        if (quote != 0) {
            if (ch == quote) quote = 0;
            continue;
        }
        if (ch == '"' || ch == '\'') {
            quote = ch;
            continue;
        }
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if ((c == 'd' || c == 'm' || c == 'y') && order.find(c) == std::string::npos) order.push_back(c);
    }
    return order.size() == 3 ? order : std::string("mdy");
}

int ExpandYear(int y, int digits) {
    if (digits > 2) return y;
    // Two-digit years fall into the 100 years that end 50 years from now.
    int cy, cm, cd;
    DecodeDate(Date(), cy, cm, cd);
    const int start = cy - 50;
    int year = start / 100 * 100 + y;
    if (year < start) year += 100;
    return year;
}

bool ScanDate(Scanner& sc, const TFormatSettings& fs, TDateTime& date) {
    int n[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int count = 0;
    if (!sc.Number(n[0], digits[0])) return false;
    count = 1;
    while (count < 3 && sc.Char(fs.DateSeparator)) {
        if (!sc.Number(n[count], digits[count])) return false;
        ++count;
    }
    if (count < 2) return false;
    const std::string order = DateOrder(fs.ShortDateFormat);
    int y = 0, m = 0, d = 0, yDigits = 4;
    if (count == 2) {
        // Day and month only: the current year.
        int cy, cm, cd;
        DecodeDate(Date(), cy, cm, cd);
        y = cy;
        const bool monthFirst = order.find('m') < order.find('d');
        m = monthFirst ? n[0] : n[1];
        d = monthFirst ? n[1] : n[0];
    } else {
        for (int k = 0; k < 3; ++k) {
            if (order[static_cast<std::size_t>(k)] == 'y') {
                y = n[k];
                yDigits = digits[k];
            } else if (order[static_cast<std::size_t>(k)] == 'm') m = n[k];
            else d = n[k];
        }
        y = ExpandYear(y, yDigits);
    }
    return TryEncodeDate(y, m, d, date);
}

bool ScanTime(Scanner& sc, const TFormatSettings& fs, TDateTime& time) {
    int h = 0, mi = 0, s = 0, ms = 0, digits = 0;
    if (!sc.Number(h, digits)) return false;
    if (sc.Char(fs.TimeSeparator)) {
        if (!sc.Number(mi, digits)) return false;
        if (sc.Char(fs.TimeSeparator)) {
            if (!sc.Number(s, digits)) return false;
            if (sc.Char(fs.DecimalSeparator)) {
                if (!sc.Number(ms, digits) || digits > 3) return false;
                for (; digits < 3; ++digits) ms *= 10;
            }
        }
    } else {
        // A bare number is an hour only when an AM/PM marker follows.
        sc.SkipBlanks();
        const std::size_t save = sc.pos;
        if (!(sc.Word(fs.TimeAMString) || sc.Word(fs.TimePMString) || sc.Word("AM") || sc.Word("PM")))
            return false;
        sc.pos = save;
    }
    sc.SkipBlanks();
    bool pm = false, marked = false;
    if (sc.Word(fs.TimeAMString) || sc.Word("AM")) marked = true;
    else if (sc.Word(fs.TimePMString) || sc.Word("PM")) marked = pm = true;
    if (marked) {
        if (h < 1 || h > 12) return false;
        h = h % 12 + (pm ? 12 : 0);
    }
    return TryEncodeTime(h, mi, s, ms, time);
}

}  // namespace

bool TryStrToDateTime(const std::string& text, TDateTime& value, const TFormatSettings& fs) {
    const std::string t = Trim(text);
    if (t.empty()) return false;
    Scanner sc{t};
    TDateTime date = 0, time = 0;
    // Decide between a date and a time by the separator after the first number.
    std::size_t k = 0;
    while (k < t.size() && std::isdigit(static_cast<unsigned char>(t[k])) != 0) ++k;
    const bool timeFirst = k < t.size() && t[k] != fs.DateSeparator &&
                           (t[k] == fs.TimeSeparator || t[k] == ' ');
    if (timeFirst) {
        if (!ScanTime(sc, fs, time)) return false;
    } else {
        if (!ScanDate(sc, fs, date)) return false;
        sc.SkipBlanks();
        if (sc.pos < t.size() && !ScanTime(sc, fs, time)) return false;
    }
    sc.SkipBlanks();
    if (sc.pos != t.size()) return false;
    value = date < 0 ? date - time : date + time;
    return true;
}

bool TryStrToDateTime(const std::string& text, TDateTime& value) {
    return TryStrToDateTime(text, value, FormatSettings());
}

TDateTime StrToDateTime(const std::string& text) {
    TDateTime v = 0;
    if (!TryStrToDateTime(text, v)) throw EConvertError("'" + text + "' is not a valid date and time");
    return v;
}

}  // namespace veskin
