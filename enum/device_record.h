// One enumerated device and the device-class filter of every enumeration.
#pragma once

#include <cstdint>

#include "framework/afxstr.h"
#include "winapi/windows.h"

constexpr int kInquirySize = 44;

struct DeviceRecord {
    BYTE adapter;  // ASPI host adapter, or the N of the NT port \\.\ScsiN:
    BYTE target;
    BYTE lun;
    BYTE inquiry[kInquirySize];  // start of the standard INQUIRY data
};

using CDeviceRecordList = CTypedList<DeviceRecord>;

// 0 selects every device; otherwise the bit of the device's class must be set.
using DeviceTypeMask = uint16_t;

constexpr DeviceTypeMask kDeviceOptical = 0x01;          // peripheral device type 7
constexpr DeviceTypeMask kDeviceFixedDirect = 0x02;      // type 0, RMB 0
constexpr DeviceTypeMask kDeviceRemovableDirect = 0x04;  // type 0, RMB 1
constexpr DeviceTypeMask kDeviceCdRom = 0x08;            // type 5

// Whether `mask` selects the device whose INQUIRY data starts at `inquiry`. Through ASPI a
// direct-access device also needs a non-zero ANSI version (`needAnsiVersionForDirect`).
bool MaskSelectsDevice(DeviceTypeMask mask, const BYTE* inquiry, bool needAnsiVersionForDirect);
