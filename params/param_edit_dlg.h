// The values of one drive parameter entry, as the user enters them. The caller presets the
// members, runs the dialog and, after OK, reads them back; nothing is checked here.
#pragma once

#include "framework/afxwin.h"

class CParamEditDlg : public CDialog {
  public:
    explicit CParamEditDlg(CWnd* pParent = nullptr);
    ~CParamEditDlg() override;

    CString m_productName;
    CString m_modelName;
    int m_interface;      // 0 SCSI, 1 ATAPI, -1 neither chosen
    CString m_offset;     // hexadecimal text, converted by the caller
    int m_typeCodeCheck;  // 1: the type code can be read at the offset

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    // The offset only matters when the type code is read; it keeps its text while disabled.
    afx_msg void UpdateOffsetState();
    DECLARE_MESSAGE_MAP()
};
