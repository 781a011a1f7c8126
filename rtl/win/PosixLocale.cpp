// POSIX locale calls over the Windows national-language support.
#include "rtl/win/posix/langinfo.h"

#include <algorithm>
#include <string>

#include "rtl/WideString.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

struct VeskinPosixLocale {
    std::wstring Name;  // the Windows locale name; empty for the C locale
    std::string Items[VESKIN_NL_ITEM_COUNT];
};

namespace {

const char* const CMonths[12] = {"January", "February", "March", "April", "May", "June",
                                 "July", "August", "September", "October", "November", "December"};
const char* const CDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

void FillC(VeskinPosixLocale& loc, bool utf8) {
    loc.Items[CODESET] = utf8 ? "UTF-8" : "ANSI_X3.4-1968";
    loc.Items[RADIXCHAR] = ".";
    loc.Items[THOUSEP] = "";
    loc.Items[D_FMT] = "%m/%d/%y";
    loc.Items[T_FMT] = "%H:%M:%S";
    loc.Items[AM_STR] = "AM";
    loc.Items[PM_STR] = "PM";
    for (int i = 0; i < 12; ++i) {
        loc.Items[MON_1 + i] = CMonths[i];
        loc.Items[ABMON_1 + i] = std::string(CMonths[i], 3);
    }
    for (int i = 0; i < 7; ++i) {
        loc.Items[DAY_1 + i] = CDays[i];
        loc.Items[ABDAY_1 + i] = std::string(CDays[i], 3);
    }
}

std::string Utf8(const std::wstring& w) {
    return veskin::WideToAnsi(veskin::WideString(w.begin(), w.end()));
}

std::wstring Info(const std::wstring& name, LCTYPE type) {
    wchar_t buffer[128] = {};
    const int n = ::GetLocaleInfoEx(name.c_str(), type, buffer, 128);
    return n > 0 ? std::wstring(buffer, static_cast<std::size_t>(n - 1)) : std::wstring();
}

// A Windows date or time picture ("dd/MM/yyyy", "HH:mm:ss", "h:mm:ss tt") in the
// strftime letters the run-time converts from.
// d, dd, ddd, dddd: day number, two-digit day, short and long weekday name.
const char* DayPicture(std::size_t run) {
    static const char* const forms[] = {"%-d", "%d", "%a", "%A"};
    return forms[std::min<std::size_t>(run, 4) - 1];
}

// M, MM, MMM, MMMM: month number, two-digit month, short and long month name.
const char* MonthPicture(std::size_t run) {
    static const char* const forms[] = {"%-m", "%m", "%b", "%B"};
    return forms[std::min<std::size_t>(run, 4) - 1];
}

std::string PictureToStrftime(const std::wstring& picture) {
    std::string out;
    for (std::size_t i = 0; i < picture.size();) {
        const wchar_t c = picture[i];
        if (c == L'\'') {
            const std::size_t end = picture.find(L'\'', i + 1);
            const std::wstring quoted = picture.substr(i + 1, (end == std::wstring::npos ? picture.size() : end) - i - 1);
            for (char ch : Utf8(quoted)) out += ch == '%' ? std::string("%%") : std::string(1, ch);
            i = end == std::wstring::npos ? picture.size() : end + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        switch (c) {
            case L'd': out += DayPicture(run); break;
            case L'M': out += MonthPicture(run); break;
            case L'y': out += run <= 2 ? "%y" : "%Y"; break;
            case L'h': out += run == 1 ? "%-I" : "%I"; break;
            case L'H': out += run == 1 ? "%-H" : "%H"; break;
            case L'm': out += run == 1 ? "%-M" : "%M"; break;
            case L's': out += run == 1 ? "%-S" : "%S"; break;
            case L't': out += "%p"; break;
            case L'g': break;  // the era has no counterpart
            case L'%': out.append(run * 2, '%'); break;
            default: out += Utf8(std::wstring(run, c)); break;
        }
        i += run;
    }
    return out;
}

bool FillWindows(VeskinPosixLocale& loc) {
    const std::wstring& n = loc.Name;
    // The run-time's 8-bit text is UTF-8 on every platform.
    loc.Items[CODESET] = "UTF-8";
    loc.Items[RADIXCHAR] = Utf8(Info(n, LOCALE_SDECIMAL));
    loc.Items[THOUSEP] = Utf8(Info(n, LOCALE_STHOUSAND));
    loc.Items[D_FMT] = PictureToStrftime(Info(n, LOCALE_SSHORTDATE));
    loc.Items[T_FMT] = PictureToStrftime(Info(n, LOCALE_STIMEFORMAT));
    loc.Items[AM_STR] = Utf8(Info(n, LOCALE_S1159));
    loc.Items[PM_STR] = Utf8(Info(n, LOCALE_S2359));
    for (int i = 0; i < 12; ++i) {
        loc.Items[MON_1 + i] = Utf8(Info(n, static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + i)));
        loc.Items[ABMON_1 + i] = Utf8(Info(n, static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + i)));
    }
    // POSIX counts the days from Sunday, Windows from Monday.
    for (int i = 0; i < 7; ++i) {
        const int win = (i + 6) % 7;
        loc.Items[DAY_1 + i] = Utf8(Info(n, static_cast<LCTYPE>(LOCALE_SDAYNAME1 + win)));
        loc.Items[ABDAY_1 + i] = Utf8(Info(n, static_cast<LCTYPE>(LOCALE_SABBREVDAYNAME1 + win)));
    }
    return !loc.Items[RADIXCHAR].empty();
}

