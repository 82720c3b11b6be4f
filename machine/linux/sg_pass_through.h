// IOCTL_SCSI_PASS_THROUGH_DIRECT carried out as one SG_IO on a SCSI generic node.
#pragma once

#include <string>

#include "machine/linux/host_system.h"
#include "winapi/windows.h"

namespace machine::linux_host {

struct UnitAddress {
    UCHAR pathId = 0;
    UCHAR targetId = 0;
    UCHAR lun = 0;
};

// Validates the request in `in`, sends its CDB with the same direction, length, buffer and
// time-out, and writes SCSI status, sense data and the transferred length into `out` (which
// may be `in`). A failed SG_IO, or a transport or host failure, fails the I/O control and
// leaves `out` untouched; `sgErrno` then holds the errno of a failed SG_IO (else 0).
DWORD PassThroughDirect(HostSystem& system, int fd, const UnitAddress& address, const void* in,
                        DWORD inSize, void* out, DWORD outSize, DWORD& returned, int& sgErrno);

// The Win32 error for an errno of open(2) or SG_IO.
DWORD ErrorFromErrno(int err);

}  // namespace machine::linux_host
