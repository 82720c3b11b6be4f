#include "framework/controls.h"

#include <algorithm>

#include "framework/window_system.h"

using afx::Window;
using afx::WindowKind;
using afx::detail::NotifyChanged;
using afx::detail::WindowOf;

namespace {

// The list behind a drop-down list or list box object; null when unbound or of another kind.
Window* ListOf(const CWnd& wnd) {
    Window* w = WindowOf(wnd);
    if (w == nullptr || (w->kind != WindowKind::ComboBox && w->kind != WindowKind::ListBox)) {
        return nullptr;
    }
    return w;
}

bool ValidIndex(const Window& list, int index) {
    return index >= 0 && static_cast<size_t>(index) < list.items.size();
}

int Insert(Window& list, int index, LPCSTR text) {
    CString s = text != nullptr ? text : "";
    list.items.insert(list.items.begin() + index, afx::ListItem{s, 0});
    // The selected item stays selected, one place further down.
    if (list.curSel >= index) ++list.curSel;
    NotifyChanged(list);
    return index;
}

int AddString(const CWnd& wnd, LPCSTR text) {
    Window* list = ListOf(wnd);
    if (list == nullptr) return CB_ERR;
    int index = static_cast<int>(list->items.size());
    if (list->Sorted()) {
        // Byte-wise order; an equal text goes after the ones already there.
        CString s = text != nullptr ? text : "";
        auto at = std::upper_bound(
            list->items.begin(), list->items.end(), s,
            [](const CString& value, const afx::ListItem& item) { return value < item.text; });
        index = static_cast<int>(at - list->items.begin());
    }
    return Insert(*list, index, text);
}

int InsertString(const CWnd& wnd, int index, LPCSTR text) {
    Window* list = ListOf(wnd);
    if (list == nullptr) return CB_ERR;
    if (index == -1) index = static_cast<int>(list->items.size());
    if (index < 0 || static_cast<size_t>(index) > list->items.size()) return CB_ERR;
    return Insert(*list, index, text);
}

int DeleteString(const CWnd& wnd, UINT index) {
    Window* list = ListOf(wnd);
    if (list == nullptr || !ValidIndex(*list, static_cast<int>(index))) return CB_ERR;
    int i = static_cast<int>(index);
    list->items.erase(list->items.begin() + i);
    if (list->curSel == i) {
        list->curSel = -1;
    } else if (list->curSel > i) {
        --list->curSel;
    }
    NotifyChanged(*list);
    return static_cast<int>(list->items.size());
}

void ResetContent(const CWnd& wnd) {
    Window* list = ListOf(wnd);
    if (list == nullptr) return;
    list->items.clear();
    list->curSel = -1;
    NotifyChanged(*list);
}

int GetCount(const CWnd& wnd) {
    Window* list = ListOf(wnd);
    return list == nullptr ? CB_ERR : static_cast<int>(list->items.size());
}

int GetCurSel(const CWnd& wnd) {
    Window* list = ListOf(wnd);
    return list == nullptr ? CB_ERR : list->curSel;
}

// The program's own selection: no notification goes to the dialog.
int SetCurSel(const CWnd& wnd, int index) {
    Window* list = ListOf(wnd);
    if (list == nullptr) return CB_ERR;
    int selection = ValidIndex(*list, index) ? index : -1;
    if (list->curSel != selection) {
        list->curSel = selection;
        NotifyChanged(*list);
    }
    return selection == -1 ? CB_ERR : selection;
}

DWORD_PTR GetItemData(const CWnd& wnd, int index) {
    Window* list = ListOf(wnd);
    if (list == nullptr || !ValidIndex(*list, index)) return static_cast<DWORD_PTR>(CB_ERR);
    return list->items[index].data;
}

int SetItemData(const CWnd& wnd, int index, DWORD_PTR data) {
    Window* list = ListOf(wnd);
    if (list == nullptr || !ValidIndex(*list, index)) return CB_ERR;
    list->items[index].data = data;
    return TRUE;
}

int GetItemText(const CWnd& wnd, int index, CString& text) {
    Window* list = ListOf(wnd);
    if (list == nullptr || !ValidIndex(*list, index)) {
        text.clear();
        return CB_ERR;
    }
    text = list->items[index].text;
    return static_cast<int>(text.size());
}

int GetItemTextLen(const CWnd& wnd, int index) {
    Window* list = ListOf(wnd);
    if (list == nullptr || !ValidIndex(*list, index)) return CB_ERR;
    return static_cast<int>(list->items[index].text.size());
}

}  // namespace

// ---- CStatic

