#include "framework/user_input.h"

#include "framework/window_system.h"
#include "framework/wnd.h"

namespace afx::user {
namespace {

using detail::NotifyChanged;

bool IsOnTop(const Window& top) { return TopWindow() == &top; }

// A control of the window on top that a person can reach now.
bool Reachable(const Window& control) {
    return control.parent != nullptr && IsOnTop(*control.parent) && control.TakesInput();
}

// Tells the control's dialog (WM_COMMAND with the notification code and the control).
void Notify(Window& control, UINT code) {
    Window* dialog = control.parent;
    if (dialog == nullptr || dialog->handler == nullptr) return;
    detail::CallWindowProc(*dialog->handler, WM_COMMAND,
                           MAKEWPARAM(static_cast<UINT>(control.id), code),
                           reinterpret_cast<LPARAM>(control.hwnd));
}

void SetFocusTo(Window& control) {
    if (control.parent != nullptr && control.parent->focus != &control) {
        control.parent->focus = &control;
        NotifyChanged(*control.parent);
    }
}

void SetCheck(Window& button, int check) {
    if (button.check == check) return;
    button.check = check;
    NotifyChanged(button);
}

bool IsBox(const Window& window) { return window.kind == WindowKind::MessageBox; }

bool AnswerBox(Window& box, int button) {
    if (!IsBox(box) || !IsOnTop(box) || box.boxResult != 0 || box.Control(button) == nullptr) {
        return false;
    }
    box.boxResult = button;
    return true;
}

}  // namespace

bool Click(Window& control) {
    if (!Reachable(control)) return false;
    if (IsBox(*control.parent)) return AnswerBox(*control.parent, control.id);
    UINT type = control.style & BS_TYPEMASK;
    switch (control.kind) {
        case WindowKind::PushButton:
            break;
        case WindowKind::CheckBox:
            if (type == BS_AUTOCHECKBOX) {
                SetCheck(control, control.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
            } else if (type == BS_AUTO3STATE) {
                SetCheck(control, (control.check + 1) % 3);
            }
            break;
        case WindowKind::RadioButton:
            if (type == BS_AUTORADIOBUTTON) {
                // Clear the other buttons of its group: between the WS_GROUP items around it.
                const auto& controls = control.parent->controls;
                size_t at = 0;
                while (controls[at].get() != &control) ++at;
                size_t first = at;
                while (first > 0 && !(controls[first]->style & WS_GROUP)) --first;
                for (size_t i = first; i < controls.size(); ++i) {
                    Window& other = *controls[i];
                    if (i > first && (other.style & WS_GROUP)) break;
                    if (other.kind == WindowKind::RadioButton) {
                        SetCheck(other, &other == &control ? BST_CHECKED : BST_UNCHECKED);
                    }
                }
            }
            break;
        default:
            return false;
    }
    SetFocusTo(control);
    Notify(control, BN_CLICKED);
    return true;
}

bool Select(Window& list, int index) {
    if (!Reachable(list)) return false;
    if (list.kind != WindowKind::ComboBox && list.kind != WindowKind::ListBox) return false;
    if (index < 0 || static_cast<size_t>(index) >= list.items.size()) return false;
    SetFocusTo(list);
    if (list.curSel != index) {
        list.curSel = index;
        NotifyChanged(list);
    }
    if (list.kind == WindowKind::ComboBox) {
        Notify(list, CBN_SELCHANGE);
    } else if (list.style & LBS_NOTIFY) {
        Notify(list, LBN_SELCHANGE);
    }
    return true;
}

bool DoubleClick(Window& list, int index) {
    if (!Reachable(list) || list.kind != WindowKind::ListBox) return false;
    if (index < -1 || index >= static_cast<int>(list.items.size())) return false;
    SetFocusTo(list);
    // The empty area below the items selects nothing and opens nothing.
    if (index == -1) return true;
    bool changed = list.curSel != index;
    if (changed) {
        list.curSel = index;
        NotifyChanged(list);
    }
    if (list.style & LBS_NOTIFY) {
        if (changed) Notify(list, LBN_SELCHANGE);
        // The handler of the first notification may have changed the dialog.
        if (Reachable(list)) Notify(list, LBN_DBLCLK);
    }
    return true;
}

bool Type(Window& edit, const CString& text) {
    if (!Reachable(edit) || edit.kind != WindowKind::Edit) return false;
    SetFocusTo(edit);
    if (edit.text != text) {
        edit.text = text;
        NotifyChanged(edit);
    }
    Notify(edit, EN_CHANGE);
    return true;
}

bool Focus(Window& control) {
    if (!Reachable(control)) return false;
    if (control.kind == WindowKind::Static || control.kind == WindowKind::GroupBox ||
        control.kind == WindowKind::Icon) {
        return false;
    }
    SetFocusTo(control);
    return true;
}

bool Enter(Window& top) {
    if (!IsOnTop(top)) return false;
    Window* focus = top.focus;
    Window* button =
        focus != nullptr && focus->kind == WindowKind::PushButton && focus->TakesInput()
            ? focus
            : top.DefaultButton();
    if (IsBox(top)) return button != nullptr && AnswerBox(top, button->id);
    int id = button != nullptr ? button->id : IDOK;
    if (button != nullptr && !button->TakesInput()) return false;
    if (top.handler == nullptr) return false;
    detail::CallWindowProc(*top.handler, WM_COMMAND, MAKEWPARAM(static_cast<UINT>(id), BN_CLICKED),
                           button != nullptr ? reinterpret_cast<LPARAM>(button->hwnd) : 0);
    return true;
}

bool Escape(Window& top) {
    if (!IsOnTop(top)) return false;
    if (IsBox(top)) {
        if (top.Control(IDCANCEL) != nullptr) return AnswerBox(top, IDCANCEL);
        if (top.controls.size() == 1 && top.controls.front()->id == IDOK) {
            return AnswerBox(top, IDOK);
        }
        return false;  // a Yes/No box must be answered
    }
    Window* cancel = top.Control(IDCANCEL);
    if (cancel != nullptr && !cancel->TakesInput()) return false;
    if (top.handler == nullptr) return false;
    detail::CallWindowProc(*top.handler, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                           cancel != nullptr ? reinterpret_cast<LPARAM>(cancel->hwnd) : 0);
    return true;
}

bool SysCommand(Window& top, UINT command) {
    if (!IsOnTop(top) || !top.hasSystemMenu) return false;
    bool listed = false;
    for (const MenuItem& item : top.systemMenu) {
        if ((item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) == 0 && item.id == command) {
            listed = true;
        }
    }
    if (!listed) return false;
    if (IsBox(top)) return command == SC_CLOSE ? Escape(top) : true;
    if (top.handler == nullptr) return false;
    detail::CallWindowProc(*top.handler, WM_SYSCOMMAND, command, 0);
    return true;
}

bool Answer(Window& box, int button) { return AnswerBox(box, button); }

}  // namespace afx::user
