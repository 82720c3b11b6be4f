// Inside the window model: handles, the message queues of the user-interface threads,
// message dispatch and the modal loops. Not for the program's own code.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "framework/model.h"

class CWnd;

namespace afx::detail {

struct Message {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Gives the window a new handle, owned by the calling thread (its queue receives what is
// posted to the window).
HWND RegisterWindow(Window& window);
void UnregisterWindow(HWND hwnd);
// Any thread: queues the message for the thread that owns the window; FALSE when the window
// does not exist (any more).
BOOL PostToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The calling thread's queue.
bool QueueEmpty();

// Calls the window object's WindowProc; a CException* thrown out of it is reported in a
// message box and released.
LRESULT CallWindowProc(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam);
// The message being handled on this thread (for CWnd::Default), null outside a handler.
const Message* CurrentMessage();

// Runs a modal loop for `window` (already created) until `ended` holds: puts it on top,
// delivers posted messages, sends WM_PAINT to windows that need it, and asks the frontend
// for input when the queue is empty.
void RunModalLoop(Window& window, const std::function<bool()>& ended);

// Something visible changed in the window (tells the frontend).
void NotifyChanged(Window& window);

// A modal message box owned by `owner` (may be null); returns the answer.
int RunMessageBox(Window* owner, const CString& text, const CString& caption, UINT type);

// The items of a fresh system menu: Move, a separator, Close.
std::vector<MenuItem> DefaultSystemMenu();

// The model of the window a CWnd is bound to, null when it is not bound.
Window* WindowOf(const CWnd& wnd);

}  // namespace afx::detail
