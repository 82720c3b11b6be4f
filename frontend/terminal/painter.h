// Draws the open dialogs and message boxes of the window model into a canvas, each over the
// ones opened before it, and records for the window on top where its controls, list items
// and pop-up items landed.
#pragma once

#include <vector>

#include "frontend/terminal/canvas.h"
#include "frontend/terminal/view_state.h"

namespace afx {
class Window;
}

namespace frontend {

// Draws `windows` (first opened first) onto a cleared canvas.
void PaintScreen(Canvas& canvas, const std::vector<afx::Window*>& windows, ViewState& view);

// Geometry shared with the input side.
// The frame of a dialog on a screen of that size; when the dialog does not fit it is
// shifted so that its focused control is visible.
CellRect DialogFrame(const afx::Window& dialog, int screenRows, int screenCols);
// A control's cells on the screen, inside its dialog's frame.
CellRect ControlCells(const afx::Window& control, const CellRect& frame);
// How many items a list box shows at once.
int ListRows(const afx::Window& list);
// How many items the open drop-down of a combo box shows at once.
int DropDownRows(const afx::Window& combo);

}  // namespace frontend
