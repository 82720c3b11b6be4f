#include "frontend/terminal/focus_order.h"

#include <algorithm>

#include "frontend/terminal/message_box_layout.h"
#include "frontend/terminal/mnemonic.h"

namespace frontend {

namespace {

using afx::Window;
using afx::WindowKind;

bool IsTabStop(const Window& top, const Window& control) {
    return TakesFocus(control) &&
           ((control.style & WS_TABSTOP) != 0 || top.kind == WindowKind::MessageBox);
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
std::vector<Window*> RadioGroupAt(const Window& top, int i) {
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

}  // namespace

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

std::vector<Window*> RadioGroup(const Window& top, const Window& control) {
    return RadioGroupAt(top, IndexOf(top, &control));
}

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
        const std::vector<Window*> radios = RadioGroupAt(top, i);
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

}  // namespace frontend
