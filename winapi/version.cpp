// GetVersionExA: the platform the active machine reports.
#include "machine/machine.h"
#include "winapi/winbase.h"

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    if (lpVersionInformation == nullptr ||
        lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(lpVersionInformation == nullptr ? ERROR_INVALID_PARAMETER
                                                     : ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!machine::Active().Version(info)) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    info.dwOSVersionInfoSize = sizeof info;
    info.szCSDVersion[sizeof info.szCSDVersion - 1] = '\0';
    *lpVersionInformation = info;
    return TRUE;
}
