// The class library's thread object in its worker-thread form: a thread procedure and its
// parameter, no message loop of its own. The object may outlive its thread; its handle
// (m_hThread) is waitable with WaitForSingleObject until the object is destroyed.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "winapi/windows.h"

typedef UINT (*AFX_THREADPROC)(LPVOID);

#ifndef CREATE_SUSPENDED
#define CREATE_SUSPENDED 0x00000004u
#endif

class CWinThread {
  public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    // Waits for the thread to end (joins it), then closes the handle.
    virtual ~CWinThread();

    // Starts the thread. Creation flags other than 0 (suspended start) are not supported and
    // give FALSE, as does a second call. Stack size and security are accepted and ignored.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0,
                      LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    // The thread's exit code once it has ended (the procedure's result); STILL_ACTIVE before.
    BOOL GetExitCodeThread(LPDWORD lpExitCode) const;

    // Signalled when the thread procedure has returned. Null before CreateThread.
    HANDLE m_hThread = nullptr;
    // TRUE: the object deletes itself when its thread ends (nobody may wait on it then).
    BOOL m_bAutoDelete = TRUE;

  private:
    static void Trampoline(CWinThread* self);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
    std::mutex m_startLock;  // held until m_thread is assigned
    std::thread m_thread;
    std::atomic<DWORD> m_exitCode;
    std::shared_ptr<void> m_endEvent;  // the object behind m_hThread
};

#ifndef STILL_ACTIVE
#define STILL_ACTIVE 0x00000103u
#endif
