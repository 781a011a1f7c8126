#pragma once
// Date-time values: a double counting days since 1899-12-30, the fraction being the
// time of day. Encoding, decoding, the current time, and the text forms in the user's
// formats.
#include <cstdint>
#include <string>

#include "rtl/FormatSettings.h"

namespace veskin {

using TDateTime = double;

constexpr double HoursPerDay = 24;
constexpr double MinsPerDay = 24 * 60;
constexpr double SecsPerDay = 24 * 60 * 60;
constexpr double MSecsPerDay = 24.0 * 60 * 60 * 1000;

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);

// Years 1..9999 and a valid day of the month; false otherwise.
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
// hour < 24, min < 60, sec < 60, msec < 1000 (all >= 0); false otherwise.
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time);
// As the Try forms; an invalid value raises EConvertError
// "Invalid argument to date encode" / "Invalid argument to time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec);

// Splits a date-time into its parts. Values outside years 1..9999 give all zeros.
void DecodeDate(TDateTime date, int& year, int& month, int& day);
void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec);
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& min,
                    int& sec, int& msec);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime date);

// Local time of the computer.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Text forms in the user's formats (or the given settings).
std::string DateToStr(TDateTime value);
std::string DateToStr(TDateTime value, const TFormatSettings& fs);
std::string TimeToStr(TDateTime value);
std::string TimeToStr(TDateTime value, const TFormatSettings& fs);
// The date, then one blank and the time unless the time of day is exactly 00:00:00.
std::string DateTimeToStr(TDateTime value);
std::string DateTimeToStr(TDateTime value, const TFormatSettings& fs);
// Formats by a pattern (see FormatSettings.h); "c" is the short date and long time,
// "ddddd" the short date, "dddddd" the long date, "t" the short time, "tt" the long time.
std::string FormatDateTime(const std::string& pattern, TDateTime value);
std::string FormatDateTime(const std::string& pattern, TDateTime value, const TFormatSettings& fs);

// Reads a date, a time, or a date and a time separated by blanks, as DateTimeToStr
// writes them in the given settings: the date's day, month and year in the order of
// ShortDateFormat, separated by DateSeparator; the time as h:n[:s[.z]] with an
// optional AM/PM marker. Unparsable text gives false.
bool TryStrToDateTime(const std::string& text, TDateTime& value);
bool TryStrToDateTime(const std::string& text, TDateTime& value, const TFormatSettings& fs);
// As the Try form; failure raises EConvertError "'%s' is not a valid date and time".
TDateTime StrToDateTime(const std::string& text);

}  // namespace veskin
