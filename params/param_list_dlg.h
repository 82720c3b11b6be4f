// The editor of a drive parameter file: lists its entries by product name, adds, edits and
// deletes them in memory and writes them back when the user agrees on closing.
#pragma once

#include "framework/afxwin.h"
#include "params/drive_param.h"
#include "params/param_file.h"

class CParamListDlg : public CDialog {
  public:
    // Reads the file at `path` (the default parameter file when null) once, here.
    explicit CParamListDlg(const char* path = nullptr, CWnd* pParent = nullptr);
    ~CParamListDlg() override;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The Close button (and Enter): ends the dialog once the close question allows it.
    void OnOK() override;

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnClose();
    afx_msg void OnSelChange();
    afx_msg void OnAdd();
    afx_msg void OnEdit();
    afx_msg void OnDelete();
    DECLARE_MESSAGE_MAP()

    CListBox m_list;
    HICON m_hIcon;
    CDriveParamList m_loaded;  // as read from the file; what "changed" is measured against
    CParamFile m_file;
    CDriveParamList m_params;  // what the dialog shows and changes

  private:
    int FillList();
    // The position of the selected entry, negative when nothing is selected.
    int SelectedEntry() const;
    bool IsValidEntry(int position) const;
    DriveParam& EntryAt(int position);
    void UpdateDetails();
    // position -1 adds a new entry.
    void AddOrEdit(int position);
    // Whether another item than `position` already carries the product name.
    bool IsDuplicate(const CString& productName, int position) const;
    bool IsUnchanged() const;
    // true when the dialog may close: unchanged, or saved, or changes given up.
    bool ConfirmClose();
};
