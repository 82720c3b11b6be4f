// The Windows device paths the Linux host answers: \\.\ScsiN:, \\.\CdRomN, \\.\PhysicalDriveN.
#pragma once

#include <string>

namespace machine::linux_host {

struct DevicePath {
    enum Kind { kNone, kScsiPort, kCdRom, kPhysicalDrive, kDriveLetter };
    Kind kind = kNone;
    int number = 0;
};

// Object names compare without regard to case, as on Windows; the number is plain decimal.
DevicePath ParseDevicePath(const std::string& path);

}  // namespace machine::linux_host
