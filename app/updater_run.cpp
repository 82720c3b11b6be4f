// The running side of the update dialog: Start, the worker, its events, the result, the
// power-off offer and closing while an update runs.
#include <iterator>
#include <new>

#include "app/format_text.h"
#include "app/main_window.h"
#include "app/updater_dlg.h"
#include "engine/update_event.h"
#include "engine/update_job.h"
#include "engine/worker_thread.h"
#include "res/resource.h"
#include "transport/platform_info.h"

namespace {

// Progress bar scale: the transfer fills the first half, the drive's four phases start at
// these positions, and a successful end shows the full bar.
constexpr int kProgressMax = 1000;
constexpr int kPhaseBase[] = {500, 625, 750, 875};
constexpr UINT kPhaseStatus[] = {IDS_STATUS_CHECK_RECEIVED, IDS_STATUS_ERASE, IDS_STATUS_WRITE,
                                 IDS_STATUS_CHECK_WRITTEN};

}  // namespace

UINT CUpdaterDlg::ResultStringId(UpdateResult result) {
    static const UINT kResultStrings[] = {
        IDS_RESULT_OK,                 // 0
        IDS_RESULT_SELECT_FAILED,      // 1
        IDS_RESULT_WRITE_MODE_FAILED,  // 2
        IDS_RESULT_OPEN_FAILED,        // 3
        IDS_RESULT_TRANSFER_FAILED,    // 4
        IDS_RESULT_UNLOCK_FAILED,      // 5
        IDS_RESULT_PREPARE_FAILED,     // 6
        IDS_RESULT_BAD_DATA,           // 7
        IDS_RESULT_ERASE_ERROR,        // 8
        IDS_RESULT_WRITE_ERROR,        // 9
        IDS_RESULT_VERIFY_ERROR,       // 10
        IDS_RESULT_READ_FAILED,        // 11
        IDS_RESULT_TYPE_CODE,          // 12
        IDS_RESULT_FILE_READ_FAILED,   // 13
        IDS_ERROR,                     // 14
        IDS_CANCELLED,                 // 15
    };
    if (result < 0 || result >= static_cast<UpdateResult>(std::size(kResultStrings))) {
        return IDS_ERROR;
    }
    return kResultStrings[result];
}

