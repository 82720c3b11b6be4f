// The events by which a running update reports to its window: WM_UPDATE_EVENT with the
// event code in wParam and a value in lParam, always posted, never sent.
#pragma once

#include "winapi/winuser.h"

#define WM_UPDATE_EVENT (WM_USER + 100)

enum UpdateEventCode {
    kEventStarted = 0,
    kEventFinished = 1,   // value: the UpdateResult
    kEventProgress = 2,   // value: percent of the full blocks sent, 0 to 99
    kEventChecking = 3,   // the drive checks the received data
    kEventErasing = 4,    // ... erases the old data
    kEventWriting = 5,    // ... writes the new data
    kEventVerifying = 6,  // ... checks the written data
};
