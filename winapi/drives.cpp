// Drive letters and MS-DOS device names of the active machine.
#include <cstring>

#include "machine/machine.h"
#include "winapi/winbase.h"

DWORD WINAPI GetLogicalDrives() { return machine::Active().LogicalDrives() & 0x03FFFFFFu; }

UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName) {
    if (lpRootPathName == nullptr) return DRIVE_NO_ROOT_DIR;  // no current drive here
    return machine::Active().DriveType(lpRootPathName);
}

// Copies names, each ended by a NUL, and one more NUL after the last. Nothing is written
// when they do not fit.
static DWORD CopyNameList(const std::vector<std::string>& names, LPSTR out, DWORD size) {
    size_t total = 1;
    for (const std::string& n : names) total += n.size() + 1;
    if (out == nullptr || total > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (const std::string& n : names) {
        std::memcpy(out, n.c_str(), n.size() + 1);
        out += n.size() + 1;
    }
    *out = '\0';
    return static_cast<DWORD>(total);
}

DWORD WINAPI QueryDosDeviceA(LPCSTR lpDeviceName, LPSTR lpTargetPath, DWORD ucchMax) {
    machine::Machine& m = machine::Active();
    if (lpDeviceName == nullptr) return CopyNameList(m.DosDeviceNames(), lpTargetPath, ucchMax);
    std::string target;
    if (!m.DosDeviceTarget(lpDeviceName, target)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    return CopyNameList({target}, lpTargetPath, ucchMax);
}
