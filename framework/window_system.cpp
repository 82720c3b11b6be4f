#include "framework/window_system.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "framework/app.h"
#include "framework/file.h"
#include "framework/frontend.h"
#include "framework/wnd.h"
#include "winapi/user_seam.h"

namespace afx {
namespace {

// The messages posted to the windows of one user-interface thread.
struct MessageQueue {
    std::mutex lock;
    std::condition_variable posted;
    std::deque<detail::Message> messages;

    void Push(const detail::Message& m) {
        std::lock_guard<std::mutex> guard(lock);
        messages.push_back(m);
        posted.notify_all();
    }
    void WaitNotEmpty() {
        std::unique_lock<std::mutex> guard(lock);
        posted.wait(guard, [this] { return !messages.empty(); });
    }
    bool Pop(detail::Message& m) {
        std::lock_guard<std::mutex> guard(lock);
        if (messages.empty()) return false;
        m = messages.front();
        messages.pop_front();
        return true;
    }
    bool Empty() {
        std::lock_guard<std::mutex> guard(lock);
        return messages.empty();
    }
};

struct Registration {
    Window* window;
    std::shared_ptr<MessageQueue> queue;
};

std::mutex g_registryLock;
std::unordered_map<HWND, Registration> g_windows;
uintptr_t g_lastHandle = 0;

std::mutex g_frontendLock;  // Wake never runs on a frontend that has been uninstalled
std::atomic<Frontend*> g_frontend{nullptr};

std::shared_ptr<MessageQueue>& ThisThreadQueue() {
    thread_local std::shared_ptr<MessageQueue> queue = std::make_shared<MessageQueue>();
    return queue;
}

std::vector<Window*>& ThisThreadModalWindows() {
    thread_local std::vector<Window*> windows;
    return windows;
}

std::vector<detail::Message>& CurrentMessages() {
    thread_local std::vector<detail::Message> messages;
    return messages;
}

BOOL PostThroughWinapi(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return detail::PostToWindow(hWnd, Msg, wParam, lParam);
}

CString FileErrorText(const CFileException& e) {
    const CString& name = e.m_strFileName;
    switch (e.m_cause) {
        case CFileException::fileNotFound:
            return name + " が見つかりません。";
        case CFileException::accessDenied:
            return name + " にアクセスできません。";
        case CFileException::endOfFile:
            return name + " の終わりを越えて読み込もうとしました。";
        default:
            return name + " へのアクセス中にエラーが発生しました。";
    }
}

// What the class library does with an exception that leaves a message handler.
void ReportException(CException* e) {
    if (auto* fileError = dynamic_cast<CFileException*>(e)) {
        AfxMessageBox(FileErrorText(*fileError).c_str(), MB_ICONEXCLAMATION);
    } else {
        AfxMessageBox("内部アプリケーション エラーが発生しました。", MB_ICONHAND);
    }
}

// Sends WM_PAINT to one window of this thread that needs it; false when none does.
bool PaintOne() {
    for (Window* w : ThisThreadModalWindows()) {
        if (!w->needsPaint) continue;
        w->needsPaint = false;
        if (w->visible && w->handler != nullptr) {
            w->needsPaint = true;  // until the handler validates it
            detail::CallWindowProc(*w->handler, WM_PAINT, 0, 0);
            w->needsPaint = false;  // a handler that does not validate is not asked again
        }
        return true;
    }
    return false;
}

}  // namespace

Window* FindWindow(HWND hwnd) {
    std::lock_guard<std::mutex> guard(g_registryLock);
    auto it = g_windows.find(hwnd);
    return it == g_windows.end() ? nullptr : it->second.window;
}

const std::vector<Window*>& ModalWindows() { return ThisThreadModalWindows(); }

Window* TopWindow() {
    const auto& windows = ThisThreadModalWindows();
    return windows.empty() ? nullptr : windows.back();
}

void SetFrontend(Frontend* frontend) {
    std::lock_guard<std::mutex> guard(g_frontendLock);
    g_frontend.store(frontend);
}

Frontend* GetFrontend() { return g_frontend.load(); }

namespace detail {

HWND RegisterWindow(Window& window) {
    winapi::SetPostMessageHandler(&PostThroughWinapi);
    std::lock_guard<std::mutex> guard(g_registryLock);
    // Handles are never reused, so a stale handle reaches no newer window.
    HWND hwnd = reinterpret_cast<HWND>(++g_lastHandle << 4);
    g_windows[hwnd] = Registration{&window, ThisThreadQueue()};
    window.hwnd = hwnd;
    return hwnd;
}

void UnregisterWindow(HWND hwnd) {
    std::lock_guard<std::mutex> guard(g_registryLock);
    g_windows.erase(hwnd);
}

BOOL PostToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<MessageQueue> queue;
    {
        std::lock_guard<std::mutex> guard(g_registryLock);
        auto it = g_windows.find(hwnd);
        if (it == g_windows.end()) return FALSE;
        queue = it->second.queue;
    }
    queue->Push(Message{hwnd, message, wParam, lParam});
    std::lock_guard<std::mutex> guard(g_frontendLock);
    if (Frontend* frontend = g_frontend.load()) frontend->Wake();
    return TRUE;
}

bool QueueEmpty() { return ThisThreadQueue()->Empty(); }

LRESULT CallWindowProc(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& current = CurrentMessages();
    current.push_back(Message{wnd.GetSafeHwnd(), message, wParam, lParam});
    LRESULT result = 0;
    try {
        result = wnd.WindowProc(message, wParam, lParam);
    } catch (CException* e) {
        ReportException(e);
        e->Delete();
    }
    current.pop_back();
    return result;
}

const Message* CurrentMessage() {
    const auto& current = CurrentMessages();
    return current.empty() ? nullptr : &current.back();
}

void RunModalLoop(Window& window, const std::function<bool()>& ended) {
    auto& modal = ThisThreadModalWindows();
    modal.push_back(&window);
    if (Frontend* frontend = GetFrontend()) frontend->Opened(window);
    std::shared_ptr<MessageQueue> queue = ThisThreadQueue();
    while (!ended()) {
        Message m;
        if (queue->Pop(m)) {
            Window* target = FindWindow(m.hwnd);
            // Messages for windows destroyed since they were posted are dropped.
            if (target != nullptr && target->handler != nullptr) {
                CallWindowProc(*target->handler, m.message, m.wParam, m.lParam);
            }
            continue;
        }
        if (PaintOne()) continue;
        if (Frontend* frontend = GetFrontend()) {
            frontend->WaitForInput();
        } else {
            queue->WaitNotEmpty();  // nobody gives input: only posted messages come
        }
    }
    if (Frontend* frontend = GetFrontend()) frontend->Closed(window);
    modal.pop_back();
}

void NotifyChanged(Window& window) {
    Window* top = &window;
    while (!top->IsTopLevel() && top->parent != nullptr) top = top->parent;
    if (Frontend* frontend = GetFrontend()) frontend->Changed(*top);
}

Window* WindowOf(const CWnd& wnd) {
    HWND hwnd = wnd.GetSafeHwnd();
    return hwnd == nullptr ? nullptr : FindWindow(hwnd);
}

}  // namespace detail
}  // namespace afx
