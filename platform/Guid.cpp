#include <cstdio>

#include "platform/ComTypes.h"
#include "rtl/Exception.h"

namespace veskin {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void BadGuid(const std::string& text) {
    throw EConvertError("'" + text + "' is not a valid GUID value");
}

}  // namespace

GUID GUID::Parse(const std::string& text) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: 38 characters.
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') BadGuid(text);
    std::uint8_t bytes[16];
    std::size_t pos = 1;
    int byteIndex = 0;
    static constexpr int kGroupBytes[5] = {4, 2, 2, 2, 6};
    for (int group = 0; group < 5; ++group) {
        if (group > 0) {
            if (text[pos] != '-') BadGuid(text);
            ++pos;
        }
        for (int i = 0; i < kGroupBytes[group]; ++i) {
            int hi = HexDigit(text[pos]);
            int lo = HexDigit(text[pos + 1]);
            if (hi < 0 || lo < 0) BadGuid(text);
            bytes[byteIndex++] = static_cast<std::uint8_t>(hi * 16 + lo);
            pos += 2;
        }
    }
    if (pos != 37) BadGuid(text);
    GUID g;
    g.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
              (std::uint32_t{bytes[2]} << 8) | bytes[3];
    g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
    return g;
}

std::string GUID::ToString() const {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(Data1), static_cast<unsigned>(Data2),
                  static_cast<unsigned>(Data3), Data4[0], Data4[1], Data4[2], Data4[3],
                  Data4[4], Data4[5], Data4[6], Data4[7]);
    return buf;
}

bool GUID::operator==(const GUID& other) const {
    if (Data1 != other.Data1 || Data2 != other.Data2 || Data3 != other.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (Data4[i] != other.Data4[i]) return false;
    return true;
}

bool GUID::operator<(const GUID& other) const {
    if (Data1 != other.Data1) return Data1 < other.Data1;
    if (Data2 != other.Data2) return Data2 < other.Data2;
    if (Data3 != other.Data3) return Data3 < other.Data3;
    for (int i = 0; i < 8; ++i)
        if (Data4[i] != other.Data4[i]) return Data4[i] < other.Data4[i];
    return false;
}

}  // namespace veskin