HICON CStatic::SetIcon(HICON hIcon) {
    Window* w = WindowOf(*this);
    if (w == nullptr) return nullptr;
    HICON previous = w->icon;
    w->icon = hIcon;
    NotifyChanged(*w);
    return previous;
}

HICON CStatic::GetIcon() const {
    Window* w = WindowOf(*this);
    return w == nullptr ? nullptr : w->icon;
}

// ---- CButton

int CButton::GetCheck() const {
    Window* w = WindowOf(*this);
    return w == nullptr ? BST_UNCHECKED : w->check;
}

void CButton::SetCheck(int nCheck) {
    Window* w = WindowOf(*this);
    if (w == nullptr || w->check == nCheck) return;
    w->check = nCheck;
    NotifyChanged(*w);
}

// ---- CComboBox

int CComboBox::AddString(LPCSTR lpszString) { return ::AddString(*this, lpszString); }
int CComboBox::InsertString(int nIndex, LPCSTR lpszString) {
    return ::InsertString(*this, nIndex, lpszString);
}
int CComboBox::DeleteString(UINT nIndex) { return ::DeleteString(*this, nIndex); }
void CComboBox::ResetContent() { ::ResetContent(*this); }
int CComboBox::GetCount() const { return ::GetCount(*this); }
int CComboBox::GetCurSel() const { return ::GetCurSel(*this); }
int CComboBox::SetCurSel(int nSelect) { return ::SetCurSel(*this, nSelect); }
DWORD_PTR CComboBox::GetItemData(int nIndex) const { return ::GetItemData(*this, nIndex); }
int CComboBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
    return ::SetItemData(*this, nIndex, dwItemData);
}
void CComboBox::GetLBText(int nIndex, CString& rString) const {
    ::GetItemText(*this, nIndex, rString);
}
int CComboBox::GetLBTextLen(int nIndex) const { return ::GetItemTextLen(*this, nIndex); }

// ---- CListBox

int CListBox::AddString(LPCSTR lpszString) { return ::AddString(*this, lpszString); }
int CListBox::InsertString(int nIndex, LPCSTR lpszString) {
    return ::InsertString(*this, nIndex, lpszString);
}
int CListBox::DeleteString(UINT nIndex) { return ::DeleteString(*this, nIndex); }
void CListBox::ResetContent() { ::ResetContent(*this); }
int CListBox::GetCount() const { return ::GetCount(*this); }
int CListBox::GetCurSel() const { return ::GetCurSel(*this); }
int CListBox::SetCurSel(int nSelect) { return ::SetCurSel(*this, nSelect); }
DWORD_PTR CListBox::GetItemData(int nIndex) const { return ::GetItemData(*this, nIndex); }
int CListBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
    return ::SetItemData(*this, nIndex, dwItemData);
}
int CListBox::GetText(int nIndex, CString& rString) const {
    return ::GetItemText(*this, nIndex, rString);
}
int CListBox::GetTextLen(int nIndex) const { return ::GetItemTextLen(*this, nIndex); }

// ---- CProgressCtrl

namespace {

Window* ProgressOf(const CWnd& wnd) {
    Window* w = WindowOf(wnd);
    return w != nullptr && w->kind == WindowKind::Progress ? w : nullptr;
}

void Coerce(Window& bar) {
    int low = std::min(bar.lower, bar.upper);
    int high = std::max(bar.lower, bar.upper);
    bar.pos = std::clamp(bar.pos, low, high);
}

}  // namespace

void CProgressCtrl::SetRange(short nLower, short nUpper) { SetRange32(nLower, nUpper); }

void CProgressCtrl::SetRange32(int nLower, int nUpper) {
    Window* bar = ProgressOf(*this);
    if (bar == nullptr) return;
    bar->lower = nLower;
    bar->upper = nUpper;
    Coerce(*bar);
    NotifyChanged(*bar);
}

void CProgressCtrl::GetRange(int& nLower, int& nUpper) const {
    Window* bar = ProgressOf(*this);
    nLower = bar == nullptr ? 0 : bar->lower;
    nUpper = bar == nullptr ? 0 : bar->upper;
}

int CProgressCtrl::SetPos(int nPos) {
    Window* bar = ProgressOf(*this);
    if (bar == nullptr) return 0;
    int previous = bar->pos;
    bar->pos = nPos;
    Coerce(*bar);
    if (bar->pos != previous) NotifyChanged(*bar);
    return previous;
}

int CProgressCtrl::GetPos() const {
    Window* bar = ProgressOf(*this);
    return bar == nullptr ? 0 : bar->pos;
}

int CProgressCtrl::OffsetPos(int nPos) { return SetPos(GetPos() + nPos); }
