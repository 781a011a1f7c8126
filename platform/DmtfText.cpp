#include "platform/DmtfText.h"

namespace veskin {

namespace {

// Writes value as width decimal digits ending just before end.
void Digits(char* end, unsigned value, int width) {
    for (int i = 0; i < width; ++i, value /= 10) *--end = static_cast<char>('0' + value % 10);
}

}  // namespace

std::string DmtfText(const DmtfFields& f) {
    // Written digit by digit: every datetime of every page of a remote answer passes here.
    std::string out(25, '.');
    char* p = out.data();
    Digits(p + 4, static_cast<unsigned>(f.Year), 4);
    Digits(p + 6, static_cast<unsigned>(f.Month), 2);
    Digits(p + 8, static_cast<unsigned>(f.Day), 2);
    Digits(p + 10, static_cast<unsigned>(f.Hour), 2);
    Digits(p + 12, static_cast<unsigned>(f.Minute), 2);
    Digits(p + 14, static_cast<unsigned>(f.Second), 2);
    Digits(p + 21, static_cast<unsigned>(f.Microseconds), 6);
    p[21] = f.OffsetMinutes < 0 ? '-' : '+';
    const unsigned offset = f.OffsetMinutes < 0 ? 0u - static_cast<unsigned>(f.OffsetMinutes)
                                                : static_cast<unsigned>(f.OffsetMinutes);
    if (offset <= 999) {
        Digits(p + 25, offset, 3);
        return out;
    }
    out.resize(22);
    out += std::to_string(offset);
    return out;
}

}  // namespace veskin
