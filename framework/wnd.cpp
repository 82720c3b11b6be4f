#include "framework/wnd.h"

#include "framework/app.h"
#include "framework/window_system.h"

using afx::Window;
using afx::detail::NotifyChanged;
using afx::detail::WindowOf;

std::vector<afx::MenuItem> afx::detail::DefaultSystemMenu() {
    return {{MF_STRING, SC_MOVE, "移動(&M)"},
            {MF_SEPARATOR, 0, ""},
            {MF_STRING, SC_CLOSE, "閉じる(&C)\tAlt+F4"}};
}

// ---- CMenu

static Window* MenuWindow(HMENU menu) { return afx::FindWindow(reinterpret_cast<HWND>(menu)); }

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem) {
    Window* w = MenuWindow(m_hMenu);
    if (w == nullptr) return FALSE;
    afx::MenuItem item;
    item.flags = nFlags;
    if ((nFlags & MF_SEPARATOR) == 0) {
        item.id = static_cast<UINT>(nIDNewItem);
        item.text = lpszNewItem != nullptr ? lpszNewItem : "";
    }
    w->systemMenu.push_back(item);
    NotifyChanged(*w);
    return TRUE;
}

UINT CMenu::GetMenuItemCount() const {
    Window* w = MenuWindow(m_hMenu);
    return w == nullptr ? static_cast<UINT>(-1) : static_cast<UINT>(w->systemMenu.size());
}

UINT CMenu::GetMenuItemID(int nPos) const {
    Window* w = MenuWindow(m_hMenu);
    if (w == nullptr || nPos < 0 || static_cast<size_t>(nPos) >= w->systemMenu.size()) {
        return static_cast<UINT>(-1);
    }
    return w->systemMenu[nPos].id;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
    rString.clear();
    Window* w = MenuWindow(m_hMenu);
    if (w == nullptr) return 0;
    const auto& items = w->systemMenu;
    for (size_t i = 0; i < items.size(); ++i) {
        bool match = (nFlags & MF_BYPOSITION)
                         ? i == nIDItem
                         : ((items[i].flags & MF_SEPARATOR) == 0 && items[i].id == nIDItem);
        if (match) {
            rString = items[i].text;
            return static_cast<int>(rString.size());
        }
    }
    return 0;
}

// ---- Painting

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    Window* w = afx::FindWindow(reinterpret_cast<HWND>(m_hDC));
    if (w == nullptr || hIcon == nullptr) return FALSE;
    w->painted.push_back(afx::PaintedIcon{hIcon, x, y});
    return TRUE;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd) {
    Window* w = pWnd != nullptr ? WindowOf(*pWnd) : nullptr;
    if (w == nullptr) return;
    // Begin painting: the window is valid again and its picture starts afresh.
    w->needsPaint = false;
    w->painted.clear();
    m_hDC = reinterpret_cast<HDC>(w->hwnd);
}

CPaintDC::~CPaintDC() {
    Window* w = afx::FindWindow(reinterpret_cast<HWND>(m_hDC));
    if (w != nullptr) NotifyChanged(*w);
}

// ---- CWnd

CWnd::~CWnd() {
    if (Window* w = WindowOf(*this)) {
        if (w->handler == this) w->handler = w->ownWnd.get() != this ? w->ownWnd.get() : nullptr;
    }
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    Window* w = afx::FindWindow(hWnd);
    return w == nullptr ? nullptr : w->handler;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    Window* w = afx::FindWindow(hWnd);
    if (w == nullptr || m_hWnd.load() != nullptr) return FALSE;
    if (w->handler != nullptr && w->handler != w->ownWnd.get()) return FALSE;
    w->handler = this;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd.exchange(nullptr);
    if (Window* w = afx::FindWindow(hwnd)) {
        if (w->handler == this) w->handler = w->ownWnd.get();
    }
    return hwnd;
}

