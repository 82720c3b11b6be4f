// Events, waits, Sleep and the tick count, all on the active machine's clock.
#include <thread>

#include "machine/machine.h"
#include "winapi/event_object.h"
#include "winapi/winbase.h"

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR) {
    // Names are not shared: the program never opens an event by name.
    DWORD error = machine::Active().CreateEventError();
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    return winapi::HandleTable::Add(
        std::make_shared<winapi::EventObject>(bManualReset != FALSE, bInitialState != FALSE));
}

static BOOL WithEvent(HANDLE hEvent, void (winapi::EventObject::*action)()) {
    auto event = winapi::HandleTable::Find<winapi::EventObject>(hEvent);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ((*event).*action)();
    return TRUE;
}

BOOL WINAPI SetEvent(HANDLE hEvent) { return WithEvent(hEvent, &winapi::EventObject::Set); }

BOOL WINAPI ResetEvent(HANDLE hEvent) { return WithEvent(hEvent, &winapi::EventObject::Reset); }

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    auto event = winapi::HandleTable::Find<winapi::EventObject>(hHandle);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    machine::Machine& m = machine::Active();
    if (m.WaitFails()) {
        SetLastError(ERROR_GEN_FAILURE);
        return WAIT_FAILED;
    }
    return event->Wait(m.clock(), dwMilliseconds);
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    machine::Active().clock().Sleep(dwMilliseconds);
}

DWORD WINAPI GetTickCount() { return static_cast<DWORD>(machine::Active().clock().NowMs()); }