void CUpdaterDlg::OnStart() {
    const int driveSel = m_driveList.GetCurSel();
    if (driveSel < 0) {
        return;
    }
    const int driveIndex = static_cast<int>(m_driveList.GetItemData(driveSel));
    const int imageSel = m_imageList.GetCurSel();
    if (imageSel < 0) {
        return;
    }
    const ImageEntry* image = ImageAt(m_imageList.GetItemData(imageSel));
    if (image == nullptr) {
        return;
    }
    m_selectedImage = *image;
    const CString question =
        FormatText(AfxLoadString(IDS_CONFIRM_START).c_str(), m_selectedImage.fileName.c_str());
    if (AskUser(*this, question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    StartUpdate(driveIndex, m_selectedImage);
}

void CUpdaterDlg::StartUpdate(int driveIndex, const ImageEntry& image) {
    // The previous worker reads nothing of the job once it has reported its end, so the job
    // may be rewritten before that worker is joined.
    g_updateJob.driveIndex = driveIndex;
    g_updateJob.imagePath = image.path;
    g_updateJob.cancel.store(0);
    JoinWorker();

    CUpdateThread* worker = new (std::nothrow) CUpdateThread(&g_updateJob);
    if (worker == nullptr) {
        return;
    }
    m_worker = worker;
    m_busy = 1;
    if (!m_worker->CreateThread()) {
        // No thread means no finished event would ever come: stay idle instead of busy.
        delete m_worker;
        m_worker = nullptr;
        m_busy = 0;
        return;
    }
    EnableStart(FALSE);
    EnableSelection(FALSE);
}

void CUpdaterDlg::JoinWorker() {
    if (m_worker == nullptr) {
        return;
    }
    WaitForSingleObject(m_worker->m_hThread, INFINITE);
    delete m_worker;
    m_worker = nullptr;
}

void CUpdaterDlg::EnableStart(BOOL enable) { GetDlgItem(IDC_START)->EnableWindow(enable); }

void CUpdaterDlg::EnableSelection(BOOL enable) {
    GetDlgItem(IDC_DRIVE_GROUP)->EnableWindow(enable);
    m_imageList.EnableWindow(enable);
    GetDlgItem(IDC_IMAGE_GROUP)->EnableWindow(enable);
    m_driveList.EnableWindow(enable);
}

void CUpdaterDlg::ResetProgress() {
    m_progress.SetRange(0, kProgressMax);
    m_progress.SetPos(0);
}

void CUpdaterDlg::AdvanceProgress(int base) {
    const int current = m_progress.GetPos();
    m_progress.SetPos(current < base ? base : current + 10);
}

LRESULT CUpdaterDlg::OnUpdateEvent(WPARAM wParam, LPARAM lParam) {
    const int value = static_cast<int>(lParam);
    switch (wParam) {
        case kEventStarted:
            ResetProgress();
            break;
        case kEventFinished:
            OnFinished(value);
            break;
        case kEventProgress:
            SetStatus(IDS_STATUS_TRANSFER);
            m_progress.SetPos(value / 2 * 10);
            break;
        case kEventChecking:
        case kEventErasing:
        case kEventWriting:
        case kEventVerifying: {
            const size_t phase = wParam - kEventChecking;
            SetStatus(kPhaseStatus[phase]);
            AdvanceProgress(kPhaseBase[phase]);
            break;
        }
        default:
            break;
    }
    return 0;
}

void CUpdaterDlg::OnFinished(UpdateResult result) {
    if (result == kUpdateSuccess) {
        m_progress.SetPos(kProgressMax);
    }
    ShowResult(result);
    EnableStart(TRUE);
    EnableSelection(TRUE);
    if (result == kUpdateSuccess && g_updateJob.cancel.load() == 0) {
        if (AskUser(*this, AfxLoadString(IDS_CONFIRM_POWER_OFF), MB_YESNO | MB_ICONQUESTION) ==
            IDYES) {
            ShutdownComputer();
        }
    }
    m_busy = 0;
}

void CUpdaterDlg::ShowResult(UpdateResult result) {
    SetStatus(g_updateJob.cancel.load() == 1 ? IDS_CANCELLED : ResultStringId(result));
}

BOOL CUpdaterDlg::ShutdownComputer() {
    if (m_platformId == kPlatformNt) {
        HANDLE token = nullptr;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token) !=
            TRUE) {
            return FALSE;
        }
        TOKEN_PRIVILEGES privileges = {};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        const BOOL enabled =
            LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) ==
                TRUE &&
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) == TRUE;
        CloseHandle(token);
        if (!enabled) {
            return FALSE;
        }
    }
    return ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0);
}

int CUpdaterDlg::ConfirmClose() {
    if (m_busy != 1) {
        return 1;
    }
    if (AskUser(*this, AfxLoadString(IDS_CONFIRM_CLOSE), MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
        return 0;
    }
    if (m_busy != 1) {
        // The update ended while the question was open and its result has been shown:
        // there is nothing left to cancel, and saying it was abandoned would be untrue.
        return 1;
    }
    g_updateJob.cancel.store(1);
    JoinWorker();
    AskUser(*this, AfxLoadString(IDS_CLOSE_CANCELLED), MB_OK | MB_ICONINFORMATION);
    return 1;
}

void CUpdaterDlg::OnClose() {
    if (ConfirmClose() == 1) {
        CDialog::OnClose();
    }
}

void CUpdaterDlg::OnOK() {
    if (ConfirmClose() == 1) {
        CDialog::OnOK();
    }
}
