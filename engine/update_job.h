// The job that the dialog hands to the update worker.
#pragma once

#include <atomic>
#include <cstdint>

#include "framework/afxstr.h"
#include "winapi/windows.h"

class CDriveController;
class CWnd;

struct UpdateJob {
    int32_t driveIndex = 0;  // position in the controller's m_drives
    CDriveController* controller = nullptr;
    CString imagePath;
    CWnd* notifyWnd = nullptr;
    UINT message = 0;  // WM_UPDATE_EVENT
    // The only datum both threads touch during a run: the dialog writes 1 when the user
    // abandons the update, the worker reads it before each block and each polling cycle.
    std::atomic<int32_t> cancel{0};
};

extern UpdateJob g_updateJob;
