// One line on standard error for each drive that exists but that the user may not use, naming
// the device and the right that is missing; each line is written once per process.
#pragma once

#include <functional>
#include <mutex>
#include <set>
#include <string>

#include "machine/linux/scsi_topology.h"

namespace machine::linux_host {

class AccessReport {
  public:
    using Sink = std::function<void(const std::string& line)>;
    explicit AccessReport(Sink sink);

    // `right` is "read" or "read and write"; `node` the device node that refused it.
    void MissingPermission(const ScsiUnit& unit, const std::string& blockNode,
                           const std::string& node, const std::string& right);
    void NoGenericNode(const ScsiUnit& unit, const std::string& blockNode);
    void MissingNode(const ScsiUnit& unit, const std::string& blockNode, const std::string& node);
    void CommandRefused(const ScsiUnit& unit, const std::string& blockNode, const std::string& node,
                        int err);
    void PowerOffFailed(const std::string& command, int status);

  private:
    void Once(const std::string& line);

    Sink m_sink;
    std::mutex m_mutex;
    std::set<std::string> m_written;
};

// "owner root, group cdrom, mode 0660" for a node, and what a user can do about it.
std::string DescribeOwnership(const std::string& node, std::string& remedy);

}  // namespace machine::linux_host
