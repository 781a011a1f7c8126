#include "rtl/WideString.h"

#include <cstdint>

namespace veskin {

namespace {

// Number of continuation bytes expected after a UTF-8 lead byte, or -1 when the byte
// cannot start a sequence.
int TrailCount(unsigned char b) {
    if (b < 0x80) return 0;
    if (b >= 0xC2 && b <= 0xDF) return 1;
    if (b >= 0xE0 && b <= 0xEF) return 2;
    if (b >= 0xF0 && b <= 0xF4) return 3;
    return -1;
}

}  // namespace

WideString AnsiToWide(std::string_view text) {
    const std::size_t n = text.size();
    // ASCII, by far the most common text, widens byte by byte.
    std::size_t i = 0;
    while (i < n && static_cast<unsigned char>(text[i]) < 0x80) ++i;
    WideString out(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(i));
    if (i == n) return out;
    out.reserve(n);
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int trail = TrailCount(lead);
        if (trail == 0) {
            out.push_back(static_cast<char16_t>(lead));
            ++i;
            continue;
        }
        if (trail < 0) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        std::uint32_t cp = lead & (0x3Fu >> trail);
        // The second byte has a narrower range for some leads (no overlong forms, no
        // surrogates, nothing above U+10FFFF).
        unsigned char lo = 0x80, hi = 0xBF;
        if (lead == 0xE0) lo = 0xA0;
        else if (lead == 0xED) hi = 0x9F;
        else if (lead == 0xF0) lo = 0x90;
        else if (lead == 0xF4) hi = 0x8F;
        std::size_t j = i + 1;
        int got = 0;
        bool ok = true;
        while (got < trail) {
            if (j >= n) {
                ok = false;
                break;
            }
            const unsigned char c = static_cast<unsigned char>(text[j]);
            const unsigned char cLo = got == 0 ? lo : 0x80;
            const unsigned char cHi = got == 0 ? hi : 0xBF;
            if (c < cLo || c > cHi) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3Fu);
            ++j;
            ++got;
        }
        if (!ok) {
            // A truncated or broken sequence counts as one bad character; the byte that
            // broke it starts the next one.
            out.push_back(u'\uFFFD');
            i = j > i + 1 ? j : i + 1;
            continue;
        }
        AppendUtf16(out, cp);
        i = j;
    }
    return out;
}

AnsiString WideToAnsi(const WideString& text) {
    const std::size_t n = text.size();
    // The ASCII start of the text (usually all of it) is copied unit for unit.
    std::size_t ascii = 0;
    while (ascii < n && text[ascii] < 0x80) ++ascii;
    AnsiString out(ascii, '\0');
    for (std::size_t i = 0; i < ascii; ++i) out[i] = static_cast<char>(text[i]);
    if (ascii == n) return out;
    out.reserve(n + (n - ascii) * 2);
    for (std::size_t i = ascii; i < n; ++i) {
        std::uint32_t cp = text[i];
        if (IsHighSurrogate(cp)) {
            if (i + 1 < n && IsLowSurrogate(text[i + 1])) {
                cp = CombineSurrogates(cp, text[i + 1]);
                ++i;
            } else {
                out.push_back('?');  // unpaired surrogate: not representable
                continue;
            }
        } else if (IsLowSurrogate(cp)) {
            out.push_back('?');
            continue;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace veskin
