// The Linux host behind the Windows services: real drives through SG_IO, sysfs enumeration,
// power-off through the service manager.
#pragma once

#include <memory>

#include "machine/machine.h"

namespace machine {

std::unique_ptr<Machine> CreateLinuxHost();

}  // namespace machine
