#include "machine/linux/access_report.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace machine::linux_host {
namespace {

const char kPrefix[] = "cdrwupdate: ";

std::string UserName(uid_t uid) {
    struct passwd pw, *found = nullptr;
    char buf[1024];
    if (getpwuid_r(uid, &pw, buf, sizeof buf, &found) == 0 && found) return found->pw_name;
    return std::to_string(uid);
}

std::string GroupName(gid_t gid) {
    struct group gr, *found = nullptr;
    char buf[4096];
    if (getgrgid_r(gid, &gr, buf, sizeof buf, &found) == 0 && found) return found->gr_name;
    return std::to_string(gid);
}

std::string Drive(const ScsiUnit& unit, const std::string& blockNode) {
    return "drive " + blockNode + " (SCSI " + unit.Address() + ")";
}

}  // namespace

std::string DescribeOwnership(const std::string& node, std::string& remedy) {
    struct stat st;
    if (::stat(node.c_str(), &st) != 0) {
        remedy = "run as root";
        return "";
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    const std::string group = GroupName(st.st_gid);
    const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    remedy = groupMayUse && st.st_gid != 0 ? "add the user to group " + group + " or run as root"
                                           : "run as root";
    return "owner " + UserName(st.st_uid) + ", group " + group + ", mode " + mode;
}

AccessReport::AccessReport(Sink sink) : m_sink(std::move(sink)) {}

void AccessReport::MissingPermission(const ScsiUnit& unit, const std::string& blockNode,
                                     const std::string& node, const std::string& right) {
    std::string remedy;
    const std::string owner = DescribeOwnership(node, remedy);
    Once("cannot use " + Drive(unit, blockNode) + ": no " + right + " permission on " + node +
         (owner.empty() ? "" : " (" + owner + ")") + "; " + remedy);
}

void AccessReport::NoGenericNode(const ScsiUnit& unit, const std::string& blockNode) {
    Once("cannot use " + Drive(unit, blockNode) +
         ": it has no SCSI generic node because the sg driver is not loaded; load it as root "
         "with: modprobe sg");
}

void AccessReport::MissingNode(const ScsiUnit& unit, const std::string& blockNode,
                               const std::string& node) {
    Once("cannot use " + Drive(unit, blockNode) + ": the kernel has the device but " + node +
         " does not exist");
}

void AccessReport::CommandRefused(const ScsiUnit& unit, const std::string& blockNode,
                                  const std::string& node, int err) {
    Once("cannot use " + Drive(unit, blockNode) + ": the kernel refused a command sent through " +
         node + " (" + std::strerror(err) + ")");
}

void AccessReport::PowerOffFailed(const std::string& command, int status) {
    Once("the power-off request (" + command + ") failed" +
         (status < 0 ? std::string(": it could not be run")
                     : " with exit status " + std::to_string(status)) +
         "; switch the computer off yourself");
}

void AccessReport::Once(const std::string& line) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_written.insert(line).second) return;
    m_sink(kPrefix + line);
}

}  // namespace machine::linux_host
