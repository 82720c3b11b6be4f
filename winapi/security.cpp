// The process token and shutdown. On the NT family ExitWindowsEx needs the shutdown privilege
// enabled in the process token; the 95/98 family has no tokens and needs nothing.
#include <strings.h>

#include "machine/machine.h"
#include "winapi/handle_table.h"
#include "winapi/security.h"
#include "winapi/winbase.h"

namespace {

const LONG kShutdownPrivilege = 19;  // the local identifier Windows gives SeShutdownPrivilege

class TokenObject : public winapi::KernelObject {
  public:
    explicit TokenObject(DWORD access) : access(access) {}
    const DWORD access;
};

bool IsNtFamily(machine::Machine& m) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return m.Version(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool NotOnThisFamily(machine::Machine& m) {
    if (IsNtFamily(m)) return false;
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return true;
}

}  // namespace

HANDLE WINAPI GetCurrentProcess() { return INVALID_HANDLE_VALUE; }  // the pseudo handle

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
    if (NotOnThisFamily(machine::Active())) return FALSE;
    if (ProcessHandle != GetCurrentProcess() || TokenHandle == nullptr) {
        SetLastError(TokenHandle == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *TokenHandle = winapi::HandleTable::Add(std::make_shared<TokenObject>(DesiredAccess));
    return TRUE;
}

BOOL WINAPI LookupPrivilegeValueA(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid) {
    if (NotOnThisFamily(machine::Active())) return FALSE;
    if (lpName == nullptr || lpLuid == nullptr || (lpSystemName != nullptr && *lpSystemName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (strcasecmp(lpName, SE_SHUTDOWN_NAME) != 0) {
        SetLastError(ERROR_NO_SUCH_PRIVILEGE);
        return FALSE;
    }
    lpLuid->LowPart = kShutdownPrivilege;
    lpLuid->HighPart = 0;
    return TRUE;
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges,
                                  PTOKEN_PRIVILEGES NewState, DWORD BufferLength,
                                  PTOKEN_PRIVILEGES PreviousState, LPDWORD ReturnLength) {
    machine::Machine& m = machine::Active();
    if (NotOnThisFamily(m)) return FALSE;
    auto token = winapi::HandleTable::Find<TokenObject>(TokenHandle);
    if (!token) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if ((token->access & TOKEN_ADJUST_PRIVILEGES) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!DisableAllPrivileges && NewState == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool wasEnabled = m.ShutdownPrivilegeEnabled();
    if (PreviousState != nullptr) {
        if (BufferLength < sizeof(TOKEN_PRIVILEGES)) {
            if (ReturnLength != nullptr) *ReturnLength = sizeof(TOKEN_PRIVILEGES);
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        PreviousState->PrivilegeCount = 1;
        PreviousState->Privileges[0].Luid = {kShutdownPrivilege, 0};
        PreviousState->Privileges[0].Attributes = wasEnabled ? SE_PRIVILEGE_ENABLED : 0;
        if (ReturnLength != nullptr) *ReturnLength = sizeof(TOKEN_PRIVILEGES);
    }
    if (DisableAllPrivileges) {
        m.EnableShutdownPrivilege(false);
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    // Success even when a privilege is not held: the caller learns it from the last error.
    bool allAssigned = true;
    for (DWORD i = 0; i < NewState->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& p = NewState->Privileges[i];
        if (p.Luid.LowPart != kShutdownPrivilege || p.Luid.HighPart != 0 || !m.MayPowerOff()) {
            allAssigned = false;
            continue;
        }
        m.EnableShutdownPrivilege((p.Attributes & SE_PRIVILEGE_ENABLED) != 0);
    }
    SetLastError(allAssigned ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}

BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD) {
    machine::Machine& m = machine::Active();
    if (IsNtFamily(m) && !m.ShutdownPrivilegeEnabled()) {
        SetLastError(ERROR_PRIVILEGE_NOT_HELD);
        return FALSE;
    }
    if (!m.PowerOff(uFlags)) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    return TRUE;
}
