// The drawing of one screen, shared by the files that draw windows and their controls.
#pragma once

#include <string>

#include "framework/model.h"
#include "frontend/terminal/canvas.h"
#include "frontend/terminal/mnemonic.h"
#include "frontend/terminal/painter.h"
#include "frontend/terminal/view_state.h"

namespace frontend::paint {

using afx::Window;
using afx::WindowKind;

inline bool HasBorder(const Window& control) { return (control.style & WS_BORDER) != 0; }

inline uint8_t StateAttr(const Window& control) { return control.enabled ? kAttrNormal : kAttrDim; }

// A disabled control keeps the focus in the model but takes no keys: it is not shown as
// focused, and Enter goes to the default button.
inline bool IsFocused(const Window& control) {
    return control.parent != nullptr && control.parent->focus == &control && control.enabled;
}

inline Label LabelOf(const Window& control) {
    if (control.kind == WindowKind::Static && (control.style & SS_NOPREFIX) != 0) {
        return Label{control.text};
    }
    return ParseLabel(control.text);
}

// The list area inside a list box's border, and the column of its scroll bar (or -1).
struct ListGeometry {
    CellRect items;
    int scrollCol = -1;
};

inline ListGeometry ListArea(const Window& list, const CellRect& cells) {
    ListGeometry g;
    g.items = cells;
    if (HasBorder(list) && cells.rows > 2 && cells.cols > 2) {
        g.items = {cells.row + 1, cells.col + 1, cells.rows - 2, cells.cols - 2};
    }
    if ((list.style & WS_VSCROLL) != 0 && g.items.cols > 1) {
        g.scrollCol = g.items.right() - 1;
        g.items.cols -= 1;
    }
    return g;
}

// What a control covers while closed: a drop-down list's rectangle also holds its list.
inline CellRect ClosedCells(const Window& control, const CellRect& frame) {
    CellRect cells = ControlCells(control, frame);
    if (control.kind == WindowKind::ComboBox) {
        cells.rows = 1;
    }
    return cells;
}

// Draws windows and their controls into a canvas; for the window on top it also records
// where things landed (hits) and where the caret goes.
class Painter {
  public:
    Painter(Canvas& canvas, ViewState& view) : m_canvas(canvas), m_view(view) {}

    // Both return the window's frame.
    CellRect Dialog(Window& dialog, bool onTop);
    CellRect MessageBox(Window& box, bool onTop);
    void SystemMenu(Window& window, const CellRect& frame);

  private:
    void TitleBar(const Window& window, const CellRect& frame, bool onTop);
    void Frame(const Window& window, const CellRect& frame, bool onTop);
    void Control(Window& control, const CellRect& cells, const CellRect& clip, bool onTop);
    void Static(const Window& control, const CellRect& cells, const CellRect& clip);
    void Icon(const Window& control, const CellRect& cells, const CellRect& clip);
    void Button(const Window& control, const CellRect& cells, const CellRect& clip, bool marked,
                const std::string& source);
    void Choice(const Window& control, const CellRect& cells, const CellRect& clip);
    void GroupBox(const Window& control, const CellRect& cells, const CellRect& clip);
    void Combo(const Window& control, const CellRect& cells, const CellRect& clip);
    void List(Window& control, const CellRect& cells, const CellRect& clip, bool onTop);
    void Edit(const Window& control, const CellRect& cells, const CellRect& clip);
    void DropDown(Window& combo, const CellRect& cells);
    void Cursor(int row, int col) {
        m_view.cursorRow = row;
        m_view.cursorCol = col;
    }
    void AddHit(const CellRect& rect, HitKind kind, Window* window, int index = -1) {
        m_view.hits.push_back({rect, kind, window, index});
    }
    bool Claimed(const Window& self, int row, int col) const;
    CellRect FreeArea(const Window& control, const CellRect& cells, const CellRect& clip,
                      bool growLeft, bool growDown) const;

    Canvas& m_canvas;
    ViewState& m_view;
    CellRect m_frame;  // of the dialog being drawn
};

}  // namespace frontend::paint