CWnd* CWnd::GetDlgItem(int nID) const {
    Window* w = WindowOf(*this);
    Window* control = w == nullptr ? nullptr : w->Control(nID);
    return control == nullptr ? nullptr : control->handler;
}

int CWnd::GetDlgCtrlID() const {
    Window* w = WindowOf(*this);
    return w == nullptr ? 0 : w->id;
}

CWnd* CWnd::GetParent() const {
    Window* w = WindowOf(*this);
    return w == nullptr || w->parent == nullptr ? nullptr : w->parent->handler;
}

void CWnd::SetWindowText(LPCSTR lpszString) {
    Window* w = WindowOf(*this);
    if (w == nullptr) return;
    CString text = lpszString != nullptr ? lpszString : "";
    if (w->text == text) return;
    w->text = text;
    NotifyChanged(*w);
}

void CWnd::GetWindowText(CString& rString) const {
    Window* w = WindowOf(*this);
    rString = w == nullptr ? CString() : w->text;
}

int CWnd::GetWindowTextLength() const {
    Window* w = WindowOf(*this);
    return w == nullptr ? 0 : static_cast<int>(w->text.size());
}

void CWnd::SetDlgItemText(int nID, LPCSTR lpszString) {
    if (CWnd* control = GetDlgItem(nID)) control->SetWindowText(lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const {
    rString.clear();
    if (CWnd* control = GetDlgItem(nID)) control->GetWindowText(rString);
    return static_cast<int>(rString.size());
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    Window* w = WindowOf(*this);
    if (w == nullptr) return FALSE;
    bool wasDisabled = !w->enabled;
    if (w->enabled != (bEnable != FALSE)) {
        w->enabled = bEnable != FALSE;
        NotifyChanged(*w);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const {
    Window* w = WindowOf(*this);
    return w != nullptr && w->enabled ? TRUE : FALSE;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    Window* w = WindowOf(*this);
    if (w == nullptr) return FALSE;
    BOOL wasVisible = w->visible ? TRUE : FALSE;
    switch (nCmdShow) {
        case SW_HIDE:
            w->visible = false;
            break;
        case SW_SHOW:
            w->visible = true;
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
            w->visible = true;
            w->showCmd = SW_SHOWMINIMIZED;
            break;
        case SW_SHOWMAXIMIZED:
            w->visible = true;
            w->showCmd = SW_SHOWMAXIMIZED;
            break;
        default:  // SW_SHOWNORMAL, SW_RESTORE and the rest
            w->visible = true;
            w->showCmd = SW_SHOWNORMAL;
            break;
    }
    if (w->IsTopLevel()) w->needsPaint = w->visible;
    NotifyChanged(*w);
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
    Window* w = WindowOf(*this);
    return w != nullptr && w->visible ? TRUE : FALSE;
}

BOOL CWnd::IsIconic() const {
    Window* w = WindowOf(*this);
    return w != nullptr && w->showCmd == SW_SHOWMINIMIZED ? TRUE : FALSE;
}

CWnd* CWnd::SetFocus() {
    Window* w = WindowOf(*this);
    if (w == nullptr) return nullptr;
    Window* dialog = w->IsTopLevel() ? w : w->parent;
    if (dialog == nullptr) return nullptr;
    Window* previous = dialog->focus;
    dialog->focus = w->IsTopLevel() ? nullptr : w;
    NotifyChanged(*dialog);
    return previous == nullptr ? nullptr : previous->handler;
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const {
    Window* w = WindowOf(*this);
    if (w == nullptr || !w->hasSystemMenu) return nullptr;
    if (bRevert) {
        w->systemMenu = afx::detail::DefaultSystemMenu();
        NotifyChanged(*w);
        return nullptr;
    }
    m_systemMenu.m_hMenu = reinterpret_cast<HMENU>(w->hwnd);
    return &m_systemMenu;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    Window* w = WindowOf(*this);
    if (w == nullptr) return nullptr;
    HICON& slot = bBigIcon ? w->bigIcon : w->smallIcon;
    HICON previous = slot;
    slot = hIcon;
    NotifyChanged(*w);
    return previous;
}

HICON CWnd::GetIcon(BOOL bBigIcon) const {
    Window* w = WindowOf(*this);
    if (w == nullptr) return nullptr;
    return bBigIcon ? w->bigIcon : w->smallIcon;
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const {
    Window* w = WindowOf(*this);
    if (w == nullptr || lpwndpl == nullptr) return FALSE;
    lpwndpl->length = sizeof(WINDOWPLACEMENT);
    lpwndpl->flags = 0;
    lpwndpl->showCmd = w->showCmd;  // a hidden window reports its restored state
    lpwndpl->ptMinPosition = POINT{-1, -1};
    lpwndpl->ptMaxPosition = POINT{-1, -1};
    lpwndpl->rcNormalPosition =
        RECT{afx::DialogUnitsToPixelsX(w->rect.x), afx::DialogUnitsToPixelsY(w->rect.y),
             afx::DialogUnitsToPixelsX(w->rect.x + w->rect.cx),
             afx::DialogUnitsToPixelsY(w->rect.y + w->rect.cy)};
    return TRUE;
}

BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl) {
    Window* w = WindowOf(*this);
    if (w == nullptr || lpwndpl == nullptr) return FALSE;
    ShowWindow(static_cast<int>(lpwndpl->showCmd));
    return TRUE;
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    Window* w = WindowOf(*this);
    if (lpRect == nullptr) return;
    *lpRect = RECT{0, 0, 0, 0};
    if (w == nullptr) return;
    lpRect->right = afx::DialogUnitsToPixelsX(w->rect.cx);
    lpRect->bottom = afx::DialogUnitsToPixelsY(w->rect.cy);
}

void CWnd::Invalidate(BOOL) {
    Window* w = WindowOf(*this);
    if (w == nullptr) return;
    Window* top = w->IsTopLevel() ? w : w->parent;
    if (top != nullptr) top->needsPaint = true;
    NotifyChanged(*w);
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) {
    return afx::detail::RunMessageBox(WindowOf(*this), lpszText != nullptr ? lpszText : "",
                                      lpszCaption != nullptr ? lpszCaption : AfxGetAppName(),
                                      nType);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return afx::detail::PostToWindow(m_hWnd.load(), message, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = WindowOf(*this);
    if (w == nullptr || w->handler == nullptr) return 0;
    return afx::detail::CallWindowProc(*w->handler, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    UINT code = 0;
    UINT id = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    }
    LRESULT result = 0;
    if (DispatchToMap(message, code, id, wParam, lParam, &result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

void CWnd::DoDataExchange(CDataExchange*) {}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM) {
    Window* w = WindowOf(*this);
    if (w == nullptr) return 0;
    switch (message) {
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_CLOSE:
                    return SendMessage(WM_CLOSE);
                case SC_MINIMIZE:
                    ShowWindow(SW_MINIMIZE);
                    return 0;
                case SC_RESTORE:
                    ShowWindow(SW_RESTORE);
                    return 0;
                default:
                    return 0;
            }
        case WM_CLOSE:
            // A dialog closes as if its Cancel button had been pressed.
            if (w->kind == afx::WindowKind::Dialog) {
                Window* cancel = w->Control(IDCANCEL);
                SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                            cancel != nullptr ? reinterpret_cast<LPARAM>(cancel->hwnd) : 0);
            }
            return 0;
        case WM_PAINT:
            w->needsPaint = false;
            return 0;
        default:
            return 0;
    }
}

LRESULT CWnd::Default() {
    const afx::detail::Message* m = afx::detail::CurrentMessage();
    return m == nullptr ? 0 : DefWindowProc(m->message, m->wParam, m->lParam);
}

void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnPaint() { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
void CWnd::OnClose() { Default(); }
void CWnd::OnDestroy() { Default(); }

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP messageMap = {&CCmdTarget::GetThisMessageMap, entries};
    return &messageMap;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }
