#include "frontend/terminal/painter.h"

#include <algorithm>
#include <string>

#include "frontend/terminal/dialog_units.h"
#include "frontend/terminal/message_box_layout.h"
#include "frontend/terminal/painter_internal.h"
#include "frontend/terminal/scroll.h"
#include "frontend/terminal/text_width.h"
#include "frontend/terminal/widgets.h"

namespace frontend {

namespace paint {

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

}  // namespace paint

using paint::ClosedCells;
using paint::ListArea;
using paint::Painter;

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
