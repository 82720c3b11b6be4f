#include "framework/dialog.h"

#include <cstdio>
#include <cstdlib>

#include "framework/app.h"
#include "framework/window_system.h"

using afx::Window;
using afx::WindowKind;
using afx::detail::NotifyChanged;
using afx::detail::WindowOf;

namespace {

WindowKind KindOf(const res::DialogItemTemplate& item) {
    switch (item.controlClass) {
        case res::ControlClass::Button:
            switch (item.style & BS_TYPEMASK) {
                case BS_PUSHBUTTON:
                case BS_DEFPUSHBUTTON:
                    return WindowKind::PushButton;
                case BS_RADIOBUTTON:
                case BS_AUTORADIOBUTTON:
                    return WindowKind::RadioButton;
                case BS_GROUPBOX:
                    return WindowKind::GroupBox;
                default:
                    return WindowKind::CheckBox;
            }
        case res::ControlClass::Static:
            return (item.style & SS_TYPEMASK) == SS_ICON ? WindowKind::Icon : WindowKind::Static;
        case res::ControlClass::Edit:
            return WindowKind::Edit;
        case res::ControlClass::ComboBox:
            return WindowKind::ComboBox;
        case res::ControlClass::ListBox:
            return WindowKind::ListBox;
        case res::ControlClass::Progress:
            return WindowKind::Progress;
    }
    return WindowKind::Static;
}

// The object GetDlgItem hands out: of the control's own class, so that the program may
// treat it as one.
std::unique_ptr<CWnd> MakeOwnWnd(WindowKind kind) {
    switch (kind) {
        case WindowKind::PushButton:
        case WindowKind::CheckBox:
        case WindowKind::RadioButton:
        case WindowKind::GroupBox:
            return std::make_unique<CButton>();
        case WindowKind::ComboBox:
            return std::make_unique<CComboBox>();
        case WindowKind::ListBox:
            return std::make_unique<CListBox>();
        case WindowKind::Edit:
            return std::make_unique<CEdit>();
        case WindowKind::Progress:
            return std::make_unique<CProgressCtrl>();
        default:
            return std::make_unique<CStatic>();
    }
}

std::unique_ptr<Window> CreateFromTemplate(const res::DialogTemplate& t) {
    auto dialog = std::make_unique<Window>();
    dialog->kind = WindowKind::Dialog;
    dialog->text = t.caption != nullptr ? t.caption : "";
    dialog->style = t.style;
    dialog->exStyle = t.exStyle;
    dialog->rect = afx::DialogRect{0, 0, t.cx, t.cy};
    dialog->fontName = t.fontName != nullptr ? t.fontName : "";
    dialog->pointSize = t.pointSize;
    dialog->visible = false;  // shown once initialised
    dialog->hasSystemMenu = (t.style & WS_SYSMENU) != 0;
    if (dialog->hasSystemMenu) dialog->systemMenu = afx::detail::DefaultSystemMenu();
    afx::detail::RegisterWindow(*dialog);
    for (size_t i = 0; i < t.itemCount; ++i) {
        const res::DialogItemTemplate& item = t.items[i];
        auto control = std::make_unique<Window>();
        control->kind = KindOf(item);
        control->id = item.id;
        control->parent = dialog.get();
        control->text = item.text != nullptr ? item.text : "";
        control->style = item.style;
        control->rect = afx::DialogRect{item.x, item.y, item.cx, item.cy};
        control->enabled = (item.style & WS_DISABLED) == 0;
        control->visible = (item.style & WS_VISIBLE) != 0;
        if (control->kind == WindowKind::Icon) control->icon = afx::IconHandle(item.iconId);
        afx::detail::RegisterWindow(*control);
        control->ownWnd = MakeOwnWnd(control->kind);
        control->ownWnd->m_hWnd = control->hwnd;
        control->handler = control->ownWnd.get();
        dialog->controls.push_back(std::move(control));
    }
    return dialog;
}

// The first control that takes the focus: enabled, visible, a tab stop.
Window* FirstTabStop(const Window& dialog) {
    for (const auto& control : dialog.controls) {
        if ((control->style & WS_TABSTOP) && control->enabled && control->visible) {
            return control.get();
        }
    }
    return nullptr;
}

}  // namespace

// ---- Data exchange

