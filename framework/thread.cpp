#include "framework/thread.h"

#include "winapi/event_object.h"

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam), m_exitCode(STILL_ACTIVE) {}

CWinThread::~CWinThread() {
    // An auto-deleting object is destroyed by its own thread, which has detached itself.
    if (m_thread.joinable()) m_thread.join();
    if (m_hThread != nullptr) CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT, LPSECURITY_ATTRIBUTES) {
    if (dwCreateFlags != 0 || m_hThread != nullptr || m_pfnThreadProc == nullptr) return FALSE;
    // A manual-reset event in the kernel-object table stands for the thread handle, so waits
    // on it pass on the machine's clock like every other wait.
    auto ended = std::make_shared<winapi::EventObject>(true, false);
    m_hThread = winapi::HandleTable::Add(ended);
    m_endEvent = ended;
    std::lock_guard<std::mutex> started(m_startLock);
    m_thread = std::thread(&CWinThread::Trampoline, this);
    return TRUE;
}

BOOL CWinThread::GetExitCodeThread(LPDWORD lpExitCode) const {
    if (lpExitCode == nullptr || m_hThread == nullptr) return FALSE;
    *lpExitCode = m_exitCode.load();
    return TRUE;
}

void CWinThread::Trampoline(CWinThread* self) {
    { std::lock_guard<std::mutex> started(self->m_startLock); }
    UINT code = self->m_pfnThreadProc(self->m_pThreadParams);
    self->m_exitCode.store(code);
    auto ended = std::static_pointer_cast<winapi::EventObject>(self->m_endEvent);
    if (self->m_bAutoDelete) {
        // Nobody joins an auto-deleting thread: it lets go of its std::thread and deletes
        // its own object; the end event outlives it through `ended`.
        self->m_thread.detach();
        delete self;
    }
    ended->Set();
}
