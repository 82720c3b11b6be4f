// One discovered supported drive: how to reach it and what it needs.
#pragma once

#include <cstdint>

#include "framework/afxstr.h"

constexpr int kInquiryLength = 44;
constexpr int kInquiryVendorOffset = 8;
constexpr int kInquiryVendorLength = 8;
constexpr int kInquiryProductOffset = 16;
constexpr int kInquiryProductLength = 16;

// Which NT device path names a drive.
enum NtDeviceKind : int32_t {
    kNtDeviceNone = 0,
    kNtPhysicalDrive = 1,  // \\.\PhysicalDriveN
    kNtCdRom = 2,          // \\.\CdRomN
    kNtDriveLetter = 3,    // \\.\X:, number 0 = A
};

struct DriveEntry {
    uint8_t hostAdapter = 0;  // ASPI host adapter, or NT SCSI port number
    uint8_t targetId = 0;
    uint8_t lun = 0;
    uint8_t inquiry[kInquiryLength] = {};
    CString typeCode;  // empty, or the six characters read from the drive
    uint32_t typeCodeOffset = 0;
    int32_t atapi = 0;  // 1: 12-byte command blocks
    int32_t ntKind = kNtDeviceNone;
    int32_t ntNumber = -1;
};

using CDriveEntryList = CTypedList<DriveEntry>;
