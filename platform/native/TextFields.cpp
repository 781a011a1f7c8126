#include "platform/native/TextFields.h"

#include <cstdlib>

#include "rtl/IntegerText.h"

namespace veskin {

std::optional<std::uint64_t> ToU64(std::string_view text) {
    std::uint64_t v = 0;
    if (!TryParseDecimal(text, v)) return std::nullopt;
    return v;
}

std::optional<std::int64_t> ToI64(std::string_view text) {
    std::int64_t v = 0;
    if (!TryParseDecimal(text, v)) return std::nullopt;
    return v;
}

std::optional<double> ToDouble(std::string_view text) {
    if (text.empty() || text.size() > 64) return std::nullopt;
    std::string s(text);
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size()) return std::nullopt;
    return v;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    // Counted first, so that a long line (a process's stat has 52 fields) takes one
    // allocation instead of one per doubling.
    std::size_t count = 0;
    for (std::size_t i = 0; i < line.size(); ++i)
        if (!blank(line[i]) && (i == 0 || blank(line[i - 1]))) ++count;
    std::vector<std::string_view> out;
    out.reserve(count);
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        std::size_t start = i;
        while (i < line.size() && !blank(line[i])) ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

std::string_view TrimBlanks(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::map<std::string, std::string> ParseKeyValues(std::string_view text) {
    std::map<std::string, std::string> out;
    for (std::string_view line : SplitLines(text)) {
        std::size_t k = line.find_first_of(": \t");
        if (k == 0 || k == std::string_view::npos) continue;
        std::string key(line.substr(0, k));
        std::size_t v = k;
        while (v < line.size() && (line[v] == ':' || line[v] == ' ' || line[v] == '\t')) ++v;
        std::size_t e = line.size();
        while (e > v && (line[e - 1] == ' ' || line[e - 1] == '\t' || line[e - 1] == '\r')) --e;
        out.emplace(std::move(key), std::string(line.substr(v, e - v)));
    }
    return out;
}

std::optional<std::uint64_t> LeadingU64(const std::map<std::string, std::string>& values,
                                        const std::string& key) {
    auto it = values.find(key);
    if (it == values.end()) return std::nullopt;
    auto fields = SplitFields(it->second);
    if (fields.empty()) return std::nullopt;
    return ToU64(fields[0]);
}

void ScanKeyNumbers(std::string_view text, std::initializer_list<KeyTarget> wanted) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view key = line.substr(0, colon);
        for (const KeyTarget& w : wanted) {
            if (w.Key != key) continue;
            auto f = SplitFields(line.substr(colon + 1));
            if (!f.empty()) {
                if (auto v = ToU64(f[0])) *w.Target = v;
            }
            break;
        }
    }
}

}  // namespace veskin
