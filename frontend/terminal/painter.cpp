#include "frontend/terminal/painter.h"

#include <algorithm>
#include <string>

#include "framework/model.h"
#include "frontend/terminal/dialog_units.h"
#include "frontend/terminal/message_box_layout.h"
#include "frontend/terminal/mnemonic.h"
#include "frontend/terminal/scroll.h"
#include "frontend/terminal/text_width.h"
#include "frontend/terminal/widgets.h"

namespace frontend {

namespace {

using afx::Window;
using afx::WindowKind;

bool HasBorder(const Window& control) { return (control.style & WS_BORDER) != 0; }

uint8_t StateAttr(const Window& control) { return control.enabled ? kAttrNormal : kAttrDim; }

// A disabled control keeps the focus in the model but takes no keys: it is not shown as
// focused, and Enter goes to the default button.
bool IsFocused(const Window& control) {
    return control.parent != nullptr && control.parent->focus == &control && control.enabled;
}

Label LabelOf(const Window& control) {
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

ListGeometry ListArea(const Window& list, const CellRect& cells) {
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
CellRect ClosedCells(const Window& control, const CellRect& frame) {
    CellRect cells = ControlCells(control, frame);
    if (control.kind == WindowKind::ComboBox) {
        cells.rows = 1;
    }
    return cells;
}

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

void Painter::TitleBar(const Window& window, const CellRect& frame, bool onTop) {
    const CellRect bar{frame.row, frame.col, 1, frame.cols};
    const uint8_t attr = onTop ? (kAttrReverse | kAttrBold) : kAttrReverse;
    m_canvas.Fill(bar, attr);
    int left = frame.col + 1;
    int right = frame.right() - 1;
    if (window.hasSystemMenu) {
        m_canvas.Put(frame.row, left, "[-]", attr, bar);
        m_canvas.Put(frame.row, right - 3, "[X]", attr, bar);
        if (onTop) {
            AddHit({frame.row, left, 1, 3}, HitKind::SystemMenuBox, const_cast<Window*>(&window));
            AddHit({frame.row, right - 3, 1, 3}, HitKind::CloseBox, const_cast<Window*>(&window));
        }
        left += 4;
        right -= 4;
    }
    const CellRect captionArea{frame.row, left, 1, std::max(0, right - left)};
    const std::string_view caption = ClipToWidth(window.text, captionArea.cols);
    m_canvas.Put(
        frame.row,
        AlignedColumn(captionArea.col, captionArea.cols, TextWidth(caption), Align::Center),
        caption, attr, captionArea);
}

void Painter::Frame(const Window& window, const CellRect& frame, bool onTop) {
    m_canvas.Fill(frame);
    DrawBox(m_canvas, frame, kAttrNormal, m_canvas.bounds());
    TitleBar(window, frame, onTop);
}

CellRect Painter::Dialog(Window& dialog, bool onTop) {
    const CellRect frame = DialogFrame(dialog, m_canvas.rows(), m_canvas.cols());
    m_frame = frame;
    Frame(dialog, frame, onTop);
    const CellRect client = ClientOf(frame).Intersect(m_canvas.bounds());
    // Group boxes only frame other controls: draw them first so nothing is hidden.
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& control : dialog.controls) {
            const bool group = control->kind == WindowKind::GroupBox;
            if (control->visible && group == (pass == 0)) {
                Control(*control, ControlCells(*control, frame), client, onTop);
            }
        }
    }
    if (onTop && m_view.popup.kind == Popup::Kind::DropDown && m_view.popup.owner != nullptr &&
        m_view.popup.owner->parent == &dialog) {
        DropDown(*m_view.popup.owner, ControlCells(*m_view.popup.owner, frame));
    }
    return frame;
}

void Painter::Control(Window& control, const CellRect& cells, const CellRect& clip, bool onTop) {
    if (onTop) {
        // A drop-down list's rectangle includes its opened list; closed, only its box counts.
        const CellRect area = control.kind == WindowKind::ComboBox
                                  ? CellRect{cells.row, cells.col, 1, cells.cols}
                                  : cells;
        AddHit(area.Intersect(clip), HitKind::Control, &control);
    }
    switch (control.kind) {
        case WindowKind::Static:
            Static(control, cells, clip);
            break;
        case WindowKind::Icon:
            Icon(control, cells, clip);
            break;
        case WindowKind::PushButton: {
            const Window* focus = control.parent != nullptr ? control.parent->focus : nullptr;
            const bool focusOnButton =
                focus != nullptr && focus->kind == WindowKind::PushButton && focus->enabled;
            const bool marked = focusOnButton ? focus == &control
                                              : (control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
            Button(control, cells, clip, marked, control.text);
            break;
        }
        case WindowKind::CheckBox:
        case WindowKind::RadioButton:
            Choice(control, cells, clip);
            break;
        case WindowKind::GroupBox:
            GroupBox(control, cells, clip);
            break;
        case WindowKind::ComboBox:
            Combo(control, cells, clip);
            break;
        case WindowKind::ListBox:
            List(control, cells, clip, onTop);
            break;
        case WindowKind::Edit:
            Edit(control, cells, clip);
            break;
        case WindowKind::Progress:
            DrawProgressBar(m_canvas, cells, control.lower, control.upper, control.pos,
                            StateAttr(control), clip);
            break;
        case WindowKind::Dialog:
        case WindowKind::MessageBox:
            break;
    }
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

void Painter::DropDown(Window& combo, const CellRect& cells) {
    Popup& popup = m_view.popup;
    const int count = static_cast<int>(combo.items.size());
    const int rows = DropDownRows(combo);
    popup.top = ScrollToShow(popup.top, popup.highlight, rows, count);
    const CellRect box{cells.row, cells.col, rows + 2, cells.cols};
    const CellRect clip = m_canvas.bounds();
    m_canvas.Fill(CellRect{box.row + 1, box.col, rows + 1, box.cols}.Intersect(clip));
    DrawBox(m_canvas, box, kAttrNormal, clip);
    // The closed box stays visible above the items.
    Combo(combo, cells, clip);
    const bool scrolls = count > rows;
    const CellRect items{box.row + 1, box.col + 1, rows, box.cols - 2 - (scrolls ? 1 : 0)};
    for (int i = 0; i < rows; ++i) {
        const int index = popup.top + i;
        if (index >= count) {
            break;
        }
        const CellRect line{items.row + i, items.col, 1, items.cols};
        const uint8_t attr = index == popup.highlight ? kAttrReverse : kAttrNormal;
        m_canvas.Fill(line.Intersect(clip), attr);
        m_canvas.Put(line.row, line.col, combo.items[index].text, attr, line.Intersect(clip));
        AddHit(line.Intersect(clip), HitKind::PopupItem, &combo, index);
    }
    if (scrolls) {
        DrawScrollBar(m_canvas, items.row, items.right(), rows, count, rows, popup.top, kAttrNormal,
                      clip);
        AddHit(CellRect{items.row, items.right(), 1, 1}, HitKind::ScrollUp, &combo);
        AddHit(CellRect{items.bottom() - 1, items.right(), 1, 1}, HitKind::ScrollDown, &combo);
    }
    const int shown = popup.highlight - popup.top;
    if (shown >= 0 && shown < rows) {
        Cursor(items.row + shown, items.col);
    }
}

void Painter::SystemMenu(Window& window, const CellRect& frame) {
    const auto& menu = window.systemMenu;
    int width = 8;
    for (const auto& item : menu) {
        width = std::max(width, TextWidth(ParseLabel(item.text).text) + 4);
    }
    const CellRect box{frame.row + 1, frame.col, static_cast<int>(menu.size()) + 2, width};
    const CellRect clip = m_canvas.bounds();
    m_canvas.Fill(box.Intersect(clip));
    DrawBox(m_canvas, box, kAttrNormal, clip);
    for (size_t i = 0; i < menu.size(); ++i) {
        const int row = box.row + 1 + static_cast<int>(i);
        if ((menu[i].flags & MF_SEPARATOR) != 0) {
            m_canvas.Put(row, box.col, "├", kAttrNormal, clip);
            for (int c = box.col + 1; c < box.right() - 1; ++c) {
                m_canvas.Put(row, c, "─", kAttrNormal, clip);
            }
            m_canvas.Put(row, box.right() - 1, "┤", kAttrNormal, clip);
            continue;
        }
        const CellRect line{row, box.col + 1, 1, box.cols - 2};
        const bool grayed = (menu[i].flags & (MF_GRAYED | MF_DISABLED)) != 0;
        const uint8_t attr = (static_cast<int>(i) == m_view.popup.highlight ? kAttrReverse : 0) |
                             (grayed ? kAttrDim : 0);
        m_canvas.Fill(line.Intersect(clip), attr);
        // A tab separates an item from its shortcut text, which stands at the right.
        const std::string& text = menu[i].text;
        const size_t tab = text.find('\t');
        PutLabel(m_canvas, row, line.col + 1, ParseLabel(text.substr(0, tab)), attr, line);
        if (tab != std::string::npos) {
            const std::string shortcut = text.substr(tab + 1);
            m_canvas.Put(row, line.right() - 1 - TextWidth(shortcut), shortcut, attr, line);
        }
        AddHit(line.Intersect(clip), HitKind::PopupItem, &window, static_cast<int>(i));
        if (static_cast<int>(i) == m_view.popup.highlight) {
            Cursor(row, line.col);
        }
    }
}

CellRect Painter::MessageBox(Window& box, bool onTop) {
    std::vector<std::string> labels;
    for (const auto& button : box.controls) {
        labels.push_back(button->text.empty() ? DefaultAnswerLabel(button->id) : button->text);
    }
    const MessageBoxLayout layout = LayoutMessageBox(box.text, box.message, box.boxType, labels,
                                                     m_canvas.rows(), m_canvas.cols());
    Frame(box, layout.frame, onTop);
    const CellRect client = ClientOf(layout.frame).Intersect(m_canvas.bounds());
    m_canvas.Put(layout.iconRow, layout.iconCol, IconMark(box.boxType), kAttrBold, client);
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        m_canvas.Put(layout.textRow + static_cast<int>(i), layout.textCol, layout.lines[i],
                     kAttrNormal, client);
    }
    const Window* focus = box.focus;
    for (size_t i = 0; i < box.controls.size(); ++i) {
        Window& button = *box.controls[i];
        const CellRect& cells = layout.buttons[i];
        const bool marked = focus != nullptr ? focus == &button : i == 0;
        Button(button, cells, client, marked, labels[i]);
        if (onTop) {
            AddHit(cells.Intersect(client), HitKind::Control, &button);
        }
    }
    return layout.frame;
}

}  // namespace

CellRect DialogFrame(const afx::Window& dialog, int screenRows, int screenCols) {
    CellRect frame =
        PlaceFrame(MapClientSize(dialog.rect.cx, dialog.rect.cy), screenRows, screenCols);
    if (dialog.focus == nullptr || (frame.rows <= screenRows && frame.cols <= screenCols)) {
        return frame;
    }
    // Too big for the screen: slide it so the focused control shows.
    const CellRect focus = ClosedCells(*dialog.focus, frame);
    const int below = focus.bottom() - screenRows;
    if (below > 0) {
        frame.row -= std::min(below, frame.rows - screenRows);
    }
    const int right = focus.right() - screenCols;
    if (right > 0) {
        frame.col -= std::min(right, frame.cols - screenCols);
    }
    return frame;
}

CellRect ControlCells(const afx::Window& control, const CellRect& frame) {
    const CellRect client = ClientOf(frame);
    CellRect cells =
        MapDialogRect(control.rect.x, control.rect.y, control.rect.cx, control.rect.cy);
    cells.row += client.row;
    cells.col += client.col;
    return cells;
}

int ListRows(const afx::Window& list) {
    const CellRect cells = MapDialogRect(list.rect.x, list.rect.y, list.rect.cx, list.rect.cy);
    return std::max(1, ListArea(list, cells).items.rows);
}

int DropDownRows(const afx::Window& combo) {
    const CellRect cells = MapDialogRect(combo.rect.x, combo.rect.y, combo.rect.cx, combo.rect.cy);
    const int count = static_cast<int>(combo.items.size());
    return std::clamp(count, 1, std::max(1, cells.rows - 2));
}

void PaintScreen(Canvas& canvas, const std::vector<afx::Window*>& windows, ViewState& view) {
    canvas.Clear();
    view.hits.clear();
    view.cursorRow = view.cursorCol = -1;
    Painter painter(canvas, view);
    // A dialog is hidden until it has initialised; a message box it raises meanwhile shows
    // on its own.
    std::vector<afx::Window*> shown;
    for (afx::Window* window : windows) {
        if (window->visible) {
            shown.push_back(window);
        }
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        afx::Window& window = *shown[i];
        const bool onTop = i + 1 == shown.size();
        const CellRect frame = window.kind == afx::WindowKind::MessageBox
                                   ? painter.MessageBox(window, onTop)
                                   : painter.Dialog(window, onTop);
        if (onTop && view.popup.kind == Popup::Kind::SystemMenu && view.popup.owner == &window) {
            painter.SystemMenu(window, frame);
        }
        if (!onTop) {
            // Only the window on top shows a caret.
            view.cursorRow = view.cursorCol = -1;
        }
    }
}

}  // namespace frontend
