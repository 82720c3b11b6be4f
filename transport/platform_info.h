// Which Windows family the program runs on, and so which transport reaches the drives.
#pragma once

#include "winapi/windows.h"

// 1: Windows 95/98 family (ASPI for Win32), 2: NT family (SCSI pass-through), 0: neither.
using PlatformId = int;

constexpr PlatformId kPlatformUnknown = 0;
constexpr PlatformId kPlatformWindows = VER_PLATFORM_WIN32_WINDOWS;
constexpr PlatformId kPlatformNt = VER_PLATFORM_WIN32_NT;

// Returns what GetVersionExA returned. Only when the query succeeded does `platformOut`
// (optional) receive the raw dwPlatformId, unmapped, so a caller's preset value stands on
// failure.
BOOL GetPlatformId(int* platformOut = nullptr);

// The platform probe: keeps the raw id only when it is 1 or 2, else 0.
class CPlatformInfo {
  public:
    explicit CPlatformInfo(int* platformOut = nullptr);
    virtual ~CPlatformInfo();

  private:
    PlatformId m_platformId;
};
