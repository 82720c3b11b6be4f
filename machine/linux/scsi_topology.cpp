#include "machine/linux/scsi_topology.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <tuple>

namespace machine::linux_host {
namespace {

constexpr int kMaxByteValue = 255;

bool ParseAddress(const std::string& name, ScsiUnit& unit) {
    int h, c, t, l;
    char rest;
    if (std::sscanf(name.c_str(), "%d:%d:%d:%d%c", &h, &c, &t, &l, &rest) != 4) return false;
    if (h < 0 || c < 0 || t < 0 || l < 0) return false;
    unit.host = h;
    unit.channel = c;
    unit.target = t;
    unit.lun = l;
    return true;
}

bool ParseHostName(const std::string& name, int& host) {
    char rest;
    return std::sscanf(name.c_str(), "host%d%c", &host, &rest) == 1 && host >= 0;
}

std::string FirstEntry(const std::string& dir) {
    std::vector<std::string> names = ListDirectory(dir);
    return names.empty() ? std::string() : names.front();
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::string ScsiUnit::Address() const {
    return std::to_string(host) + ":" + std::to_string(channel) + ":" + std::to_string(target) +
           ":" + std::to_string(lun);
}

int ScsiTopology::PortOf(int host) const {
    auto it = std::find(hosts.begin(), hosts.end(), host);
    return it == hosts.end() ? -1 : static_cast<int>(it - hosts.begin());
}

std::vector<const ScsiUnit*> ScsiTopology::UnitsOfPort(int port) const {
    std::vector<const ScsiUnit*> found;
    if (port < 0 || port >= static_cast<int>(hosts.size())) return found;
    for (const ScsiUnit& u : units) {
        if (u.host == hosts[static_cast<size_t>(port)]) found.push_back(&u);
    }
    return found;
}

const ScsiUnit* ScsiTopology::CdRom(int number) const {
    std::string name = "sr" + std::to_string(number);
    for (const ScsiUnit& u : units) {
        if (u.blockName == name) return &u;
    }
    return nullptr;
}

std::vector<const ScsiUnit*> ScsiTopology::Disks() const {
    std::vector<const ScsiUnit*> disks;
    for (const ScsiUnit& u : units) {
        if (u.IsDisk()) disks.push_back(&u);
    }
    return disks;
}

ScsiTopology ReadScsiTopology(const std::string& sysfsRoot) {
    ScsiTopology topo;
    for (const std::string& name : ListDirectory(sysfsRoot + "/class/scsi_host")) {
        int host;
        if (ParseHostName(name, host)) topo.hosts.push_back(host);
    }
    const std::string devices = sysfsRoot + "/class/scsi_device";
    for (const std::string& name : ListDirectory(devices)) {
        ScsiUnit unit;
        if (!ParseAddress(name, unit)) continue;
        // The bus count must fit in a byte as well.
        if (unit.channel >= kMaxByteValue || unit.target > kMaxByteValue ||
            unit.lun > kMaxByteValue) {
            continue;
        }
        unit.deviceDir = devices + "/" + name + "/device";
        unit.blockName = FirstEntry(unit.deviceDir + "/block");
        unit.genericName = FirstEntry(unit.deviceDir + "/scsi_generic");
        unit.claimed = Exists(unit.deviceDir + "/driver");
        topo.units.push_back(unit);
        // A device always sits on a host, even where the host class is not shown.
        topo.hosts.push_back(unit.host);
    }
    std::sort(topo.hosts.begin(), topo.hosts.end());
    topo.hosts.erase(std::unique(topo.hosts.begin(), topo.hosts.end()), topo.hosts.end());
    if (topo.hosts.size() > kMaxByteValue + 1) topo.hosts.resize(kMaxByteValue + 1);
    std::sort(topo.units.begin(), topo.units.end(), [](const ScsiUnit& a, const ScsiUnit& b) {
        return std::tie(a.host, a.channel, a.target, a.lun) <
               std::tie(b.host, b.channel, b.target, b.lun);
    });
    topo.units.erase(std::remove_if(topo.units.begin(), topo.units.end(),
                                    [&](const ScsiUnit& u) { return topo.PortOf(u.host) < 0; }),
                     topo.units.end());
    return topo;
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return names;
    while (struct dirent* e = ::readdir(dir)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    content.clear();
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        content.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

}  // namespace machine::linux_host
