#include "platform/native/SystemParsers.h"

#include "platform/native/TextFields.h"

namespace veskin {

std::map<std::string, std::string> ParseOsRelease(std::string_view text) {
    std::map<std::string, std::string> out;
    for (std::string_view line : SplitLines(text)) {
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        std::size_t eq = line.find('=');
        if (eq == 0 || eq == std::string_view::npos) continue;
        std::string key(line.substr(0, eq));
        std::string_view raw = line.substr(eq + 1);
        while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r'))
            raw.remove_suffix(1);
        std::string value;
        if (!raw.empty() && (raw.front() == '"' || raw.front() == '\'')) {
            const char quote = raw.front();
            std::size_t i = 1;
            for (; i < raw.size() && raw[i] != quote; ++i) {
                if (quote == '"' && raw[i] == '\\' && i + 1 < raw.size()) ++i;
                value.push_back(raw[i]);
            }
            // An unterminated quote keeps what was read.
        } else {
            value.assign(raw);
        }
        out[key] = value;
    }
    return out;
}

ProcStat ParseProcStat(std::string_view text) {
    ProcStat out;
    for (std::string_view line : SplitLines(text)) {
        auto f = SplitFields(line);
        if (f.empty()) continue;
        std::string_view key = f[0];
        if (key.substr(0, 3) == "cpu") {
            CpuTimes t;
            if (key.size() > 3) {
                auto idx = ToU64(key.substr(3));
                if (!idx || *idx > 1000000) continue;
                t.Index = static_cast<int>(*idx);
            }
            std::uint64_t* cols[] = {&t.User, &t.Nice, &t.System, &t.Idle,
                                     &t.IoWait, &t.Irq, &t.SoftIrq, &t.Steal};
            // At least user, nice, system and idle; later columns came with newer kernels.
            if (f.size() < 5) continue;
            bool ok = true;
            for (std::size_t i = 0; i < 8 && i + 1 < f.size(); ++i) {
                auto v = ToU64(f[i + 1]);
                if (!v) {
                    ok = false;
                    break;
                }
                *cols[i] = *v;
            }
            if (!ok) continue;
            if (t.Index < 0)
                out.All = t;
            else
                out.Cpus.push_back(t);
            continue;
        }
        if (f.size() < 2) continue;
        auto v = ToU64(f[1]);
        if (!v) continue;
        if (key == "btime") out.BootTime = v;
        else if (key == "intr") out.Interrupts = v;
        else if (key == "softirq") out.SoftIrqs = v;
        else if (key == "ctxt") out.ContextSwitches = v;
        else if (key == "processes") out.ProcessesCreated = v;
        else if (key == "procs_running") out.ProcsRunning = v;
    }
    return out;
}

std::optional<Uptime> ParseUptime(std::string_view text) {
    auto f = SplitFields(SplitLines(text).empty() ? std::string_view() : SplitLines(text)[0]);
    if (f.empty()) return std::nullopt;
    auto up = ToDouble(f[0]);
    if (!up || *up < 0) return std::nullopt;
    Uptime u;
    u.Seconds = *up;
    if (f.size() > 1) u.IdleSeconds = ToDouble(f[1]);
    return u;
}

std::optional<LoadAverage> ParseLoadAvg(std::string_view text) {
    auto lines = SplitLines(text);
    if (lines.empty()) return std::nullopt;
    auto f = SplitFields(lines[0]);
    if (f.size() < 3) return std::nullopt;
    auto a = ToDouble(f[0]), b = ToDouble(f[1]), c = ToDouble(f[2]);
    if (!a || !b || !c) return std::nullopt;
    LoadAverage l{*a, *b, *c, std::nullopt, std::nullopt};
    if (f.size() > 3) {
        std::string_view rt = f[3];
        std::size_t slash = rt.find('/');
        if (slash != std::string_view::npos) {
            l.Running = ToU64(rt.substr(0, slash));
            l.Total = ToU64(rt.substr(slash + 1));
        }
    }
    return l;
}

std::vector<std::uint64_t> ParseCpuColumnSums(std::string_view text) {
    auto lines = SplitLines(text);
    if (lines.empty()) return {};
    std::vector<std::size_t> cpuOfColumn;
    std::size_t highest = 0;
    for (std::string_view h : SplitFields(lines[0])) {
        if (h.substr(0, 3) != "CPU") return {};
        auto n = ToU64(h.substr(3));
        if (!n || *n > 65535) return {};
        cpuOfColumn.push_back(static_cast<std::size_t>(*n));
        if (*n + 1 > highest) highest = static_cast<std::size_t>(*n + 1);
    }
    std::vector<std::uint64_t> sums(highest, 0);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::size_t colon = lines[i].find(':');
        if (colon == std::string_view::npos) continue;
        auto f = SplitFields(lines[i].substr(colon + 1));
        for (std::size_t c = 0; c < f.size() && c < cpuOfColumn.size(); ++c) {
            auto v = ToU64(f[c]);
            if (!v) break;
            sums[cpuOfColumn[c]] += *v;
        }
    }
    return sums;
}

}  // namespace veskin
