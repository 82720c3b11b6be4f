// Mouse clicks and the wheel, traced back to what the last drawing put under them.
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

using afx::Window;
using afx::WindowKind;

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
