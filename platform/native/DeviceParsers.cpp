#include "platform/native/DeviceParsers.h"

#include <algorithm>
#include <map>
#include <set>

#include "platform/native/TextFields.h"

namespace veskin {

std::vector<DiskStat> ParseDiskStats(std::string_view text) {
    std::vector<DiskStat> out;
    for (std::string_view line : SplitLines(text)) {
        auto f = SplitFields(line);
        if (f.size() < 14) continue;
        DiskStat d;
        auto major = ToU64(f[0]), minor = ToU64(f[1]);
        if (!major || !minor || *major > 0xFFFFFFFFu || *minor > 0xFFFFFFFFu) continue;
        d.Major = static_cast<std::uint32_t>(*major);
        d.Minor = static_cast<std::uint32_t>(*minor);
        d.Name = std::string(f[2]);
        std::uint64_t* cols[] = {&d.Reads, nullptr, &d.ReadSectors, &d.ReadMs,
                                 &d.Writes, nullptr, &d.WriteSectors, &d.WriteMs,
                                 &d.InProgress, &d.IoMs, &d.WeightedMs};
        bool ok = true;
        for (std::size_t i = 0; i < 11; ++i) {
            auto v = ToU64(f[i + 3]);
            if (!v) {
                ok = false;
                break;
            }
            if (cols[i]) *cols[i] = *v;
        }
        if (ok) out.push_back(std::move(d));
    }
    return out;
}

namespace {

std::string Unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' &&
            s[i + 2] >= '0' && s[i + 2] <= '7' && s[i + 3] >= '0' && s[i + 3] <= '7') {
            out.push_back(static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

}  // namespace

std::vector<MountEntry> ParseMounts(std::string_view text) {
    std::vector<MountEntry> out;
    for (std::string_view line : SplitLines(text)) {
        auto f = SplitFields(line);
        if (f.size() < 3) continue;
        out.push_back(MountEntry{Unescape(f[0]), Unescape(f[1]), std::string(f[2])});
    }
    return out;
}

std::vector<MountEntry> LocalFileSystems(const std::vector<MountEntry>& mounts) {
    static const std::set<std::string> kNotLocal = {
        "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "ramfs", "securityfs", "cgroup",
        "cgroup2", "pstore", "bpf", "debugfs", "tracefs", "configfs", "fusectl", "mqueue",
        "hugetlbfs", "autofs", "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs", "selinuxfs",
        "squashfs", "iso9660", "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p",
        "ceph", "glusterfs", "lustre", "davfs", "fuse.sshfs", "fuse.gvfsd-fuse", "fuse.portal",
        "fuse.lxcfs", "sshfs", "overlay_none", "none"};
    static const std::set<std::string> kLocalWithoutDevice = {"overlay", "zfs", "btrfs"};
    std::vector<MountEntry> out;
    std::map<std::string, std::size_t> byDevice;
    for (const auto& m : mounts) {
        if (kNotLocal.count(m.FsType) || m.MountPoint.empty() || m.MountPoint[0] != '/') continue;
        bool local = m.Device.rfind("/dev/", 0) == 0 || kLocalWithoutDevice.count(m.FsType);
        if (!local) continue;
        auto it = byDevice.find(m.Device);
        if (it == byDevice.end()) {
            byDevice[m.Device] = out.size();
            out.push_back(m);
        } else if (m.MountPoint.size() < out[it->second].MountPoint.size()) {
            out[it->second] = m;
        }
    }
    std::sort(out.begin(), out.end(),
              [](const MountEntry& a, const MountEntry& b) { return a.MountPoint < b.MountPoint; });
    return out;
}

std::vector<NetDevStat> ParseNetDev(std::string_view text) {
    std::vector<NetDevStat> out;
    for (std::string_view line : SplitLines(text)) {
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;  // the two header lines
        std::string_view name = line.substr(0, colon);
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        if (name.empty() || name.find('|') != std::string_view::npos) continue;
        auto f = SplitFields(line.substr(colon + 1));
        if (f.size() < 16) continue;
        std::uint64_t v[16];
        bool ok = true;
        for (std::size_t i = 0; i < 16 && ok; ++i) {
            auto n = ToU64(f[i]);
            ok = n.has_value();
            if (ok) v[i] = *n;
        }
        if (!ok) continue;
        NetDevStat s;
        s.Name = std::string(name);
        s.RxBytes = v[0];
        s.RxPackets = v[1];
        s.RxErrors = v[2];
        s.RxDropped = v[3];
        s.RxMulticast = v[7];
        s.TxBytes = v[8];
        s.TxPackets = v[9];
        s.TxErrors = v[10];
        s.TxDropped = v[11];
        out.push_back(std::move(s));
    }
    return out;
}

std::map<std::string, std::string> ParseUdevProperties(std::string_view text) {
    std::map<std::string, std::string> out;
    for (std::string_view line : SplitLines(text)) {
        if (line.substr(0, 2) != "E:") continue;
        std::size_t eq = line.find('=');
        if (eq != std::string_view::npos) out.emplace(std::string(line.substr(2, eq - 2)), std::string(line.substr(eq + 1)));
    }
    return out;
}

std::optional<std::uint64_t> ParseLinkSpeed(std::string_view text) {
    auto lines = SplitLines(text);
    if (lines.empty()) return std::nullopt;
    auto f = SplitFields(lines[0]);
    if (f.size() != 1) return std::nullopt;
    auto v = ToI64(f[0]);
    if (!v || *v <= 0) return std::nullopt;
    return static_cast<std::uint64_t>(*v);
}

}  // namespace veskin