HWND CDataExchange::PrepareCtrl(int nIDC) {
    Window* dialog = WindowOf(*m_pDlgWnd);
    Window* control = dialog == nullptr ? nullptr : dialog->Control(nIDC);
    if (control == nullptr) {
        std::fprintf(stderr, "data exchange with control %d, which the dialog does not have\n",
                     nIDC);
        std::abort();
    }
    return control->hwnd;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.GetSafeHwnd() != nullptr) return;
    HWND hwnd = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(hwnd)) {
        std::fprintf(stderr, "control %d is bound to another object already\n", nIDC);
        std::abort();
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    Window* control = afx::FindWindow(pDX->PrepareCtrl(nIDC));
    CWnd* wnd = control->handler;
    if (pDX->m_bSaveAndValidate) {
        wnd->GetWindowText(value);
    } else {
        wnd->SetWindowText(value.c_str());
    }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    Window* first = afx::FindWindow(pDX->PrepareCtrl(nIDC));
    const auto& controls = first->parent->controls;
    size_t i = 0;
    while (controls[i].get() != first) ++i;
    if (pDX->m_bSaveAndValidate) value = -1;
    // The group runs up to the next control that starts a group; only radio buttons count.
    int position = 0;
    for (size_t j = i; j < controls.size(); ++j) {
        Window& control = *controls[j];
        if (j != i && (control.style & WS_GROUP)) break;
        if (control.kind != WindowKind::RadioButton) continue;
        if (pDX->m_bSaveAndValidate) {
            if (control.check == BST_CHECKED) value = position;
        } else {
            int check = position == value ? BST_CHECKED : BST_UNCHECKED;
            if (control.check != check) {
                control.check = check;
                NotifyChanged(control);
            }
        }
        ++position;
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    Window* control = afx::FindWindow(pDX->PrepareCtrl(nIDC));
    if (pDX->m_bSaveAndValidate) {
        value = control->check;
        return;
    }
    if (value < BST_UNCHECKED || value > BST_INDETERMINATE) value = BST_UNCHECKED;
    if (control->check != value) {
        control->check = value;
        NotifyChanged(*control);
    }
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    if (WindowOf(*this) == nullptr) return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

// ---- CDialog

// clang-format off
BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()
// clang-format on

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_pParentWnd(pParentWnd),
      m_template(res::FindDialogTemplate(nIDTemplate)),
      m_templateId(nIDTemplate) {}

CDialog::CDialog(const res::DialogTemplate& dialogTemplate, CWnd* pParentWnd)
    : m_pParentWnd(pParentWnd), m_template(&dialogTemplate), m_templateId(dialogTemplate.id) {}

CDialog::~CDialog() {
    if (GetSafeHwnd() != nullptr) {
        // Its modal loop still runs on the object: nothing sound can follow.
        std::fprintf(stderr, "a dialog object was destroyed while its window was open\n");
        std::abort();
    }
}

INT_PTR CDialog::DoModal() {
    if (m_template == nullptr || GetSafeHwnd() != nullptr) return -1;
    std::unique_ptr<Window> window = CreateFromTemplate(*m_template);
    Window* owner = m_pParentWnd != nullptr ? WindowOf(*m_pParentWnd) : afx::TopWindow();
    window->parent = owner;
    window->handler = this;
    m_hWnd = window->hwnd;
    m_endRequested = false;
    m_result = IDCANCEL;

    // The owner takes no input while its modal dialog is open.
    bool ownerWasEnabled = owner != nullptr && owner->enabled;
    HWND ownerHwnd = owner != nullptr ? owner->hwnd : nullptr;
    if (ownerWasEnabled) {
        owner->enabled = false;
        NotifyChanged(*owner);
    }

    LRESULT setFocus = afx::detail::CallWindowProc(*this, WM_INITDIALOG, 0, 0);
    if (!m_endRequested) {
        if (setFocus && window->focus == nullptr) window->focus = FirstTabStop(*window);
        if (!window->visible) ShowWindow(SW_SHOWNORMAL);
        afx::detail::RunModalLoop(*window, [this] { return m_endRequested; });
    }

    afx::detail::CallWindowProc(*this, WM_DESTROY, 0, 0);
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
    }
    // Unbind the member objects and forget every handle before the window goes away.
    for (auto& control : window->controls) {
        if (control->handler != nullptr) control->handler->m_hWnd = nullptr;
        control->ownWnd->m_hWnd = nullptr;
        afx::detail::UnregisterWindow(control->hwnd);
    }
    m_hWnd = nullptr;
    afx::detail::UnregisterWindow(window->hwnd);
    window.reset();

    // Handles are never reused: a handle that is still known is still the owner.
    if (ownerWasEnabled && afx::FindWindow(ownerHwnd) != nullptr) {
        owner->enabled = true;
        NotifyChanged(*owner);
    }
    return m_result;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::EndDialog(int nResult) {
    m_result = nResult;
    m_endRequested = true;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
