// A grid of character cells that the dialogs are drawn into before it goes to the terminal.
// Drawing is clipped to a rectangle and never leaves half of a wide character behind, so
// whatever the terminal size, what reaches the screen is well formed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace frontend {

enum Attr : uint8_t {
    kAttrNormal = 0,
    kAttrBold = 1,
    kAttrReverse = 2,
    kAttrUnderline = 4,
    kAttrDim = 8,
};

struct CellRect {
    int row = 0;
    int col = 0;
    int rows = 0;
    int cols = 0;

    int bottom() const { return row + rows; }  // one past the last row
    int right() const { return col + cols; }   // one past the last column
    bool empty() const { return rows <= 0 || cols <= 0; }
    bool Contains(int r, int c) const {
        return r >= row && r < bottom() && c >= col && c < right();
    }
    CellRect Intersect(const CellRect& other) const;
    bool operator==(const CellRect& o) const {
        return row == o.row && col == o.col && rows == o.rows && cols == o.cols;
    }
};

struct Cell {
    std::string glyph = " ";  // UTF-8 of the character (with any combining marks)
    uint8_t attr = kAttrNormal;
    bool continuation = false;  // right half of the wide character to its left
};

class Canvas {
  public:
    Canvas(int rows, int cols);

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    CellRect bounds() const { return {0, 0, m_rows, m_cols}; }
    const Cell& at(int row, int col) const { return m_cells[Index(row, col)]; }

    void Clear();
    // Writes `text` from (row, col) inside `clip`; returns the column after the text (as if
    // unclipped, so callers can continue a line). Columns left of the clip are skipped.
    int Put(int row, int col, std::string_view text, uint8_t attr, const CellRect& clip);
    int Put(int row, int col, std::string_view text, uint8_t attr = kAttrNormal) {
        return Put(row, col, text, attr, bounds());
    }
    // Fills `rect` (clipped) with blanks of the given attribute.
    void Fill(const CellRect& rect, uint8_t attr = kAttrNormal);
    // Adds attribute bits to every cell of `rect` (clipped).
    void AddAttr(const CellRect& rect, uint8_t attr);

    // The text of one row, wide characters once; for tests and screen captures.
    std::string RowText(int row) const;

  private:
    size_t Index(int row, int col) const { return static_cast<size_t>(row) * m_cols + col; }
    // Writes one cell, first breaking any wide character it would cut in half.
    void SetCell(int row, int col, std::string glyph, uint8_t attr, bool wide);

    int m_rows;
    int m_cols;
    std::vector<Cell> m_cells;
};

}  // namespace frontend
