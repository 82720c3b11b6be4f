#include "enum/device_record.h"

bool MaskSelectsDevice(DeviceTypeMask mask, const BYTE* inquiry, bool needAnsiVersionForDirect) {
    if (mask == 0) {
        return true;
    }
    const int deviceType = inquiry[0] & 0x1F;
    const bool removable = (inquiry[1] & 0x80) != 0;
    const int ansiVersion = inquiry[2] & 0x07;
    switch (deviceType) {
        case 0x07:
            return (mask & kDeviceOptical) != 0;
        case 0x05:
            return (mask & kDeviceCdRom) != 0;
        case 0x00:
            if (needAnsiVersionForDirect && ansiVersion == 0) {
                return false;
            }
            return (mask & (removable ? kDeviceRemovableDirect : kDeviceFixedDirect)) != 0;
        default:
            return false;
    }
}
