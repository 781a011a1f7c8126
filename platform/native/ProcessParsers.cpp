#include "platform/native/ProcessParsers.h"

#include <vector>

#include "platform/native/TextFields.h"

namespace veskin {

std::optional<ProcessStat> ParseProcessStat(std::string_view text) {
    // "pid (comm) state ppid ...": the name may hold anything, so it ends at the last ')'.
    std::size_t open = text.find('(');
    std::size_t close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    ProcessStat s;
    std::string_view pidText = text.substr(0, open);
    while (!pidText.empty() && pidText.back() == ' ') pidText.remove_suffix(1);
    auto pid = ToU64(pidText);
    if (!pid || *pid > 0xFFFFFFFFu) return std::nullopt;
    s.Pid = static_cast<std::uint32_t>(*pid);
    s.Comm = std::string(text.substr(open + 1, close - open - 1));
    std::string_view rest = text.substr(close + 1);
    std::size_t nl = rest.find('\n');
    if (nl != std::string_view::npos) rest = rest.substr(0, nl);
    std::vector<std::string_view> f = SplitFields(rest);
    // f[0] is field 3 (state) of the file; f[k] is field k + 3.
    if (f.size() < 22 || f[0].size() != 1) return std::nullopt;
    auto u = [&f](std::size_t field) { return ToU64(f[field - 3]); };
    auto i = [&f](std::size_t field) { return ToI64(f[field - 3]); };
    s.State = f[0][0];
    auto ppid = u(4), flags = u(9), minflt = u(10), majflt = u(12), utime = u(14), stime = u(15),
         start = u(22), vsize = u(23);
    auto session = i(6), prio = i(18), nice = i(19), threads = i(20), rss = i(24);
    if (!ppid || !flags || !session || !minflt || !majflt || !utime || !stime || !start || !vsize ||
        !prio || !nice || !threads || !rss || *ppid > 0xFFFFFFFFu)
        return std::nullopt;
    s.ParentPid = static_cast<std::uint32_t>(*ppid);
    s.Session = *session;
    s.MinorFaults = *minflt;
    s.MajorFaults = *majflt;
    s.UserTicks = *utime;
    s.SystemTicks = *stime;
    s.Priority = *prio;
    s.Nice = *nice;
    s.Threads = *threads;
    s.StartTicks = *start;
    s.VirtualBytes = *vsize;
    s.RssPages = *rss;
    s.Flags = *flags;
    return s;
}

std::map<std::string, std::string> ParseProcessStatus(std::string_view text) {
    return ParseKeyValues(text);
}

std::string ParseCmdline(std::string_view bytes) {
    std::string out(bytes);
    for (char& c : out)
        if (c == '\0') c = ' ';
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

namespace {

std::string_view BaseName(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view UpToBlank(std::string_view text) { return text.substr(0, text.find(' ')); }

// argv[0] as the process left it. A process that rewrote its title ("sshd: ann@pts/0",
// "nginx: worker process") keeps its program's name before the first blank; a path
// with blanks ("/opt/My App/app") is recognised by its file name beginning with the
// short name.
std::string_view ImageOfFirstWord(std::string_view word, std::string_view comm) {
    std::string_view program = UpToBlank(word);
    if (!program.empty() && program.back() == ':') program.remove_suffix(1);
    std::string_view name = BaseName(program);
    if (program.size() < word.size() && !name.starts_with(comm)) {
        std::string_view whole = UpToBlank(BaseName(word));
        if (whole.starts_with(comm)) name = whole;
    }
    if (!name.empty() && name.front() == '-') name.remove_prefix(1);  // a login shell's "-bash"
    return name;
}

}  // namespace

std::string ProcessImageName(const std::optional<std::string>& exeLink, std::string_view cmdlineBytes,
                             std::string_view comm) {
    if (exeLink) {
        std::string_view path = *exeLink;
        constexpr std::string_view deleted = " (deleted)";
        if (path.ends_with(deleted)) path.remove_suffix(deleted.size());
        std::string_view name = BaseName(path);
        if (!name.empty()) return std::string(name);
    }
    std::string_view first = cmdlineBytes.substr(0, cmdlineBytes.find('\0'));
    std::string_view name = ImageOfFirstWord(first, comm);
    return std::string(name.empty() ? comm : name);
}

}  // namespace veskin
