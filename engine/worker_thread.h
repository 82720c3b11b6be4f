// The update runs on a worker thread of its own; the thread object outlives the thread and
// is joined and deleted by its owner.
#pragma once

#include "engine/update_job.h"
#include "framework/thread.h"

// Calls Work of the thread object it is given; the thread's exit code is 0.
UINT WorkerThreadProc(LPVOID param);

class CWorkerThread : public CWinThread {
  public:
    CWorkerThread();
    ~CWorkerThread() override;
    virtual void Work();
};

class CUpdateThread : public CWorkerThread {
  public:
    explicit CUpdateThread(UpdateJob* job);
    ~CUpdateThread() override;
    void Work() override;

    UpdateJob* m_job;
};
