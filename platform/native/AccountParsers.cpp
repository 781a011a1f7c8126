#include "platform/native/AccountParsers.h"

#include "platform/native/TextFields.h"

namespace veskin {

namespace {

// The ':'-separated fields of a line.
std::vector<std::string_view> ColonFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t colon = line.find(':', start);
        fields.push_back(line.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start));
        if (colon == std::string_view::npos) return fields;
        start = colon + 1;
    }
}

std::optional<std::uint32_t> Id(std::string_view text) {
    auto n = ToU64(text);
    if (!n || *n > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(*n);
}

}  // namespace

std::vector<PasswdEntry> ParsePasswd(std::string_view text) {
    std::vector<PasswdEntry> out;
    for (std::string_view line : SplitLines(text)) {
        auto f = ColonFields(line);
        if (f.size() < 7 || f[0].empty()) continue;
        auto uid = Id(f[2]), gid = Id(f[3]);
        if (!uid || !gid) continue;
        out.push_back({std::string(f[0]), *uid, *gid, std::string(f[4]), std::string(f[5]), std::string(f[6])});
    }
    return out;
}

std::vector<GroupEntry> ParseGroup(std::string_view text) {
    std::vector<GroupEntry> out;
    for (std::string_view line : SplitLines(text)) {
        auto f = ColonFields(line);
        if (f.size() < 4 || f[0].empty()) continue;
        auto gid = Id(f[2]);
        if (!gid) continue;
        GroupEntry g{std::string(f[0]), *gid, {}};
        std::string_view members = f[3];
        while (!members.empty()) {
            std::size_t comma = members.find(',');
            std::string_view m = TrimBlanks(members.substr(0, comma));
            if (!m.empty()) g.Members.emplace_back(m);
            if (comma == std::string_view::npos) break;
            members.remove_prefix(comma + 1);
        }
        out.push_back(std::move(g));
    }
    return out;
}

std::vector<ShadowEntry> ParseShadow(std::string_view text) {
    std::vector<ShadowEntry> out;
    for (std::string_view line : SplitLines(text)) {
        auto f = ColonFields(line);
        if (f.size() < 2 || f[0].empty()) continue;
        ShadowEntry e{std::string(f[0]), std::string(f[1]), std::nullopt};
        if (f.size() > 4) e.MaxDays = ToU64(f[4]);
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> ParseEnvironmentFile(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::string_view line : SplitLines(text)) {
        line = TrimBlanks(line);
        if (line.empty() || line.front() == '#') continue;
        if (line.rfind("export ", 0) == 0) line = TrimBlanks(line.substr(7));
        std::size_t eq = line.find('=');
        if (eq == 0 || eq == std::string_view::npos) continue;
        std::string_view value = TrimBlanks(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        out.emplace_back(std::string(TrimBlanks(line.substr(0, eq))), std::string(value));
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> ParseEnviron(std::string_view bytes) {
    std::vector<std::pair<std::string, std::string>> out;
    while (!bytes.empty()) {
        std::size_t end = bytes.find('\0');
        std::string_view entry = bytes.substr(0, end);
        std::size_t eq = entry.find('=');
        if (eq != 0 && eq != std::string_view::npos)
            out.emplace_back(std::string(entry.substr(0, eq)), std::string(entry.substr(eq + 1)));
        if (end == std::string_view::npos) break;
        bytes.remove_prefix(end + 1);
    }
    return out;
}

}  // namespace veskin
