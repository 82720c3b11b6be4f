// Keys in lists, drop-down lists and the system menu.
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

}  // namespace frontend
