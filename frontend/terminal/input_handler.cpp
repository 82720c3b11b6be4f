#include "frontend/terminal/input_handler.h"

#include <algorithm>

#include "framework/model.h"
#include "framework/user_input.h"
#include "frontend/terminal/message_box_layout.h"
#include "frontend/terminal/mnemonic.h"
#include "frontend/terminal/painter.h"
#include "frontend/terminal/scroll.h"
#include "frontend/terminal/text_width.h"

namespace frontend {

namespace {

using afx::Window;
using afx::WindowKind;

bool TakesFocus(const Window& control) {
    switch (control.kind) {
        case WindowKind::Static:
        case WindowKind::Icon:
        case WindowKind::GroupBox:
        case WindowKind::Progress:
        case WindowKind::Dialog:
        case WindowKind::MessageBox:
            return false;
        default:
            return control.TakesInput();
    }
}

bool IsTabStop(const Window& top, const Window& control) {
    return TakesFocus(control) &&
           ((control.style & WS_TABSTOP) != 0 || top.kind == WindowKind::MessageBox);
}

bool IsChoice(const Window& control) {
    return control.kind == WindowKind::CheckBox || control.kind == WindowKind::RadioButton;
}

int IndexOf(const Window& top, const Window* control) {
    for (size_t i = 0; i < top.controls.size(); ++i) {
        if (top.controls[i].get() == control) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The template positions [first, last] of the group that position i belongs to: a group
// starts at a WS_GROUP control.
std::pair<int, int> GroupAround(const Window& top, int i) {
    int first = i;
    while (first > 0 && (top.controls[first]->style & WS_GROUP) == 0) {
        --first;
    }
    int last = i;
    const int count = static_cast<int>(top.controls.size());
    while (last + 1 < count && (top.controls[last + 1]->style & WS_GROUP) == 0) {
        ++last;
    }
    return {first, last};
}

// The radio buttons of the group that position i belongs to, in template order.
std::vector<Window*> RadioGroup(const Window& top, int i) {
    std::vector<Window*> radios;
    const auto [first, last] = GroupAround(top, i);
    for (int k = first; k <= last; ++k) {
        if (top.controls[k]->kind == WindowKind::RadioButton) {
            radios.push_back(top.controls[k].get());
        }
    }
    return radios;
}

Label ControlLabel(const Window& control) {
    if (control.kind == WindowKind::Static && (control.style & SS_NOPREFIX) != 0) {
        return Label{control.text};
    }
    if (control.parent != nullptr && control.parent->kind == WindowKind::MessageBox &&
        control.text.empty()) {
        return ParseLabel(DefaultAnswerLabel(control.id));
    }
    return ParseLabel(control.text);
}

// Whether a control stands in a group box: its top left corner lies inside the frame (a
// drop-down list's rectangle reaches down over its opened list, so its size says nothing).
bool Inside(const afx::DialogRect& outer, const afx::DialogRect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x < outer.x + outer.cx &&
           inner.y < outer.y + outer.cy;
}

// The item after `from` (wrapping) whose text starts with `ch`, letters in either case.
int ItemStartingWith(const Window& list, int from, char32_t ch) {
    const int count = static_cast<int>(list.items.size());
    for (int step = 1; step <= count; ++step) {
        const int i = ((from < 0 ? -1 : from) + step) % count;
        const std::string& text = list.items[i].text;
        if (!text.empty() && FoldKey(DecodeGlyph(text, 0).code) == FoldKey(ch)) {
            return i;
        }
    }
    return -1;
}

}  // namespace

Window* NextTabStop(const Window& top, const Window* from, bool forward) {
    const int count = static_cast<int>(top.controls.size());
    const int fromIndex = IndexOf(top, from);
    int i = fromIndex < 0 ? (forward ? -1 : count) : fromIndex;
    for (int step = 0; step < count; ++step) {
        i = (i + (forward ? 1 : -1) + count) % count;
        Window& candidate = *top.controls[i];
        if (candidate.kind != WindowKind::RadioButton) {
            if (IsTabStop(top, candidate)) {
                return &candidate;
            }
            continue;
        }
        // A radio group is one stop, entered at its checked button.
        if (from != nullptr && from->kind == WindowKind::RadioButton &&
            GroupAround(top, fromIndex) == GroupAround(top, i)) {
            continue;
        }
        const std::vector<Window*> radios = RadioGroup(top, i);
        if (std::none_of(radios.begin(), radios.end(),
                         [&](Window* r) { return IsTabStop(top, *r); })) {
            continue;
        }
        for (Window* radio : radios) {
            if (radio->check == BST_CHECKED && TakesFocus(*radio)) {
                return radio;
            }
        }
        if (IsTabStop(top, candidate)) {
            return &candidate;
        }
    }
    return nullptr;
}

Window* MnemonicTarget(const Window& top, char32_t key) {
    const int count = static_cast<int>(top.controls.size());
    const int focus = IndexOf(top, top.focus);
    for (int step = 1; step <= count; ++step) {
        const int i = (std::max(focus, -1) + step + count) % count;
        Window& control = *top.controls[i];
        if (!control.visible || ControlLabel(control).mnemonic != FoldKey(key)) {
            continue;
        }
        switch (control.kind) {
            case WindowKind::PushButton:
            case WindowKind::CheckBox:
            case WindowKind::RadioButton:
                return control.TakesInput() ? &control : nullptr;
            case WindowKind::GroupBox: {
                // The control framed by the group; a radio group at its checked button.
                Window* inside = nullptr;
                for (int k = 0; k < count; ++k) {
                    Window& c = *top.controls[k];
                    if (k == i || !TakesFocus(c) || !Inside(control.rect, c.rect)) {
                        continue;
                    }
                    if (c.kind == WindowKind::RadioButton && c.check == BST_CHECKED) {
                        return &c;
                    }
                    if (inside == nullptr) {
                        inside = &c;
                    }
                }
                if (inside != nullptr) {
                    return inside;
                }
                [[fallthrough]];
            }
            default:
                // A label leads to the control that follows it.
                for (int k = i + 1; k < count; ++k) {
                    if (TakesFocus(*top.controls[k])) {
                        return top.controls[k].get();
                    }
                    if (top.controls[k]->kind != WindowKind::Static &&
                        top.controls[k]->kind != WindowKind::GroupBox) {
                        break;
                    }
                }
                return nullptr;
        }
    }
    return nullptr;
}

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

void InputHandler::OpenDropDown(Window& combo) {
    if (!combo.TakesInput()) {
        return;
    }
    Focus(combo);
    m_view.popup = {Popup::Kind::DropDown, &combo, std::max(0, combo.curSel), 0};
}

void InputHandler::OpenSystemMenu(Window& top) {
    if (!top.hasSystemMenu || top.systemMenu.empty()) {
        return;
    }
    int first = 0;
    while (first < static_cast<int>(top.systemMenu.size()) &&
           (top.systemMenu[first].flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) != 0) {
        ++first;
    }
    m_view.popup = {Popup::Kind::SystemMenu, &top, first, 0};
}

void InputHandler::ChooseMenuItem(Window& top, int index) {
    if (index < 0 || index >= static_cast<int>(top.systemMenu.size())) {
        return;
    }
    const afx::MenuItem item = top.systemMenu[index];
    if ((item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) != 0) {
        return;
    }
    ClosePopup();
    afx::user::SysCommand(top, item.id);
}

bool InputHandler::ListKey(Window& list, const KeyEvent& key) {
    const int count = static_cast<int>(list.items.size());
    const int cur = list.curSel;
    const int page = list.kind == WindowKind::ListBox ? ListRows(list) : DropDownRows(list);
    int next = cur;
    switch (key.action) {
        case Action::Up:
        case Action::Left:
            next = cur <= 0 ? 0 : cur - 1;
            break;
        case Action::Down:
        case Action::Right:
            next = cur < 0 ? 0 : cur + 1;
            break;
        case Action::PageUp:
            next = std::max(0, cur - page);
            break;
        case Action::PageDown:
            next = cur < 0 ? 0 : cur + page;
            break;
        case Action::Home:
            next = 0;
            break;
        case Action::End:
            next = count - 1;
            break;
        case Action::Char:
            next = ItemStartingWith(list, cur, key.ch);
            break;
        default:
            return false;
    }
    if (count == 0 || next < 0) {
        return true;
    }
    next = std::min(next, count - 1);
    if (next != cur) {
        afx::user::Select(list, next);
    }
    return true;
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
            const std::vector<Window*> radios = RadioGroup(top, IndexOf(top, focus));
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

void InputHandler::DropDownKey(Window& top, const KeyEvent& key) {
    Window& combo = *m_view.popup.owner;
    const int count = static_cast<int>(combo.items.size());
    int& h = m_view.popup.highlight;
    const int page = DropDownRows(combo);
    const auto choose = [&] {
        const int chosen = h;
        ClosePopup();
        if (chosen >= 0 && chosen < count && chosen != combo.curSel) {
            afx::user::Select(combo, chosen);
        }
    };
    switch (key.action) {
        case Action::Up:
        case Action::Left:
            h = std::max(0, h - 1);
            return;
        case Action::Down:
        case Action::Right:
            h = std::min(count - 1, h + 1);
            return;
        case Action::PageUp:
            h = std::max(0, h - page);
            return;
        case Action::PageDown:
            h = std::min(count - 1, h + page);
            return;
        case Action::Home:
            h = 0;
            return;
        case Action::End:
            h = std::max(0, count - 1);
            return;
        case Action::Char:
            if (const int i = ItemStartingWith(combo, h, key.ch); i >= 0) {
                h = i;
            }
            return;
        case Action::Enter:
        case Action::Space:
        case Action::OpenList:
            choose();
            return;
        case Action::Next:
        case Action::Prev:
            MoveFocus(top, key.action == Action::Next);
            choose();
            return;
        case Action::Cancel:
            ClosePopup();
            return;
        case Action::Mnemonic:
        case Action::SystemMenu:
        case Action::Close:
            ClosePopup();
            DialogKey(top, key);
            return;
        default:
            return;
    }
}

void InputHandler::SystemMenuKey(Window& top, const KeyEvent& key) {
    const auto& menu = top.systemMenu;
    const int count = static_cast<int>(menu.size());
    int& h = m_view.popup.highlight;
    const auto selectable = [&](int i) {
        return (menu[i].flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) == 0;
    };
    switch (key.action) {
        case Action::Up:
        case Action::Down: {
            const int dir = key.action == Action::Down ? 1 : -1;
            for (int step = 1; step <= count; ++step) {
                const int i = ((h + dir * step) % count + count) % count;
                if (selectable(i)) {
                    h = i;
                    break;
                }
            }
            return;
        }
        case Action::Enter:
        case Action::Space:
            ChooseMenuItem(top, h);
            return;
        case Action::Cancel:
        case Action::SystemMenu:
            ClosePopup();
            return;
        case Action::Char:
        case Action::Mnemonic:
            for (int i = 0; i < count; ++i) {
                const std::string& text = menu[i].text;
                if (selectable(i) &&
                    ParseLabel(text.substr(0, text.find('\t'))).mnemonic == FoldKey(key.ch)) {
                    ChooseMenuItem(top, i);
                    return;
                }
            }
            return;
        case Action::Close:
            ClosePopup();
            afx::user::SysCommand(top, SC_CLOSE);
            return;
        default:
            return;
    }
}

void InputHandler::Mouse(Window& top, int row, int col, MouseButton button, bool doubleClick) {
    const Hit* found = m_view.HitAt(row, col);
    if (found == nullptr) {
        if (button == MouseButton::Left) {
            ClosePopup();
        }
        return;
    }
    const Hit hit = *found;  // the hits are redrawn by what follows
    Window& target = *hit.window;
    const bool onPopup = m_view.popup.open() && &target == m_view.popup.owner &&
                         (hit.kind == HitKind::PopupItem || hit.kind == HitKind::ScrollUp ||
                          hit.kind == HitKind::ScrollDown);
    if (button != MouseButton::Left) {
        const int step = button == MouseButton::WheelUp ? -1 : 1;
        if (onPopup && m_view.popup.kind == Popup::Kind::DropDown) {
            const int count = static_cast<int>(target.items.size());
            m_view.popup.highlight =
                std::clamp(m_view.popup.highlight + step, 0, std::max(0, count - 1));
        } else if (target.kind == WindowKind::ListBox) {
            m_view.Of(&target).top = std::max(0, m_view.Of(&target).top + step);
        }
        return;
    }
    if (m_view.popup.open() && !onPopup) {
        ClosePopup();  // a click elsewhere only closes the pop-up
        return;
    }
    switch (hit.kind) {
        case HitKind::PopupItem:
            if (m_view.popup.kind == Popup::Kind::SystemMenu) {
                ChooseMenuItem(top, hit.index);
            } else {
                m_view.popup.highlight = hit.index;
                DropDownKey(top, KeyEvent{Action::Enter});
            }
            return;
        case HitKind::ScrollUp:
        case HitKind::ScrollDown: {
            const int step = hit.kind == HitKind::ScrollUp ? -1 : 1;
            if (onPopup) {
                DropDownKey(top, KeyEvent{step < 0 ? Action::Up : Action::Down});
            } else {
                m_view.Of(&target).top = std::max(0, m_view.Of(&target).top + step);
            }
            return;
        }
        case HitKind::SystemMenuBox:
            OpenSystemMenu(top);
            return;
        case HitKind::CloseBox:
            afx::user::SysCommand(top, SC_CLOSE);
            return;
        case HitKind::ListItem:
        case HitKind::ListBlank:
            if (!target.TakesInput()) {
                return;
            }
            Focus(target);
            if (doubleClick) {
                afx::user::DoubleClick(target, hit.kind == HitKind::ListItem ? hit.index : -1);
            } else if (hit.kind == HitKind::ListItem && hit.index != target.curSel) {
                afx::user::Select(target, hit.index);
            }
            return;
        case HitKind::Control:
            break;
    }
    if (!target.TakesInput()) {
        return;
    }
    switch (target.kind) {
        case WindowKind::PushButton:
            if (top.kind == WindowKind::Dialog) {
                Focus(target);
            }
            Press(top, target);
            return;
        case WindowKind::CheckBox:
        case WindowKind::RadioButton:
            Press(top, target);
            return;
        case WindowKind::ComboBox:
            OpenDropDown(target);
            return;
        case WindowKind::ListBox:
            Focus(target);
            return;
        case WindowKind::Edit: {
            Focus(target);
            ControlView& view = m_view.Of(&target);
            const int column = std::max(0, col - (hit.rect.col + 1)) + view.scroll;
            int lead = 0;
            size_t at = OffsetAtColumn(target.text, column, &lead);
            if (lead > 0) {
                at = NextCharOffset(target.text, at);  // right half of a wide character
            }
            view.caret = at;
            return;
        }
        default:
            return;
    }
}

}  // namespace frontend
