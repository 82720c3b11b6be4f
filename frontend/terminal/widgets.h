// Drawing primitives of the dialogs: frames, labels with their access key marked, scroll
// bars and the progress bar. Everything is clipped to `clip`.
#pragma once

#include "frontend/terminal/canvas.h"
#include "frontend/terminal/mnemonic.h"

namespace frontend {

enum class Align { Left, Center, Right };

// The column where text `textWidth` wide starts inside [left, left + width).
int AlignedColumn(int left, int width, int textWidth, Align align);

// Writes a label, underlining its access key; returns the column after it.
int PutLabel(Canvas& canvas, int row, int col, const Label& label, uint8_t attr,
             const CellRect& clip);

// A box drawn with line characters along the edges of `rect`.
void DrawBox(Canvas& canvas, const CellRect& rect, uint8_t attr, const CellRect& clip);

// A vertical scroll bar in column `col` from `row`, `rows` cells long: arrows at both ends
// and a thumb that shows which part of `count` items the `visible` rows from `top` show.
void DrawScrollBar(Canvas& canvas, int row, int col, int rows, int count, int visible, int top,
                   uint8_t attr, const CellRect& clip);

// Cells filled in proportion of `pos` within [lower, upper], clamped.
int ProgressCells(int lower, int upper, int pos, int cells);
void DrawProgressBar(Canvas& canvas, const CellRect& rect, int lower, int upper, int pos,
                     uint8_t attr, const CellRect& clip);

}  // namespace frontend
