// How PostMessageA reaches the windows, which belong to the class library above: it installs
// the delivery once it has windows. Until then there is no window to post to.
#pragma once

#include "winapi/windef.h"

namespace winapi {

using PostMessageHandler = BOOL (*)(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
void SetPostMessageHandler(PostMessageHandler handler);

}  // namespace winapi
