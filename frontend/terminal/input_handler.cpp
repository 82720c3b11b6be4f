#include "frontend/terminal/input_handler.h"

#include <algorithm>

#include "framework/model.h"
#include "framework/user_input.h"
#include "frontend/terminal/focus_order.h"
#include "frontend/terminal/mnemonic.h"
#include "frontend/terminal/painter.h"
#include "frontend/terminal/scroll.h"
#include "frontend/terminal/text_width.h"

namespace frontend {

namespace {

using afx::Window;
using afx::WindowKind;

bool IsChoice(const Window& control) {
    return control.kind == WindowKind::CheckBox || control.kind == WindowKind::RadioButton;
}

}  // namespace

void InputHandler::Key(Window& top, const KeyEvent& key) {
    if (m_view.popup.open() && m_view.popup.owner != &top &&
        (m_view.popup.owner == nullptr || m_view.popup.owner->parent != &top)) {
        ClosePopup();  // it belonged to a window that is no longer on top
    }
    switch (m_view.popup.kind) {
        case Popup::Kind::DropDown:
            DropDownKey(top, key);
            break;
        case Popup::Kind::SystemMenu:
            SystemMenuKey(top, key);
            break;
        case Popup::Kind::None:
            DialogKey(top, key);
            break;
    }
}

void InputHandler::Focus(Window& control) {
    if (control.parent != nullptr && control.parent->focus == &control) {
        return;
    }
    if (afx::user::Focus(control) && control.kind == WindowKind::Edit) {
        m_view.Of(&control).caret = control.text.size();
    }
}

void InputHandler::MoveFocus(Window& top, bool forward) {
    if (Window* next = NextTabStop(top, top.focus, forward)) {
        Focus(*next);
    }
}

void InputHandler::Press(Window& top, Window& control) {
    if (top.kind == WindowKind::MessageBox) {
        afx::user::Answer(top, control.id);
        return;
    }
    if (IsChoice(control)) {
        Focus(control);
    }
    afx::user::Click(control);
}

void InputHandler::Mnemonic(Window& top, char32_t key) {
    Window* target = MnemonicTarget(top, key);
    if (target == nullptr) {
        return;
    }
    if (target->kind == WindowKind::PushButton || IsChoice(*target)) {
        // A radio button that is already checked is only focused.
        if (target->kind == WindowKind::RadioButton && target->check == BST_CHECKED) {
            Focus(*target);
            return;
        }
        Press(top, *target);
        return;
    }
    Focus(*target);
}

void InputHandler::EditKey(Window& edit, const KeyEvent& key) {
    ControlView& view = m_view.Of(&edit);
    std::string text = edit.text;
    size_t caret = std::min(view.caret, text.size());
    switch (key.action) {
        case Action::Left:
            caret = PrevCharOffset(text, caret);
            break;
        case Action::Right:
            caret = NextCharOffset(text, caret);
            break;
        case Action::Home:
        case Action::Up:
            caret = 0;
            break;
        case Action::End:
        case Action::Down:
            caret = text.size();
            break;
        case Action::Backspace: {
            const size_t from = PrevCharOffset(text, caret);
            text.erase(from, caret - from);
            caret = from;
            break;
        }
        case Action::Delete:
            text.erase(caret, NextCharOffset(text, caret) - caret);
            break;
        case Action::Char:
        case Action::Space: {
            const std::string bytes = EncodeUtf8(key.action == Action::Space ? U' ' : key.ch);
            text.insert(caret, bytes);
            caret += bytes.size();
            break;
        }
        default:
            return;
    }
    view.caret = caret;
    if (text != edit.text) {
        afx::user::Type(edit, text);
    }
}

void InputHandler::DialogKey(Window& top, const KeyEvent& key) {
    Window* focus = top.focus;
    const WindowKind kind = focus != nullptr ? focus->kind : WindowKind::Dialog;
    switch (key.action) {
        case Action::Next:
        case Action::Prev:
            MoveFocus(top, key.action == Action::Next);
            return;
        case Action::Enter:
            if (top.kind == WindowKind::MessageBox) {
                Window* button = (focus != nullptr && kind == WindowKind::PushButton)
                                     ? focus
                                     : (top.controls.empty() ? nullptr : top.controls[0].get());
                if (button != nullptr) {
                    afx::user::Answer(top, button->id);
                }
                return;
            }
            afx::user::Enter(top);
            return;
        case Action::Cancel:
            afx::user::Escape(top);
            return;
        case Action::Mnemonic:
            Mnemonic(top, key.ch);
            return;
        case Action::SystemMenu:
            OpenSystemMenu(top);
            return;
        case Action::Close:
            afx::user::SysCommand(top, SC_CLOSE);
            return;
        case Action::OpenList:
            if (focus != nullptr && kind == WindowKind::ComboBox) {
                OpenDropDown(*focus);
            }
            return;
        default:
            break;
    }
    if (focus == nullptr) {
        if (key.action == Action::Char) {
            Mnemonic(top, key.ch);
        }
        return;
    }
    switch (kind) {
        case WindowKind::Edit:
            EditKey(*focus, key);
            return;
        case WindowKind::ComboBox:
            if (key.action == Action::Space) {
                OpenDropDown(*focus);
                return;
            }
            ListKey(*focus, key);
            return;
        case WindowKind::ListBox:
            ListKey(*focus, key);
            return;
        default:
            break;
    }
    switch (key.action) {
        case Action::Space:
            Press(top, *focus);
            return;
        case Action::Char:
            Mnemonic(top, key.ch);
            return;
        case Action::Up:
        case Action::Left:
        case Action::Down:
        case Action::Right: {
            const bool forward = key.action == Action::Down || key.action == Action::Right;
            if (kind != WindowKind::RadioButton) {
                MoveFocus(top, forward);
                return;
            }
            const std::vector<Window*> radios = RadioGroup(top, *focus);
            const int n = static_cast<int>(radios.size());
            const int at =
                static_cast<int>(std::find(radios.begin(), radios.end(), focus) - radios.begin());
            for (int step = 1; step < n; ++step) {
                Window* radio = radios[(at + (forward ? step : n - step)) % n];
                if (TakesFocus(*radio)) {
                    Press(top, *radio);
                    return;
                }
            }
            return;
        }
        default:
            return;
    }
}

}  // namespace frontend
