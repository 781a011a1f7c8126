#include "platform/native/DmiInfo.h"

#include "platform/DmtfText.h"
#include "platform/native/TextFields.h"

namespace veskin {

std::optional<std::string> DmiField(const SystemFiles& files, std::string_view name) {
    auto line = files.ReadLine("sys/class/dmi/id/" + std::string(name));
    if (!line || line->empty()) return std::nullopt;
    return line;
}

bool DmiPresent(const SystemFiles& files) { return files.CountEntries("sys/class/dmi/id").has_value(); }

std::optional<std::string> DmiDateToDmtf(std::string_view text) {
    if (text.size() != 10 || text[2] != '/' || text[5] != '/') return std::nullopt;
    auto month = ToU64(text.substr(0, 2)), day = ToU64(text.substr(3, 2)), year = ToU64(text.substr(6, 4));
    if (!month || !day || !year || *month < 1 || *month > 12 || *day < 1 || *day > 31) return std::nullopt;
    return DmtfText({static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day), 0, 0, 0, 0, 0});
}

std::optional<DottedVersion> ParseDottedVersion(std::string_view text) {
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    auto major = ToU64(text.substr(0, dot)), minor = ToU64(text.substr(dot + 1));
    if (!major || !minor || *major > 255 || *minor > 255) return std::nullopt;
    return DottedVersion{static_cast<std::uint32_t>(*major), static_cast<std::uint32_t>(*minor)};
}

std::optional<DottedVersion> SmbiosVersionOf(std::string_view entryPoint) {
    auto byte = [&entryPoint](std::size_t i) { return static_cast<std::uint8_t>(entryPoint[i]); };
    if (entryPoint.size() >= 9 && entryPoint.substr(0, 5) == "_SM3_") return DottedVersion{byte(7), byte(8)};
    if (entryPoint.size() >= 8 && entryPoint.substr(0, 4) == "_SM_") return DottedVersion{byte(6), byte(7)};
    return std::nullopt;
}

}  // namespace veskin
