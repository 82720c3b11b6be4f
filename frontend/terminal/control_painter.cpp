// Drawing each kind of control, and the free room a text may take around its control.
#include <algorithm>
#include <string>

#include "frontend/terminal/message_box_layout.h"
#include "frontend/terminal/painter_internal.h"
#include "frontend/terminal/scroll.h"
#include "frontend/terminal/text_width.h"
#include "frontend/terminal/widgets.h"

namespace frontend::paint {

// Whether a cell belongs to a control other than `self`: its area (a drop-down list's box
// only), or the frame line of a group box.
bool Painter::Claimed(const Window& self, int row, int col) const {
    for (const auto& other : self.parent->controls) {
        if (other.get() == &self || !other->visible) {
            continue;
        }
        const CellRect o = ClosedCells(*other, m_frame);
        if (!o.Contains(row, col)) {
            continue;
        }
        if (other->kind != WindowKind::GroupBox || row == o.row || row == o.bottom() - 1 ||
            col == o.col || col == o.right() - 1) {
            return true;
        }
    }
    return false;
}

// Texts are drawn in a proportional font where the templates come from; here a text that
// is wider than its control may take the free cells around it (never another control's,
// nor a group box's frame), so it is never cut short.
CellRect Painter::FreeArea(const Window& control, const CellRect& cells, const CellRect& clip,
                           bool growLeft, bool growDown) const {
    CellRect area = cells.Intersect(clip);
    if (control.parent == nullptr || control.parent->kind != WindowKind::Dialog || area.empty()) {
        return area;
    }
    const auto columnFree = [&](int col) {
        for (int r = area.row; r < area.bottom(); ++r) {
            if (Claimed(control, r, col)) return false;
        }
        return true;
    };
    const auto rowFree = [&](int row) {
        for (int c = area.col; c < area.right(); ++c) {
            if (Claimed(control, row, c)) return false;
        }
        return true;
    };
    while (area.right() < clip.right() && columnFree(area.right())) {
        ++area.cols;
    }
    while (growLeft && area.col > clip.col && columnFree(area.col - 1)) {
        --area.col;
        ++area.cols;
    }
    while (growDown && area.bottom() < clip.bottom() && rowFree(area.bottom())) {
        ++area.rows;
    }
    return area;
}

void Painter::Static(const Window& control, const CellRect& cells, const CellRect& clip) {
    const Label label = LabelOf(control);
    const unsigned type = control.style & SS_TYPEMASK;
    const Align align = type == SS_CENTER  ? Align::Center
                        : type == SS_RIGHT ? Align::Right
                                           : Align::Left;
    const int width = TextWidth(label.text);
    // Where the text goes: its control, or, when it does not fit, the free cells around.
    CellRect box = cells.Intersect(clip);
    std::vector<std::string> lines;
    if (cells.rows == 1 && width <= cells.cols) {
        lines = {label.text};
    } else {
        const CellRect free = FreeArea(control, cells, clip, true, true);
        if (cells.rows == 1 && width <= free.cols) {
            lines = {label.text};
            box = CellRect{cells.row, free.col, 1, free.cols};
        } else {
            lines = WrapBalanced(label.text, free.cols, std::max(1, free.rows));
            if (static_cast<int>(lines.size()) > free.rows) {
                lines.resize(std::max(0, free.rows));
            }
            box = CellRect{free.row, free.col, static_cast<int>(lines.size()), free.cols};
        }
    }
    int row = cells.row;
    if ((control.style & SS_CENTERIMAGE) != 0 && static_cast<int>(lines.size()) <= cells.rows) {
        row += (cells.rows - static_cast<int>(lines.size())) / 2;
    }
    const uint8_t attr = StateAttr(control);
    for (size_t i = 0; i < lines.size(); ++i, ++row) {
        // A text that fits its control keeps its alignment there.
        const int lineWidth = TextWidth(lines[i]);
        const CellRect place = lineWidth <= cells.cols ? cells : box;
        // Left-aligned text moves left only as far as it must to fit.
        const int col = align == Align::Left
                            ? std::max(box.col, std::min(cells.col, box.right() - lineWidth))
                            : AlignedColumn(place.col, place.cols, lineWidth, align);
        const CellRect lineClip = CellRect{row, box.col, 1, box.cols}.Intersect(clip);
        if (lines.size() == 1) {
            PutLabel(m_canvas, row, col, label, attr, lineClip);
        } else {
            m_canvas.Put(row, col, lines[i], attr, lineClip);
        }
    }
}

void Painter::Icon(const Window& control, const CellRect& cells, const CellRect& clip) {
    const res::IconResource* image = afx::IconImage(control.icon);
    if (image == nullptr) {
        return;
    }
    const CellRect area = cells.Intersect(clip);
    const int rows = static_cast<int>(image->rowCount);
    const int top = cells.row + std::max(0, (cells.rows - rows) / 2);
    for (int i = 0; i < rows; ++i) {
        const std::string_view line = image->rows[i];
        m_canvas.Put(top + i, AlignedColumn(cells.col, cells.cols, TextWidth(line), Align::Center),
                     line, kAttrNormal, area);
    }
}

void Painter::Button(const Window& control, const CellRect& cells, const CellRect& clip,
                     bool marked, const std::string& source) {
    const CellRect area = cells.Intersect(clip);
    const Label label = ParseLabel(source);
    const int labelWidth = TextWidth(label.text);
    // "[ label ]", the default "[[ label ]]"; padding goes first when space is short.
    const char* open = marked ? "[[" : "[";
    const char* close = marked ? "]]" : "]";
    const int brackets = marked ? 4 : 2;
    const bool pad = labelWidth + brackets + 2 <= cells.cols;
    const int width = std::min(cells.cols, labelWidth + brackets + (pad ? 2 : 0));
    const int row = cells.row + (cells.rows - 1) / 2;
    const int left = AlignedColumn(cells.col, cells.cols, width, Align::Center);
    const bool focused = IsFocused(control);
    uint8_t attr = StateAttr(control) | (focused ? kAttrReverse : 0) | (marked ? kAttrBold : 0);
    const CellRect inside{row, left, 1, width};
    m_canvas.Fill(inside.Intersect(area), attr);
    m_canvas.Put(row, left, open, attr, area);
    const int textCol = AlignedColumn(left, width, labelWidth, Align::Center);
    const CellRect labelArea =
        CellRect{row, left + brackets / 2, 1, width - brackets}.Intersect(area);
    PutLabel(m_canvas, row, textCol, label, attr, labelArea);
    m_canvas.Put(row, left + width - brackets / 2, close, attr, area);
    if (focused) {
        Cursor(row, textCol);
    }
}

void Painter::Choice(const Window& control, const CellRect& cells, const CellRect& clip) {
    const CellRect area = cells.Intersect(clip);
    const bool radio = control.kind == WindowKind::RadioButton;
    std::string mark;
    if (radio) {
        mark = control.check == BST_CHECKED ? "(*)" : "( )";
    } else {
        mark = control.check == BST_CHECKED         ? "[x]"
               : control.check == BST_INDETERMINATE ? "[-]"
                                                    : "[ ]";
    }
    const int row = cells.row + (cells.rows - 1) / 2;
    const uint8_t attr = StateAttr(control);
    m_canvas.Put(row, cells.col, mark, attr, area);
    const uint8_t labelAttr = attr | (IsFocused(control) ? kAttrReverse : 0);
    const CellRect line{row, cells.col, 1, cells.cols};
    PutLabel(m_canvas, row, cells.col + 4, LabelOf(control), labelAttr,
             FreeArea(control, line, clip, false, false));
    if (IsFocused(control)) {
        Cursor(row, cells.col + 1);
    }
}

void Painter::GroupBox(const Window& control, const CellRect& cells, const CellRect& clip) {
    const uint8_t attr = StateAttr(control);
    DrawBox(m_canvas, cells, attr, clip);
    const CellRect titleArea =
        CellRect{cells.row, cells.col + 1, 1, std::max(0, cells.cols - 2)}.Intersect(clip);
    const int col = cells.cols > 6 ? cells.col + 2 : cells.col + 1;
    PutLabel(m_canvas, cells.row, col, LabelOf(control), attr, titleArea);
}

void Painter::Combo(const Window& control, const CellRect& cells, const CellRect& clip) {
    const CellRect area = cells.Intersect(clip);
    const int row = cells.row;
    const uint8_t attr = StateAttr(control);
    const CellRect box{row, cells.col, 1, cells.cols};
    m_canvas.Fill(box.Intersect(area), attr);
    m_canvas.Put(row, cells.col, "[", attr, area);
    if (cells.cols >= 4) {
        m_canvas.Put(row, cells.right() - 2, "▼", attr, area);
    }
    m_canvas.Put(row, cells.right() - 1, "]", attr, area);
    const CellRect text =
        CellRect{row, cells.col + 1, 1, std::max(0, cells.cols - 4)}.Intersect(area);
    const bool focused = IsFocused(control);
    if (focused) {
        m_canvas.Fill(text, attr | kAttrReverse);
        Cursor(row, cells.col + 1);
    }
    if (control.curSel >= 0 && control.curSel < static_cast<int>(control.items.size())) {
        m_canvas.Put(row, cells.col + 1, control.items[control.curSel].text,
                     attr | (focused ? kAttrReverse : 0), text);
    }
}

void Painter::List(Window& control, const CellRect& cells, const CellRect& clip, bool onTop) {
    const uint8_t attr = StateAttr(control);
    if (HasBorder(control)) {
        DrawBox(m_canvas, cells, attr, clip);
    }
    const ListGeometry g = ListArea(control, cells);
    const CellRect items = g.items.Intersect(clip);
    ControlView& view = m_view.Of(&control);
    const int count = static_cast<int>(control.items.size());
    const int rows = g.items.rows;
    // A selection the program made is scrolled into view, as the list control does.
    if (control.curSel != view.lastSel) {
        view.top = ScrollToShow(view.top, control.curSel, rows, count);
        view.lastSel = control.curSel;
    }
    view.top = ScrollToShow(view.top, -1, rows, count);
    const bool focused = IsFocused(control);
    for (int i = 0; i < rows; ++i) {
        const int index = view.top + i;
        const CellRect line{g.items.row + i, g.items.col, 1, g.items.cols};
        if (index < count) {
            const bool selected = index == control.curSel;
            const uint8_t itemAttr = attr | (selected ? kAttrReverse : 0);
            if (selected) {
                m_canvas.Fill(line.Intersect(items), itemAttr);
            }
            m_canvas.Put(line.row, line.col, control.items[index].text, itemAttr, items);
            if (onTop) {
                AddHit(line.Intersect(items), HitKind::ListItem, &control, index);
            }
        } else if (onTop) {
            AddHit(line.Intersect(items), HitKind::ListBlank, &control);
        }
    }
    if (focused) {
        const int shown = control.curSel >= view.top && control.curSel < view.top + rows
                              ? control.curSel - view.top
                              : 0;
        Cursor(g.items.row + shown, g.items.col);
    }
    if (g.scrollCol >= 0) {
        DrawScrollBar(m_canvas, g.items.row, g.scrollCol, rows, count, rows, view.top, attr, clip);
        if (onTop && rows > 0) {
            AddHit(CellRect{g.items.row, g.scrollCol, 1, 1}.Intersect(clip), HitKind::ScrollUp,
                   &control);
            AddHit(CellRect{g.items.bottom() - 1, g.scrollCol, 1, 1}.Intersect(clip),
                   HitKind::ScrollDown, &control);
        }
    }
}

void Painter::Edit(const Window& control, const CellRect& cells, const CellRect& clip) {
    const CellRect area = cells.Intersect(clip);
    const int row = cells.row + (cells.rows - 1) / 2;
    const uint8_t attr = StateAttr(control);
    m_canvas.Put(row, cells.col, "[", attr, area);
    m_canvas.Put(row, cells.right() - 1, "]", attr, area);
    const CellRect field{row, cells.col + 1, 1, std::max(0, cells.cols - 2)};
    const CellRect text = field.Intersect(area);
    const bool focused = IsFocused(control);
    const uint8_t fieldAttr = attr | kAttrUnderline;
    m_canvas.Fill(text, fieldAttr);
    ControlView& view = m_view.Of(&control);
    view.caret = std::min(view.caret, control.text.size());
    view.scroll = EditScrollToShow(control.text, view.caret, view.scroll, field.cols);
    m_canvas.Put(row, field.col - view.scroll, control.text, fieldAttr, text);
    if (focused) {
        Cursor(row, field.col + ColumnOfOffset(control.text, view.caret) - view.scroll);
    }
}

}  // namespace frontend::paint
