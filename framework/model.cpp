#include "framework/model.h"

#include "framework/wnd.h"

namespace afx {

Window::Window() = default;
Window::~Window() = default;

Window* Window::Control(int controlId) const {
    for (const auto& control : controls) {
        if (control->id == controlId) return control.get();
    }
    return nullptr;
}

Window* Window::DefaultButton() const {
    for (const auto& control : controls) {
        if (control->kind == WindowKind::PushButton &&
            (control->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            return control.get();
        }
    }
    return nullptr;
}

bool Window::TakesInput() const {
    if (!enabled || !visible) return false;
    return parent == nullptr || IsTopLevel() || (parent->enabled && parent->visible);
}

bool Window::Sorted() const {
    if (kind == WindowKind::ComboBox) return (style & CBS_SORT) != 0;
    if (kind == WindowKind::ListBox) return (style & LBS_SORT) != 0;
    return false;
}

// The dialogs' font (9 points) has an average character of 6 × 12 pixels.
int DialogUnitsToPixelsX(int units) { return units * 6 / 4; }
int DialogUnitsToPixelsY(int units) { return units * 12 / 8; }

// An icon handle carries its resource id under a tag, so any handle can be checked.
constexpr uintptr_t kIconTag = 0x1C0000;

HICON IconHandle(UINT resourceId) {
    if (res::FindIcon(resourceId) == nullptr) return nullptr;
    return reinterpret_cast<HICON>(kIconTag | resourceId);
}

const res::IconResource* IconImage(HICON icon) {
    auto value = reinterpret_cast<uintptr_t>(icon);
    if ((value & ~uintptr_t{0xFFFF}) != kIconTag) return nullptr;
    return res::FindIcon(static_cast<UINT>(value & 0xFFFF));
}

}  // namespace afx
