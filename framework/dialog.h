// Modal dialogs made from a dialog template, and dialog data exchange.
//
//     class CMyDlg : public CDialog {
//       public:
//         CMyDlg() : CDialog(IDD_MY_DIALOG) {}
//       protected:
//         void DoDataExchange(CDataExchange* pDX) override {
//             CDialog::DoDataExchange(pDX);
//             DDX_Control(pDX, IDC_LIST, m_list);
//             DDX_Text(pDX, IDC_NAME, m_name);
//         }
//         BOOL OnInitDialog() override { CDialog::OnInitDialog(); ...; return TRUE; }
//         CComboBox m_list;
//         CString m_name;
//     };
#pragma once

#include "framework/controls.h"

// Moves values between a dialog's controls and its members: m_bSaveAndValidate TRUE takes
// the controls' values into the members, FALSE puts the members into the controls.
class CDataExchange {
  public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    // The handle of control nIDC. A missing control is a fault of the template or the
    // program and ends the process with a message.
    HWND PrepareCtrl(int nIDC);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds the control to the member object (once; later exchanges do nothing).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// nIDC is the first radio button of a group: value = the position of the checked button in
// the group, -1 for none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// value: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // A template of one's own (tests, tools).
    explicit CDialog(const res::DialogTemplate& dialogTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Creates the window from the template, runs OnInitDialog, then a modal loop that
    // delivers posted messages and the user's input until EndDialog; destroys the window
    // and returns the EndDialog result; -1 when the template does not exist.
    virtual INT_PTR DoModal();
    // Base: puts the members into the controls (UpdateData(FALSE)); TRUE lets the framework
    // set the focus to the first control that takes it.
    virtual BOOL OnInitDialog();
    // Ends the modal loop once the current message has been handled.
    void EndDialog(int nResult);

  protected:
    // The IDOK command (the default button, Enter): takes the controls' values and ends
    // with IDOK.
    virtual void OnOK();
    // The IDCANCEL command (Esc, and the default processing of WM_CLOSE): ends with IDCANCEL.
    virtual void OnCancel();

    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

  private:
    LRESULT HandleInitDialog(WPARAM, LPARAM);

    const res::DialogTemplate* m_template;
    UINT m_templateId;
    bool m_endRequested = false;
    int m_result = 0;
};
