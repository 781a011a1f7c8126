#pragma once
// Parsers for the account and environment files: /etc/passwd, /etc/group,
// /etc/shadow, /etc/environment and a process's environ. Lines that do not parse are
// left out.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veskin {

struct PasswdEntry {
    std::string Name;
    std::uint32_t Uid = 0, Gid = 0;
    std::string Gecos;  // the full name is its first comma-separated field
    std::string Home, Shell;
};
std::vector<PasswdEntry> ParsePasswd(std::string_view text);

struct GroupEntry {
    std::string Name;
    std::uint32_t Gid = 0;
    std::vector<std::string> Members;
};
std::vector<GroupEntry> ParseGroup(std::string_view text);

struct ShadowEntry {
    std::string Name;
    std::string Password;                  // "!..." or "*": locked; empty: none needed
    std::optional<std::uint64_t> MaxDays;  // days a password stays valid
};
std::vector<ShadowEntry> ParseShadow(std::string_view text);

// KEY=value lines; "#" comments, an "export " prefix and quotes around the value are
// dropped.
std::vector<std::pair<std::string, std::string>> ParseEnvironmentFile(std::string_view text);
// NUL-separated KEY=value entries (/proc/<pid>/environ).
std::vector<std::pair<std::string, std::string>> ParseEnviron(std::string_view bytes);

}  // namespace veskin
