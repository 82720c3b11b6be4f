// What the Linux host's devices share: where sysfs and the device nodes are, the system calls,
// and the report of drives the user may not use.
#pragma once

#include <memory>
#include <string>

#include "machine/linux/access_report.h"
#include "machine/linux/host_system.h"

namespace machine::linux_host {

struct HostContext {
    std::string sysfsRoot;
    std::string devRoot;
    std::shared_ptr<HostSystem> system;
    std::shared_ptr<AccessReport> report;

    std::string Node(const std::string& name) const { return devRoot + "/" + name; }
};

}  // namespace machine::linux_host
