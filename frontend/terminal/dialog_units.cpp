#include "frontend/terminal/dialog_units.h"

#include <algorithm>

namespace frontend {

namespace {

int RoundDiv(int value, int unit) {
    // Floor division of value + unit/2, also for negative values.
    const int shifted = value + unit / 2;
    return shifted >= 0 ? shifted / unit : -((-shifted + unit - 1) / unit);
}

}  // namespace

CellRect MapDialogRect(int x, int y, int cx, int cy) {
    const int left = RoundDiv(x, kUnitsPerColumn);
    const int top = RoundDiv(y, kUnitsPerRow);
    const int right = std::max(left + 1, RoundDiv(x + cx, kUnitsPerColumn));
    const int bottom = std::max(top + 1, RoundDiv(y + cy, kUnitsPerRow));
    return {top, left, bottom - top, right - left};
}

CellRect MapClientSize(int cx, int cy) {
    return {0, 0, std::max(1, cy / kUnitsPerRow), std::max(1, cx / kUnitsPerColumn)};
}

CellRect PlaceFrame(const CellRect& client, int screenRows, int screenCols) {
    const int rows = client.rows + 2;
    const int cols = client.cols + 2;
    const int row = std::max(0, (screenRows - rows) / 2);
    const int col = std::max(0, (screenCols - cols) / 2);
    return {row, col, rows, cols};
}

CellRect ClientOf(const CellRect& frame) {
    return {frame.row + 1, frame.col + 1, std::max(0, frame.rows - 2), std::max(0, frame.cols - 2)};
}

}  // namespace frontend
