// DMTF date-time text: yyyymmddHHMMSS.mmmmmmsUUU, written with the milliseconds and
// read back with the offset returned separately.
#include "platform/DmtfText.h"
#include "platform/TimeZone.h"
#include "rtl/DateTime.h"
#include "rtl/SysUtils.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin {

WideString WmiDateTimeToDmtf(std::int32_t utcOffset, TDateTime dateTime) {
    int year, month, day, hour, minute, second, msec;
    DecodeDateTime(dateTime, year, month, day, hour, minute, second, msec);
    return AnsiToWide(DmtfText({year, month, day, hour, minute, second, msec * 1000, utcOffset}));
}

bool WmiLocalStandardOffset(std::int32_t& offset) { return LocalStandardOffset(offset); }

WideString WmiDateTimeToDmtfLocal(TDateTime dateTime) {
    std::int32_t offset = 0;
    if (!WmiLocalStandardOffset(offset)) offset = 0;
    return WmiDateTimeToDmtf(offset, dateTime);
}

namespace {

// Characters first..first+count-1 (1-based), as far as the text reaches.
std::string Piece(const std::string& text, std::size_t first, std::size_t count) {
    if (first > text.size()) return std::string();
    return text.substr(first - 1, count);
}

// A piece of a date-time: an integer in 0..65535.
bool ReadWord(const std::string& text, std::size_t first, std::size_t count, int& value) {
    // Up to four plain digits, as DMTF text has them, are read in place.
    if (first >= 1 && count >= 1 && count <= 4 && first - 1 + count <= text.size()) {
        const std::size_t begin = first - 1, end = begin + count;
        int digits = 0;
        std::size_t i = begin;
        for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) digits = digits * 10 + (text[i] - '0');
        if (i == end) {
            value = digits;
            return true;
        }
    }
    int v = 0;
    if (!TryStrToInt(Piece(text, first, count), v) || v < 0 || v > 65535) return false;
    value = v;
    return true;
}

}  // namespace

void WmiDmtfDecode(const AnsiString& dmtf, TDateTime& dateTime, std::int32_t& utcOffset) {
    dateTime = 0;
    utcOffset = 0;
    std::string text = dmtf;
    for (char& c : text)
        if (c == '*') c = '0';
    if (text.empty()) return;

    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, micro = 0;
    bool ok = ReadWord(text, 1, 4, year) && ReadWord(text, 5, 2, month) && ReadWord(text, 7, 2, day) &&
              ReadWord(text, 9, 2, hour) && ReadWord(text, 11, 2, minute) && ReadWord(text, 13, 2, second) &&
              TryStrToInt(Piece(text, 16, 6), micro);
    int offset = 0;
    if (!TryStrToInt(Piece(text, 22, 4), offset)) offset = 0;
    if (ok) {
        // A part written as asterisks (or zero) is today's; the clock is read only then.
        if (year == 0 || month == 0 || day == 0) {
            int curYear, curMonth, curDay;
            DecodeDate(Date(), curYear, curMonth, curDay);
            if (year == 0) year = curYear;
            if (month == 0) month = curMonth;
            if (day == 0) day = curDay;
        }
        TDateTime date = 0, time = 0;
        // Microseconds are cut to milliseconds, not rounded.
        ok = TryEncodeDate(year, month, day, date) && TryEncodeTime(hour, minute, second, micro / 1000, time);
        // Before 1899-12-30 the time of day counts away from zero, like the date;
        // adding it there would land on the following day.
        if (ok) dateTime = date < 0 ? date - time : date + time;
    }
    if (!ok) {
        dateTime = 0;
        throw TWmiException("Invaid date format: " + text);
    }
    utcOffset = offset;
}

TDateTime WmiDmtfToDateTime(const AnsiString& dmtf) {
    TDateTime dateTime = 0;
    std::int32_t offset = 0;
    WmiDmtfDecode(dmtf, dateTime, offset);
    return dateTime;
}

}  // namespace veskin
