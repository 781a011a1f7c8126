#pragma once
// The POSIX locale calls the run-time reads the user's formats and text rules with
// (newlocale, nl_langinfo_l, towupper_l, towlower_l, wcscoll_l), answered on Windows
// from the system locale of the same name. Only on the include path of the Windows
// build of the run-time.
#include <wchar.h>

struct VeskinPosixLocale;
typedef VeskinPosixLocale* locale_t;
typedef int nl_item;

#define LC_CTYPE_MASK 0x01
#define LC_NUMERIC_MASK 0x02
#define LC_TIME_MASK 0x04
#define LC_COLLATE_MASK 0x08

enum : nl_item {
    CODESET = 0,
    RADIXCHAR,
    THOUSEP,
    D_FMT,
    T_FMT,
    AM_STR,
    PM_STR,
    ABMON_1,
    MON_1 = ABMON_1 + 12,
    ABDAY_1 = MON_1 + 12,
    DAY_1 = ABDAY_1 + 7,
    VESKIN_NL_ITEM_COUNT = DAY_1 + 7
};

// "" is the user's locale, "C" and "POSIX" the C locale, "C.UTF-8" the C locale with
// UTF-8 text, "ll_CC[.codeset][@modifier]" the Windows locale ll-CC. Null when the
// system does not know the locale. base is freed, as POSIX does with it.
locale_t newlocale(int categoryMask, const char* name, locale_t base);
void freelocale(locale_t locale);
// The item's text in UTF-8; lives as long as the locale.
const char* nl_langinfo_l(nl_item item, locale_t locale);
wint_t towupper_l(wint_t c, locale_t locale);
wint_t towlower_l(wint_t c, locale_t locale);
int wcscoll_l(const wchar_t* a, const wchar_t* b, locale_t locale);
