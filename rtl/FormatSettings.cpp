#include "rtl/FormatSettings.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <cstring>

namespace veskin {

namespace {

// Appends literal text to a pattern; letters are quoted so that they are not taken
// for pattern letters, and the separators "/" and ":" are quoted likewise because a
// pattern reads them as the separator settings.
void AppendLiteral(std::string& out, const std::string& text, char dateSep, char timeSep) {
    std::string quoted;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        char mapped = 0;
        if (dateSep != 0 && c == dateSep) mapped = '/';
        else if (timeSep != 0 && c == timeSep) mapped = ':';
        if (mapped == 0 && (std::isalpha(u) || c == '/' || c == ':')) {
            quoted.push_back(c);
            continue;
        }
        if (!quoted.empty()) {
            out += '"' + quoted + '"';
            quoted.clear();
        }
        if (c == '"') out += "'\"'";
        else if (c == '\'') out += "\"'\"";
        else out.push_back(mapped != 0 ? mapped : c);
    }
    if (!quoted.empty()) out += '"' + quoted + '"';
}

std::string Langinfo(nl_item item, locale_t loc) {
    const char* s = nl_langinfo_l(item, loc);
    return s != nullptr ? std::string(s) : std::string();
}

// The first character of `pattern` that is neither a pattern letter nor a quote:
// the separator between the date's (or time's) parts.
char FirstSeparator(const std::string& strftimeFormat, char fallback) {
    bool percent = false;
    for (char c : strftimeFormat) {
        if (percent) {
            percent = (c == 'E' || c == 'O' || c == '-' || c == '_' || c == '0' || c == '^' || c == '#');
            continue;
        }
        if (c == '%') {
            percent = true;
            continue;
        }
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != ' ') return c;
    }
    return fallback;
}

}  // namespace

std::string StrftimeToPattern(const std::string& f, char dateSeparator, char timeSeparator) {
    std::string out;
    std::string literal;
    auto flush = [&] {
        if (!literal.empty()) {
            AppendLiteral(out, literal, dateSeparator, timeSeparator);
            literal.clear();
        }
    };
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%') {
            literal.push_back(f[i]);
            continue;
        }
        // Flags, width and the E/O modifiers of glibc change nothing here, except that
        // "-" (no padding) asks for the short form of a number.
        bool noPad = false;
        std::size_t j = i + 1;
        while (j < f.size() && std::strchr("-_0^#", f[j]) != nullptr) {
            if (f[j] == '-') noPad = true;
            ++j;
        }
        while (j < f.size() && std::isdigit(static_cast<unsigned char>(f[j]))) ++j;
        while (j < f.size() && (f[j] == 'E' || f[j] == 'O')) ++j;
        if (j >= f.size()) break;
        const char c = f[j];
        i = j;
        std::string piece;
        switch (c) {
            case 'd': piece = noPad ? "d" : "dd"; break;
            case 'e': piece = "d"; break;
            case 'm': piece = noPad ? "m" : "mm"; break;
            case 'Y':
            case 'G': piece = "yyyy"; break;
            case 'y':
            case 'g': piece = "yy"; break;
            case 'H':
            case 'k': piece = (noPad || c == 'k') ? "h" : "hh"; break;
            case 'I':
            case 'l': piece = (noPad || c == 'l') ? "h" : "hh"; break;
            case 'M': piece = noPad ? "n" : "nn"; break;
            case 'S': piece = noPad ? "s" : "ss"; break;
            case 'p':
            case 'P': piece = "ampm"; break;
            case 'b':
            case 'h': piece = "mmm"; break;
            case 'B': piece = "mmmm"; break;
            case 'a': piece = "ddd"; break;
            case 'A': piece = "dddd"; break;
            case 'D': piece = "mm/dd/yy"; break;
            case 'F': piece = "yyyy-mm-dd"; break;
            case 'T': piece = "hh:nn:ss"; break;
            case 'R': piece = "hh:nn"; break;
            case 'r': piece = "hh:nn:ss ampm"; break;
            case 'n':
            case 't': literal.push_back(' '); continue;
            case '%': literal.push_back('%'); continue;
            default: continue;  // time zone and the like have no counterpart
        }
        flush();
        out += piece;
    }
    flush();
    return out;
}

TFormatSettings LocaleFormatSettings(const char* localeName) {
    TFormatSettings fs;
    locale_t loc = newlocale(LC_TIME_MASK | LC_NUMERIC_MASK, localeName != nullptr ? localeName : "",
                             static_cast<locale_t>(nullptr));
    if (loc == nullptr) loc = newlocale(LC_TIME_MASK | LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    if (loc == nullptr) return fs;

    const std::string dec = Langinfo(RADIXCHAR, loc);
    if (dec.size() == 1) fs.DecimalSeparator = dec[0];
    const std::string thou = Langinfo(THOUSEP, loc);
    // A thousands separator that is not one byte (none, or a multi-byte space) is kept
    // as the plain default.
    if (thou.size() == 1) fs.ThousandSeparator = thou[0];

    const std::string dfmt = Langinfo(D_FMT, loc);
    const std::string tfmt = Langinfo(T_FMT, loc);
    if (!dfmt.empty()) {
        fs.DateSeparator = FirstSeparator(dfmt, '/');
        fs.ShortDateFormat = StrftimeToPattern(dfmt, fs.DateSeparator, 0);
    }
    if (!tfmt.empty()) {
        fs.TimeSeparator = FirstSeparator(tfmt, ':');
        fs.LongTimeFormat = StrftimeToPattern(tfmt, 0, fs.TimeSeparator);
        // The short time is the long one without its seconds.
        std::string shortTime = fs.LongTimeFormat;
        for (const char* sec : {":ss", ":s"}) {
            const auto pos = shortTime.find(sec);
            if (pos != std::string::npos) {
                shortTime.erase(pos, std::strlen(sec));
                break;
            }
        }
        fs.ShortTimeFormat = shortTime;
    }
    const std::string am = Langinfo(AM_STR, loc);
    const std::string pm = Langinfo(PM_STR, loc);
    if (!am.empty()) fs.TimeAMString = am;
    if (!pm.empty()) fs.TimePMString = pm;
    for (int i = 0; i < 12; ++i) {
        fs.ShortMonthNames[i] = Langinfo(static_cast<nl_item>(ABMON_1 + i), loc);
        fs.LongMonthNames[i] = Langinfo(static_cast<nl_item>(MON_1 + i), loc);
    }
    for (int i = 0; i < 7; ++i) {
        fs.ShortDayNames[i] = Langinfo(static_cast<nl_item>(ABDAY_1 + i), loc);
        fs.LongDayNames[i] = Langinfo(static_cast<nl_item>(DAY_1 + i), loc);
    }
    freelocale(loc);
    return fs;
}

namespace {

TFormatSettings& Current() {
    static TFormatSettings settings = LocaleFormatSettings("");
    return settings;
}

}  // namespace

const TFormatSettings& FormatSettings() { return Current(); }

void SetFormatSettings(const TFormatSettings& settings) { Current() = settings; }

}  // namespace veskin
