#pragma once
// Parsers for one process's files under /proc/<pid>/: stat, status, cmdline and io.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace veskin {

struct ProcessStat {
    std::uint32_t Pid = 0;
    std::string Comm;  // the name between the parentheses (may hold blanks and ')')
    char State = '?';
    std::uint32_t ParentPid = 0;
    std::int64_t Session = 0;
    std::uint64_t MinorFaults = 0, MajorFaults = 0;
    std::uint64_t UserTicks = 0, SystemTicks = 0;
    std::int64_t Priority = 0, Nice = 0;
    std::int64_t Threads = 0;
    std::uint64_t StartTicks = 0;  // clock ticks after boot
    std::uint64_t VirtualBytes = 0;
    std::int64_t RssPages = 0;
    std::uint64_t Flags = 0;  // the kernel's PF_* word

    // A kernel thread has no command line, executable or memory of its own: its
    // cmdline is empty, its exe link missing, and its status holds no Vm lines.
    bool KernelThread() const { return (Flags & 0x00200000) != 0; }  // PF_KTHREAD
};
// Nothing for text that is cut before the start time or malformed.
std::optional<ProcessStat> ParseProcessStat(std::string_view text);

// "Key:\tvalue" lines of /proc/<pid>/status; and of /proc/<pid>/io ("rchar: 123").
std::map<std::string, std::string> ParseProcessStatus(std::string_view text);

// The argument list with its NUL separators turned into blanks (trailing ones dropped).
std::string ParseCmdline(std::string_view bytes);

// The process's image name as Windows shows it: the file name of the executable
// (/proc/<pid>/exe, " (deleted)" dropped), else of the command line's first word, else
// the kernel's short name (cut at 15 characters; all a kernel thread has).
std::string ProcessImageName(const std::optional<std::string>& exeLink, std::string_view cmdlineBytes,
                             std::string_view comm);

}  // namespace veskin
