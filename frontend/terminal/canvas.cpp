#include "frontend/terminal/canvas.h"

#include <algorithm>

#include "frontend/terminal/text_width.h"

namespace frontend {

CellRect CellRect::Intersect(const CellRect& other) const {
    const int top = std::max(row, other.row);
    const int left = std::max(col, other.col);
    const int bot = std::min(bottom(), other.bottom());
    const int rig = std::min(right(), other.right());
    return {top, left, std::max(0, bot - top), std::max(0, rig - left)};
}

Canvas::Canvas(int rows, int cols)
    : m_rows(std::max(0, rows)),
      m_cols(std::max(0, cols)),
      m_cells(static_cast<size_t>(m_rows) * m_cols) {}

void Canvas::Clear() { std::fill(m_cells.begin(), m_cells.end(), Cell{}); }

void Canvas::SetCell(int row, int col, std::string glyph, uint8_t attr, bool wide) {
    // Breaking a wide character leaves a blank in the half that survives.
    Cell& cell = m_cells[Index(row, col)];
    if (cell.continuation && col > 0) {
        Cell& left = m_cells[Index(row, col - 1)];
        left.glyph = " ";
    }
    const int last = wide ? col + 1 : col;
    if (last + 1 < m_cols && m_cells[Index(row, last + 1)].continuation) {
        Cell& orphan = m_cells[Index(row, last + 1)];
        orphan.glyph = " ";
        orphan.continuation = false;
    }
    cell.glyph = std::move(glyph);
    cell.attr = attr;
    cell.continuation = false;
    if (wide) {
        Cell& right = m_cells[Index(row, col + 1)];
        right.glyph.clear();
        right.attr = attr;
        right.continuation = true;
    }
}

int Canvas::Put(int row, int col, std::string_view text, uint8_t attr, const CellRect& clip) {
    const CellRect area = clip.Intersect(bounds());
    int column = col;
    int lastCol = -1;  // cell that received the previous visible character
    for (size_t pos = 0; pos < text.size();) {
        const Glyph g = DecodeGlyph(text, pos);
        const std::string_view bytes = text.substr(pos, g.bytes);
        pos += g.bytes;
        const bool visibleRow = row >= area.row && row < area.bottom();
        if (g.width == 0) {
            // Combining marks join the character they follow.
            if (visibleRow && lastCol >= 0 && g.code >= 0x20) {
                m_cells[Index(row, lastCol)].glyph.append(bytes);
            }
            continue;
        }
        const bool fits = column >= area.col && column + g.width <= area.right();
        if (visibleRow && fits) {
            const bool printable = g.code >= 0x20 && (g.code < 0x7F || g.code >= 0xA0);
            std::string glyph = printable ? std::string(bytes) : std::string("?");
            SetCell(row, column, std::move(glyph), attr, g.width == 2);
            lastCol = column;
        } else if (visibleRow) {
            // A wide character cut by the clip edge: blank the half that is inside.
            for (int c = column; c < column + g.width; ++c) {
                if (c >= area.col && c < area.right()) {
                    SetCell(row, c, " ", attr, false);
                }
            }
            lastCol = -1;
        }
        column += g.width;
    }
    return column;
}

void Canvas::Fill(const CellRect& rect, uint8_t attr) {
    const CellRect area = rect.Intersect(bounds());
    for (int r = area.row; r < area.bottom(); ++r) {
        for (int c = area.col; c < area.right(); ++c) {
            SetCell(r, c, " ", attr, false);
        }
    }
}

void Canvas::AddAttr(const CellRect& rect, uint8_t attr) {
    const CellRect area = rect.Intersect(bounds());
    for (int r = area.row; r < area.bottom(); ++r) {
        for (int c = area.col; c < area.right(); ++c) {
            m_cells[Index(r, c)].attr |= attr;
        }
    }
}

std::string Canvas::RowText(int row) const {
    std::string text;
    for (int c = 0; c < m_cols; ++c) {
        text += at(row, c).glyph;
    }
    return text;
}

}  // namespace frontend
