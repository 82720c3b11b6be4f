// The calling thread's last error, as each thread of a Windows process has its own.
#include "winapi/winbase.h"

static thread_local DWORD t_lastError = ERROR_SUCCESS;

DWORD WINAPI GetLastError() { return t_lastError; }

void WINAPI SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }
