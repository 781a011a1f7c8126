#pragma once
// Reading the kernel's files under a root folder ("/" normally; tests point it at a
// fixture tree). Every read answers nothing instead of failing when a file is missing,
// unreadable or vanishes while it is read.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace veskin {

class SystemFiles {
public:
    explicit SystemFiles(std::string root = "/");

    const std::string& Root() const { return FRoot; }
    // True when the root is the real file system (so system calls may stand in for
    // files that are not there).
    bool IsRealRoot() const { return FRoot == "/"; }
    // The path under the root ("proc/meminfo" -> "<root>/proc/meminfo").
    std::string PathOf(const std::string& relative) const;

    // The whole file, at most maxBytes of it.
    std::optional<std::string> Read(const std::string& relative,
                                    std::size_t maxBytes = 1 << 20) const;
    // The same, for a file the kernel renders in one piece (a process's stat, status,
    // io and cmdline): a read that returns less than asked for has read it all, which
    // saves the read that would find its end. Not for files of many records (mounts).
    std::optional<std::string> ReadRendered(const std::string& relative, std::size_t maxBytes) const;
    // The first line without its line break, surrounding blanks removed.
    std::optional<std::string> ReadLine(const std::string& relative) const;
    // Where a symbolic link points.
    std::optional<std::string> ReadLink(const std::string& relative) const;
    // The numeric entries of a folder (process ids under proc/), in ascending order.
    std::vector<std::uint32_t> NumericEntries(const std::string& relative) const;
    // The entry names of a folder (without "." and ".."), sorted; empty when unreadable.
    std::vector<std::string> Entries(const std::string& relative) const;
    // The number of entries of a folder; nothing when it cannot be read.
    std::optional<std::uint32_t> CountEntries(const std::string& relative) const;
    // The open files of a process (/proc/<pid>/fd): newer kernels give the count as the
    // folder's size, which saves listing it; otherwise the entries are counted.
    std::optional<std::uint32_t> CountOpenFiles(const std::string& fdFolder) const;

private:
    std::optional<std::string> ReadFile(const std::string& relative, std::size_t maxBytes,
                                        bool shortReadEnds) const;

    std::string FRoot;
};

}  // namespace veskin
