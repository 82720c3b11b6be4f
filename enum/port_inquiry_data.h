// Reads the device list that a SCSI port driver returns for IOCTL_SCSI_GET_INQUIRY_DATA.
#pragma once

#include <cstddef>

#include "enum/device_record.h"

// Appends a record for every device on the port's first bus that `mask` selects, in the
// order of the driver's chain. `data` holds the `size` bytes that the driver reported; a
// chain that leaves them, or comes back to an entry already read, ends there.
void AppendPortDevices(const BYTE* data, size_t size, BYTE port, DeviceTypeMask mask,
                       CDeviceRecordList& devices);
