// \\.\CdRomN and \\.\PhysicalDriveN on Linux. The user's rights on the block node (/dev/srN,
// /dev/sdX) decide whether the path opens with the access the program asks for; commands go
// through the device's SCSI generic node (/dev/sgN), which needs only file permissions where
// the block layer would refuse vendor operation codes.
//
// The block node itself is never opened: the CD-ROM driver sends GET EVENT STATUS NOTIFICATION
// and TEST UNIT READY at every open and PREVENT ALLOW MEDIUM REMOVAL at every last close. With
// the device opened for each command, the drive would get three commands of the kernel's
// around each of the program's, in the middle of its flash protocol, and the kernel's TEST
// UNIT READY would take any unit attention or other one-time sense meant for the program.
// Opening the generic node sends nothing.
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

    // Checks the rights and opens the generic node; ERROR_SUCCESS or the Win32 error.
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
    int m_genericFd = -1;
};

}  // namespace machine::linux_host
