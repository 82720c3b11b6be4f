// Windows of the class library: the window object bound to a window of the model
// (framework/model.h) by its handle, the system menu, and painting.
#pragma once

#include <atomic>

#include "framework/afxstr.h"
#include "framework/msgmap.h"

class CDataExchange;
class CWnd;

class CRect : public RECT {
  public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};

// A menu; only a window's system menu exists.
class CMenu {
  public:
    HMENU m_hMenu = nullptr;

    // Appends MF_SEPARATOR or an MF_STRING item with its command id and text.
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
    UINT GetMenuItemCount() const;
    // The command id of the item at nPos; 0 for a separator, (UINT)-1 for no item.
    UINT GetMenuItemID(int nPos) const;
    // The text of an item by command id (MF_BYCOMMAND) or position (MF_BYPOSITION); returns
    // its length, 0 when there is no such item.
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
};

// A device context: drawing is recorded in the window's model.
class CDC {
  public:
    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON hIcon);
};

// Begins painting a window on construction and ends it on destruction.
class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();

  private:
    CWnd* m_pWnd;
};

class CWnd : public CCmdTarget {
  public:
    CWnd() = default;
    // Releases the binding to its window (the window itself belongs to its dialog).
    ~CWnd() override;

    // The handle of the bound window, null when none. Atomic because a worker thread may
    // read it to post while the user-interface thread destroys the window.
    std::atomic<HWND> m_hWnd{nullptr};

    HWND GetSafeHwnd() const { return m_hWnd.load(); }
    // The object that handles the window's messages (a bound member or the dialog's own
    // object for the control), null for an unknown handle.
    static CWnd* FromHandle(HWND hWnd);
    // Binds this object to an existing window; FALSE when it is bound already or the window
    // is bound to another object.
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();

    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;

    void SetWindowText(LPCSTR lpszString);
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int nID, LPCSTR lpszString);
    int GetDlgItemText(int nID, CString& rString) const;

    // Returns nonzero when the window was disabled before.
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    // Returns nonzero when the window was visible before.
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    CWnd* SetFocus();

    // The window's system menu, null when it has none. bRevert = TRUE restores the
    // default items and returns null.
    CMenu* GetSystemMenu(BOOL bRevert) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;
    BOOL GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl);
    void GetClientRect(LPRECT lpRect) const;
    void Invalidate(BOOL bErase = TRUE);

    // A modal message box owned by this window; keeps delivering posted messages while it
    // is open. A null caption means the application's name.
    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // Queues a message for the window's thread and returns at once.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Handles a message now; only on the thread that owns the window.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // The message entry point: the message map first, default processing otherwise.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Default processing: WM_SYSCOMMAND SC_CLOSE becomes WM_CLOSE, SC_MINIMIZE/SC_RESTORE
    // change the show state; WM_CLOSE ends a dialog as cancelled (the IDCANCEL command);
    // WM_PAINT validates; everything else gives 0.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled.
    LRESULT Default();

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnClose();
    afx_msg void OnDestroy();

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

  private:
    mutable CMenu m_systemMenu;
};
