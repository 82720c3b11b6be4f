// What the terminal remembers about the windows beyond the model: the first visible item of
// each list, the caret and scroll position of each edit field, the one pop-up that may be
// open (a drop-down list or the system menu), and where the last drawing put things, so a
// mouse click can be traced back to what is under it.
#pragma once

#include <map>
#include <vector>

#include "frontend/terminal/canvas.h"

namespace afx {
class Window;
}

namespace frontend {

struct ControlView {
    int top = 0;       // lists: first visible item
    int lastSel = -2;  // lists: the selection when last drawn (a new one is scrolled to)
    size_t caret = 0;  // edit fields: byte offset of the caret
    int scroll = 0;    // edit fields: first visible column
};

struct Popup {
    enum class Kind { None, DropDown, SystemMenu };
    Kind kind = Kind::None;
    afx::Window* owner = nullptr;  // the drop-down list, or the window of the system menu
    int highlight = 0;             // item under the highlight
    int top = 0;                   // drop-down: first visible item
    bool open() const { return kind != Kind::None; }
};

enum class HitKind {
    Control,    // a control's own area (push button, check box, edit field ...)
    ListItem,   // item `index` of a list box
    ListBlank,  // the empty area of a list box below its items
    ScrollUp,   // the arrows of a list's scroll bar
    ScrollDown,
    PopupItem,  // item `index` of the open drop-down list or system menu
    SystemMenuBox,
    CloseBox,
};

struct Hit {
    CellRect rect;
    HitKind kind;
    afx::Window* window;
    int index = -1;
};

struct ViewState {
    std::map<const afx::Window*, ControlView> controls;
    Popup popup;
    // Filled by each drawing, for the window on top and its pop-up (drawn last, found first).
    std::vector<Hit> hits;
    // Where the terminal's cursor goes (the caret of a focused edit field), or -1.
    int cursorRow = -1;
    int cursorCol = -1;

    ControlView& Of(const afx::Window* control) { return controls[control]; }
    // Forgets a window that went away, with its controls.
    void Forget(const afx::Window& window);
    // The topmost hit under a cell, null for none.
    const Hit* HitAt(int row, int col) const;
};

}  // namespace frontend