// "de_DE.UTF-8@euro" -> "de-DE".
std::wstring WindowsName(const std::string& posixName) {
    std::string base = posixName.substr(0, posixName.find_first_of(".@"));
    for (char& c : base)
        if (c == '_') c = '-';
    return std::wstring(base.begin(), base.end());
}

}  // namespace

locale_t newlocale(int, const char* name, locale_t base) {
    freelocale(base);
    const std::string text = name != nullptr ? name : "";
    auto* loc = new VeskinPosixLocale;
    if (text == "C" || text == "POSIX" || text == "C.UTF-8" || text == "C.utf8") {
        FillC(*loc, text.size() > 1 && text != "POSIX");
        return loc;
    }
    if (text.empty()) {
        wchar_t user[LOCALE_NAME_MAX_LENGTH] = {};
        if (::GetUserDefaultLocaleName(user, LOCALE_NAME_MAX_LENGTH) > 0) loc->Name = user;
    } else {
        loc->Name = WindowsName(text);
        if (!::IsValidLocaleName(loc->Name.c_str())) loc->Name.clear();
    }
    if (loc->Name.empty() || !FillWindows(*loc)) {
        delete loc;
        return nullptr;
    }
    return loc;
}

void freelocale(locale_t locale) { delete locale; }

const char* nl_langinfo_l(nl_item item, locale_t locale) {
    if (locale == nullptr || item < 0 || item >= VESKIN_NL_ITEM_COUNT) return "";
    return locale->Items[item].c_str();
}

namespace {

wint_t MapCase(wint_t c, locale_t locale, DWORD flags) {
    if (locale == nullptr || locale->Name.empty()) {
        if (flags & LCMAP_UPPERCASE) return c >= L'a' && c <= L'z' ? c - 32 : c;
        return c >= L'A' && c <= L'Z' ? c + 32 : c;
    }
    wchar_t in = static_cast<wchar_t>(c), out = in;
    if (::LCMapStringEx(locale->Name.c_str(), flags | LCMAP_LINGUISTIC_CASING, &in, 1, &out, 1,
                        nullptr, nullptr, 0) != 1)
        return c;
    return static_cast<wint_t>(out);
}

}  // namespace

wint_t towupper_l(wint_t c, locale_t locale) { return MapCase(c, locale, LCMAP_UPPERCASE); }
wint_t towlower_l(wint_t c, locale_t locale) { return MapCase(c, locale, LCMAP_LOWERCASE); }

int wcscoll_l(const wchar_t* a, const wchar_t* b, locale_t locale) {
    if (locale == nullptr || locale->Name.empty()) return wcscmp(a, b);
    const int r = ::CompareStringEx(locale->Name.c_str(), 0, a, -1, b, -1, nullptr, nullptr, 0);
    if (r == 0) return wcscmp(a, b);
    return r - CSTR_EQUAL;
}
