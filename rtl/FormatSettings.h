#pragma once
// The user's date, time and number formats. They are read once from the C library's
// locale named by the environment (LC_TIME, LC_NUMERIC); tests and the program may
// replace them with SetFormatSettings.
//
// Date/time patterns use the framework's letters: d dd ddd dddd, m mm mmm mmmm,
// yy yyyy, h hh, n nn, s ss, z zzz, am/pm, ampm; "/" stands for DateSeparator and
// ":" for TimeSeparator; text in '...' or "..." is copied as it is.
#include <string>

namespace veskin {

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "dd/mm/yyyy";
    std::string LongDateFormat = "dddd, d mmmm yyyy";
    std::string ShortTimeFormat = "hh:nn";
    std::string LongTimeFormat = "hh:nn:ss";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string LongMonthNames[12] = {"January", "February", "March", "April",
                                      "May", "June", "July", "August",
                                      "September", "October", "November", "December"};
    std::string ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::string LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                   "Thursday", "Friday", "Saturday"};
};

// The settings in force. The first call reads them from the environment's locale.
const TFormatSettings& FormatSettings();

// Replaces the settings in force (tests, or a program that wants fixed formats). Not
// meant to race with conversions running on other threads.
void SetFormatSettings(const TFormatSettings& settings);

// Reads the settings of a named C library locale ("" = the one the environment names;
// a locale that is not installed gives the "C" locale's settings).
TFormatSettings LocaleFormatSettings(const char* localeName = "");

// Converts a C library date/time format (strftime letters, as nl_langinfo gives them)
// into the framework's pattern: "%d/%m/%Y" -> "dd/mm/yyyy", "%H:%M:%S" -> "hh:nn:ss".
// Literal characters equal to dateSeparator become "/" and those equal to
// timeSeparator become ":" (0 = none), since patterns read those as the separators.
std::string StrftimeToPattern(const std::string& strftimeFormat, char dateSeparator = '/',
                              char timeSeparator = ':');

}  // namespace veskin
