// \\.\CdRomN and \\.\PhysicalDriveN on Linux: the block node (/dev/srN, /dev/sdX) opened as the
// program asks, with commands sent through the device's SCSI generic node (/dev/sgN), which
// needs only file permissions where the block layer would refuse vendor operation codes.
#pragma once

#include <memory>

#include "machine/linux/host_context.h"
#include "machine/linux/scsi_topology.h"
#include "machine/machine.h"

namespace machine::linux_host {

class DriveDevice : public Device {
  public:
    DriveDevice(std::shared_ptr<const HostContext> context, ScsiUnit unit, int port, DWORD access);
    ~DriveDevice() override;
    DriveDevice(const DriveDevice&) = delete;
    DriveDevice& operator=(const DriveDevice&) = delete;

    // Opens the nodes; ERROR_SUCCESS or the Win32 error of the failure.
    DWORD Open();
    DWORD IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                    DWORD& returned) override;

  private:
    DWORD OpenGenericNode();
    // An address query opens nothing, but succeeds for a CD-ROM drive only when the user
    // could command it: a drive that cannot be used is then never tied to a path.
    DWORD CheckUsable();
    DWORD GetAddress(void* out, DWORD outSize, DWORD& returned) const;

    std::shared_ptr<const HostContext> m_context;
    ScsiUnit m_unit;
    int m_port;
    DWORD m_access;
    std::string m_blockNode;
    std::string m_genericNode;
    int m_blockFd = -1;
    int m_genericFd = -1;
};

}  // namespace machine::linux_host
