// Posting window messages and the system metrics that the program asks for.
#include <atomic>

#include "winapi/user_seam.h"
#include "winapi/winuser.h"

namespace {
std::atomic<winapi::PostMessageHandler> g_postHandler{nullptr};
}

void winapi::SetPostMessageHandler(PostMessageHandler handler) { g_postHandler.store(handler); }

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    winapi::PostMessageHandler handler = g_postHandler.load();
    if (handler == nullptr) return FALSE;  // no window exists yet
    return handler(hWnd, Msg, wParam, lParam);
}

int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
        case SM_CXICON:
        case SM_CYICON:
            return 32;  // the standard icon size
        default:
            return 0;
    }
}
