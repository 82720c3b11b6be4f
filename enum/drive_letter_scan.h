// Lists the drive letters A to Z of chosen drive types.
#pragma once

#include <cstdint>

#include "framework/afxstr.h"
#include "winapi/windows.h"

struct DriveLetterRecord {
    int driveIndex;  // 0 for A
    int letter;      // 'A' + driveIndex
    int driveType;   // what GetDriveTypeA returned
};

using CDriveLetterList = CTypedList<DriveLetterRecord>;

// 0 selects every drive of type DRIVE_REMOVABLE or higher; otherwise the bit of the type.
using DriveTypeMask = uint16_t;

constexpr DriveTypeMask kDriveRemovable = 0x01;
constexpr DriveTypeMask kDriveFixed = 0x02;
constexpr DriveTypeMask kDriveRemote = 0x04;
constexpr DriveTypeMask kDriveCdRom = 0x08;
constexpr DriveTypeMask kDriveRamDisk = 0x10;

class CDriveLetterScan {
  public:
    // Fills `drives` at once.
    CDriveLetterScan(CDriveLetterList& drives, DriveTypeMask mask);
    virtual ~CDriveLetterScan();

  private:
    bool Selects(UINT driveType) const;

    DriveTypeMask m_mask;
};
