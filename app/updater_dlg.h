// The window of update mode: pick a discovered drive and a firmware image, start the update
// and follow it in the status line and the progress bar.
#pragma once

#include "catalog/image_entry.h"
#include "engine/drive_entry.h"
#include "engine/update_result.h"
#include "framework/afxwin.h"
#include "params/drive_param.h"

class CDriveController;
class CUpdateThread;

class CUpdaterDlg : public CDialog {
  public:
    explicit CUpdaterDlg(CWnd* pParent = nullptr);
    // Waits for a running update to end (it is not cancelled), then releases the controller
    // and the ASPI module.
    ~CUpdaterDlg() override;

    // Lists and the rules by which the two selections follow each other.
    int FillImageList();
    int FillDriveList();
    static int BuildDriveName(const DriveEntry& entry, CString& name);
    static int AppendPrintable(const uint8_t* field, int width, CString& text);
    int PickImageForDrive(const DriveEntry& drive);
    int PickDriveForImage(const ImageEntry& image);
    void RefreshStartState();
    void SetStatus(UINT nID);

    // Running an update.
    void StartUpdate(int driveIndex, const ImageEntry& image);
    void JoinWorker();
    void ResetProgress();
    void AdvanceProgress(int base);
    void ShowResult(UpdateResult result);
    void EnableStart(BOOL enable);
    void EnableSelection(BOOL enable);
    int ConfirmClose();
    BOOL ShutdownComputer();

    // The string shown for an update's result when it was not cancelled.
    static UINT ResultStringId(UpdateResult result);

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The Close button (and Enter): ends the dialog once ConfirmClose allows it.
    void OnOK() override;

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnDriveSelChange();
    afx_msg void OnImageSelChange();
    afx_msg void OnStart();
    afx_msg void OnClose();
    afx_msg LRESULT OnUpdateEvent(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CProgressCtrl m_progress;
    CStatic m_status;
    CComboBox m_driveList;
    CComboBox m_imageList;
    HICON m_hIcon;
    CDriveParamList m_params;
    int32_t m_busy;  // 1 while an update worker runs
    CUpdateThread* m_worker;
    ImageEntry m_selectedImage;
    CDriveController* m_controller;
    CImageEntryList m_images;
    int32_t m_platformId;
    HMODULE m_aspiLibrary;

  private:
    void FailStartup(UINT nID);
    void OnFinished(UpdateResult result);
    // The entry behind an item's data, null when the data lies outside its list.
    const DriveEntry* DriveAt(DWORD_PTR itemData) const;
    const ImageEntry* ImageAt(DWORD_PTR itemData) const;
};
