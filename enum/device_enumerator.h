// Lists the machine's SCSI and ATAPI devices with their addresses and INQUIRY data,
// through ASPI or through the NT SCSI port drivers, as the platform calls for.
#pragma once

#include "enum/device_record.h"
#include "transport/platform_info.h"

class CDeviceEnumerator {
  public:
    // 0 asks the platform probe.
    explicit CDeviceEnumerator(PlatformId platformId);
    virtual ~CDeviceEnumerator();

    // Empties `devices`, then fills it with the devices that `mask` selects; returns their
    // number. `aspiModule` is the loaded WNASPI32.DLL (used only for ASPI).
    int Enumerate(CDeviceRecordList& devices, HMODULE aspiModule, DeviceTypeMask mask);

  private:
    void EnumerateAspi(HMODULE aspiModule, CDeviceRecordList& devices, DeviceTypeMask mask);
    void EnumerateNt(CDeviceRecordList& devices, DeviceTypeMask mask);

    PlatformId m_platformId;
};
