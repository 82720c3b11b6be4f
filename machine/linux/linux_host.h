// The Linux host behind the Windows services: real drives through SG_IO, sysfs enumeration,
// power-off through the service manager.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"

namespace machine {

namespace linux_host {
class HostSystem;
}

struct LinuxHostOptions {
    std::string sysfsRoot = "/sys";
    std::string devRoot = "/dev";
    // Asked to switch the computer off. Without a password prompt: the program's terminal
    // belongs to its dialog.
    std::vector<std::string> powerOffCommand = {"systemctl", "--no-ask-password", "poweroff"};
    // The system calls; null for the real ones.
    std::shared_ptr<linux_host::HostSystem> system;
    // Where the lines about unusable drives go; null for standard error.
    std::function<void(const std::string& line)> diagnostics;
};

std::unique_ptr<Machine> CreateLinuxHost();
std::unique_ptr<Machine> CreateLinuxHost(LinuxHostOptions options);

}  // namespace machine
