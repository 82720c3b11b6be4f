// Controls of the class library, bound to the controls of a dialog by DDX_Control or
// SubclassWindow. Setting a selection or text from the program sends no notification:
// only the user's own choices do (framework/user_input.h).
#pragma once

#include "framework/wnd.h"

class CStatic : public CWnd {
  public:
    HICON SetIcon(HICON hIcon);
    HICON GetIcon() const;
};

class CButton : public CWnd {
  public:
    int GetCheck() const;
    void SetCheck(int nCheck);
};

class CEdit : public CWnd {};

// A drop-down list. With CBS_SORT, items are kept in byte-wise order of their texts.
class CComboBox : public CWnd {
  public:
    // Adds an item (in sorted position when sorted, else at the end); returns its index.
    int AddString(LPCSTR lpszString);
    // Inserts at nIndex (-1: at the end) without sorting; returns the index.
    int InsertString(int nIndex, LPCSTR lpszString);
    // Returns the remaining count, CB_ERR for a bad index.
    int DeleteString(UINT nIndex);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    // Selects an item; -1 clears the selection. Returns the index, CB_ERR when cleared or
    // out of range (which also clears).
    int SetCurSel(int nSelect);
    DWORD_PTR GetItemData(int nIndex) const;  // CB_ERR for a bad index
    int SetItemData(int nIndex, DWORD_PTR dwItemData);
    void GetLBText(int nIndex, CString& rString) const;
    int GetLBTextLen(int nIndex) const;
};

// A list box. With LBS_SORT, items are kept in byte-wise order of their texts.
class CListBox : public CWnd {
  public:
    int AddString(LPCSTR lpszString);
    int InsertString(int nIndex, LPCSTR lpszString);
    int DeleteString(UINT nIndex);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int nSelect);
    DWORD_PTR GetItemData(int nIndex) const;  // LB_ERR for a bad index
    int SetItemData(int nIndex, DWORD_PTR dwItemData);
    int GetText(int nIndex, CString& rString) const;
    int GetTextLen(int nIndex) const;
};

class CProgressCtrl : public CWnd {
  public:
    void SetRange(short nLower, short nUpper);
    void SetRange32(int nLower, int nUpper);
    void GetRange(int& nLower, int& nUpper) const;
    // Returns the previous position. A position outside the range is set to its nearest
    // end, as the common control does.
    int SetPos(int nPos);
    int GetPos() const;
    int OffsetPos(int nPos);
};
