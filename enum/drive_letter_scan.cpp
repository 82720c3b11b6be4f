#include "enum/drive_letter_scan.h"

#include <cstdio>

namespace {

constexpr DWORD kLettersAtoZ = 0x3FFFFFF;

}  // namespace

CDriveLetterScan::CDriveLetterScan(CDriveLetterList& drives, DriveTypeMask mask) : m_mask(mask) {
    drives.clear();
    const DWORD present = GetLogicalDrives() & kLettersAtoZ;
    for (int index = 0; index < 26 && present != 0; ++index) {
        if ((present & (1u << index)) == 0) {
            continue;
        }
        const char letter = static_cast<char>('A' + index);
        char root[4];
        std::snprintf(root, sizeof(root), "%c:\\", letter);
        const UINT type = GetDriveTypeA(root);
        if (type > DRIVE_NO_ROOT_DIR && Selects(type)) {
            drives.push_back(DriveLetterRecord{index, letter, static_cast<int>(type)});
        }
    }
}

CDriveLetterScan::~CDriveLetterScan() = default;

bool CDriveLetterScan::Selects(UINT driveType) const {
    if (m_mask == 0) {
        return true;
    }
    switch (driveType) {
        case DRIVE_REMOVABLE:
            return (m_mask & kDriveRemovable) != 0;
        case DRIVE_FIXED:
            return (m_mask & kDriveFixed) != 0;
        case DRIVE_REMOTE:
            return (m_mask & kDriveRemote) != 0;
        case DRIVE_CDROM:
            return (m_mask & kDriveCdRom) != 0;
        case DRIVE_RAMDISK:
            return (m_mask & kDriveRamDisk) != 0;
        default:
            return false;
    }
}
