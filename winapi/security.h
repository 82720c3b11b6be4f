// Process token privileges and shutdown.
#pragma once

#include "winapi/windef.h"

#define TOKEN_ADJUST_PRIVILEGES 0x0020u
#define TOKEN_QUERY 0x0008u
#define SE_PRIVILEGE_ENABLED 0x00000002u
#define SE_SHUTDOWN_NAME "SeShutdownPrivilege"

#define EWX_LOGOFF 0x00000000u
#define EWX_SHUTDOWN 0x00000001u
#define EWX_REBOOT 0x00000002u
#define EWX_FORCE 0x00000004u
#define EWX_POWEROFF 0x00000008u

struct LUID {
    DWORD LowPart;
    LONG HighPart;
};
typedef LUID* PLUID;

struct LUID_AND_ATTRIBUTES {
    LUID Luid;
    DWORD Attributes;
};

struct TOKEN_PRIVILEGES {
    DWORD PrivilegeCount;
    LUID_AND_ATTRIBUTES Privileges[1];
};
typedef TOKEN_PRIVILEGES* PTOKEN_PRIVILEGES;

HANDLE WINAPI GetCurrentProcess();
BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle);
BOOL WINAPI LookupPrivilegeValueA(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid);
BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges,
                                  PTOKEN_PRIVILEGES NewState, DWORD BufferLength,
                                  PTOKEN_PRIVILEGES PreviousState, LPDWORD ReturnLength);
BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD dwReason);
