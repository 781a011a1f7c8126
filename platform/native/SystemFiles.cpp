#include "platform/native/SystemFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace veskin {

SystemFiles::SystemFiles(std::string root) {
    std::size_t end = root.find_last_not_of('/');
    // "" and "///" are the real root; trailing slashes are dropped otherwise.
    FRoot = end == std::string::npos ? std::string(1, '/') : root.substr(0, end + 1);
}

std::string SystemFiles::PathOf(const std::string& relative) const {
    std::size_t skip = relative.find_first_not_of('/');
    std::string out = FRoot;
    if (out.back() != '/') out.push_back('/');
    if (skip != std::string::npos) out.append(relative, skip, std::string::npos);
    return out;
}

std::optional<std::string> SystemFiles::Read(const std::string& relative, std::size_t maxBytes) const {
    return ReadFile(relative, maxBytes, false);
}

std::optional<std::string> SystemFiles::ReadRendered(const std::string& relative, std::size_t maxBytes) const {
    return ReadFile(relative, maxBytes, true);
}

std::optional<std::string> SystemFiles::ReadFile(const std::string& relative, std::size_t maxBytes,
                                                 bool shortReadEnds) const {
    int fd = ::open(PathOf(relative).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string out;
    char buf[8192];
    for (;;) {
        std::size_t want = std::min(sizeof buf, maxBytes - out.size());
        if (want == 0) break;
        ssize_t n = ::read(fd, buf, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;  // e.g. ESRCH: the process went away
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
        if (shortReadEnds && static_cast<std::size_t>(n) < want) break;
    }
    ::close(fd);
    return out;
}

std::optional<std::string> SystemFiles::ReadLine(const std::string& relative) const {
    auto text = Read(relative, 64 * 1024);
    if (!text) return std::nullopt;
    std::string line = text->substr(0, text->find('\n'));
    auto notBlank = [](char c) { return c != ' ' && c != '\t' && c != '\r'; };
    auto b = std::find_if(line.begin(), line.end(), notBlank);
    auto e = std::find_if(line.rbegin(), line.rend(), notBlank).base();
    if (b >= e) return std::string();
    return std::string(b, e);
}

std::optional<std::string> SystemFiles::ReadLink(const std::string& relative) const {
    char buf[4096];
    ssize_t n = ::readlink(PathOf(relative).c_str(), buf, sizeof buf);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof buf) return std::nullopt;
    return std::string(buf, static_cast<std::size_t>(n));
}

namespace {

template <class F>
bool ForEachEntry(const std::string& path, F f) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return false;
    while (dirent* e = ::readdir(dir)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        f(name);
    }
    ::closedir(dir);
    return true;
}

}  // namespace

std::vector<std::uint32_t> SystemFiles::NumericEntries(const std::string& relative) const {
    std::vector<std::uint32_t> out;
    ForEachEntry(PathOf(relative), [&out](const char* name) {
        std::uint64_t v = 0;
        const char* p = name;
        for (; *p >= '0' && *p <= '9' && v <= 0xFFFFFFFFu; ++p) v = v * 10 + static_cast<std::uint64_t>(*p - '0');
        if (*p == '\0' && p != name && v <= 0xFFFFFFFFu) out.push_back(static_cast<std::uint32_t>(v));
    });
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> SystemFiles::Entries(const std::string& relative) const {
    std::vector<std::string> out;
    ForEachEntry(PathOf(relative), [&out](const char* name) { out.emplace_back(name); });
    std::sort(out.begin(), out.end());
    return out;
}

std::optional<std::uint32_t> SystemFiles::CountEntries(const std::string& relative) const {
    std::uint32_t count = 0;
    if (!ForEachEntry(PathOf(relative), [&count](const char*) { ++count; })) return std::nullopt;
    return count;
}

namespace {

// Whether the kernel gives a descriptor folder's entry count as its size (Linux 6.2
// on): asked once of this process's own folder, which holds at least its standard
// streams. A process without descriptors (a kernel thread) then has size 0.
bool KernelCountsOpenFiles() {
    static const bool counts = [] {
        struct stat st {};
        return ::stat("/proc/self/fd", &st) == 0 && st.st_size > 0;
    }();
    return counts;
}

}  // namespace

std::optional<std::uint32_t> SystemFiles::CountOpenFiles(const std::string& fdFolder) const {
    struct stat st {};
    const std::string path = PathOf(fdFolder);
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    if (IsRealRoot() && S_ISDIR(st.st_mode) && st.st_size <= 0xFFFFFFFF && (st.st_size > 0 || KernelCountsOpenFiles()))
        return static_cast<std::uint32_t>(st.st_size);
    return CountEntries(fdFolder);
}

}  // namespace veskin
