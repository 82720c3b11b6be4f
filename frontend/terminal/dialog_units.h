// Dialog units onto the character grid: four horizontal units make one column and eight
// vertical units one row, so a template's positions and sizes hold in the terminal. Control
// edges round to the nearest cell; a control keeps at least one cell each way.
#pragma once

#include "frontend/terminal/canvas.h"

namespace frontend {

constexpr int kUnitsPerColumn = 4;
constexpr int kUnitsPerRow = 8;

// A control's rectangle in the dialog's client area, in cells.
CellRect MapDialogRect(int x, int y, int cx, int cy);

// The client area of a dialog of cx × cy units; a trailing part-cell is dropped, so the
// frame hugs the controls.
CellRect MapClientSize(int cx, int cy);

// Where a dialog with its frame (a title bar above the client area, a border left, right
// and below) stands on a screen of `screen` size: centred when it fits, otherwise at the
// edge so that its top left is visible.
CellRect PlaceFrame(const CellRect& client, int screenRows, int screenCols);

// The client area inside a placed frame.
CellRect ClientOf(const CellRect& frame);

}  // namespace frontend
