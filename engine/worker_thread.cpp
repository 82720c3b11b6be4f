#include "engine/worker_thread.h"

#include "engine/drive_controller.h"

UINT WorkerThreadProc(LPVOID param) {
    static_cast<CWorkerThread*>(param)->Work();
    return 0;
}

CWorkerThread::CWorkerThread() : CWinThread(WorkerThreadProc, this) { m_bAutoDelete = FALSE; }

CWorkerThread::~CWorkerThread() = default;

void CWorkerThread::Work() {}

CUpdateThread::CUpdateThread(UpdateJob* job) : m_job(job) {}

CUpdateThread::~CUpdateThread() = default;

void CUpdateThread::Work() {
    if (m_job == nullptr || m_job->controller == nullptr) {
        return;
    }
    CDriveController* controller = m_job->controller;
    controller->m_notifyWnd = m_job->notifyWnd;
    controller->m_notifyMsg = m_job->message;
    controller->m_cancel = &m_job->cancel;
    const CString imagePath = m_job->imagePath;
    controller->RunUpdate(m_job->driveIndex, imagePath.c_str());
}
