// The machine's SCSI hosts and devices as sysfs shows them, in the terms of the Windows port
// model: each host is a port (numbered from 0 in ascending host order), each device has a
// bus (channel), target and LUN, and perhaps a block node (srN, sdX) and a SCSI generic node.
#pragma once

#include <string>
#include <vector>

namespace machine::linux_host {

struct ScsiUnit {
    int host = 0;
    int channel = 0;
    int target = 0;
    int lun = 0;
    std::string deviceDir;    // <sysfs>/class/scsi_device/H:C:T:L/device
    std::string blockName;    // "sr0", "sda" ... or empty
    std::string genericName;  // "sg0" ... or empty while the sg driver is not loaded
    bool claimed = false;     // a driver is bound to the device

    bool IsCdRom() const { return blockName.compare(0, 2, "sr") == 0; }
    bool IsDisk() const { return blockName.compare(0, 2, "sd") == 0; }
    std::string Address() const;  // "H:C:T:L"
};

struct ScsiTopology {
    std::vector<int> hosts;       // ascending; port N is hosts[N]
    std::vector<ScsiUnit> units;  // ascending by host, channel, target, LUN

    int PortOf(int host) const;  // -1 when the host has no port number
    std::vector<const ScsiUnit*> UnitsOfPort(int port) const;
    // The device whose block node is /dev/srN.
    const ScsiUnit* CdRom(int number) const;
    // SCSI disks in address order; PhysicalDriveN is the N-th.
    std::vector<const ScsiUnit*> Disks() const;
};

// Reads <sysfsRoot>/class/scsi_host and <sysfsRoot>/class/scsi_device. Ports stop at 255 and
// devices whose bus, target or LUN exceed 255 are left out: the Windows structures hold each
// in one byte, and a truncated address would name another device.
ScsiTopology ReadScsiTopology(const std::string& sysfsRoot);

// Directory entries without "." and "..", sorted; empty when the directory cannot be read.
std::vector<std::string> ListDirectory(const std::string& path);
// Whole file content; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content);

}  // namespace machine::linux_host
