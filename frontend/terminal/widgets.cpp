#include "frontend/terminal/widgets.h"

#include <algorithm>

#include "frontend/terminal/scroll.h"
#include "frontend/terminal/text_width.h"

namespace frontend {

namespace {

const char* const kHorizontal = "─";
const char* const kVertical = "│";

}  // namespace

int AlignedColumn(int left, int width, int textWidth, Align align) {
    switch (align) {
        case Align::Center:
            return left + std::max(0, (width - textWidth) / 2);
        case Align::Right:
            return left + std::max(0, width - textWidth);
        case Align::Left:
            break;
    }
    return left;
}

int PutLabel(Canvas& canvas, int row, int col, const Label& label, uint8_t attr,
             const CellRect& clip) {
    if (label.mnemonic == 0 || label.mnemonicAt >= label.text.size()) {
        return canvas.Put(row, col, label.text, attr, clip);
    }
    const std::string_view text = label.text;
    const size_t keyBytes = DecodeGlyph(text, label.mnemonicAt).bytes;
    int at = canvas.Put(row, col, text.substr(0, label.mnemonicAt), attr, clip);
    at = canvas.Put(row, at, text.substr(label.mnemonicAt, keyBytes), attr | kAttrUnderline, clip);
    return canvas.Put(row, at, text.substr(label.mnemonicAt + keyBytes), attr, clip);
}

void DrawBox(Canvas& canvas, const CellRect& rect, uint8_t attr, const CellRect& clip) {
    if (rect.empty()) {
        return;
    }
    const int last = rect.bottom() - 1;
    const int right = rect.right() - 1;
    for (int c = rect.col + 1; c < right; ++c) {
        canvas.Put(rect.row, c, kHorizontal, attr, clip);
        if (last > rect.row) {
            canvas.Put(last, c, kHorizontal, attr, clip);
        }
    }
    for (int r = rect.row + 1; r < last; ++r) {
        canvas.Put(r, rect.col, kVertical, attr, clip);
        if (right > rect.col) {
            canvas.Put(r, right, kVertical, attr, clip);
        }
    }
    canvas.Put(rect.row, rect.col, "┌", attr, clip);
    if (right > rect.col) {
        canvas.Put(rect.row, right, "┐", attr, clip);
    }
    if (last > rect.row) {
        canvas.Put(last, rect.col, "└", attr, clip);
        if (right > rect.col) {
            canvas.Put(last, right, "┘", attr, clip);
        }
    }
}

void DrawScrollBar(Canvas& canvas, int row, int col, int rows, int count, int visible, int top,
                   uint8_t attr, const CellRect& clip) {
    if (rows <= 0) {
        return;
    }
    if (rows < 3) {
        for (int r = row; r < row + rows; ++r) {
            canvas.Put(r, col, r == row ? "▲" : "▼", attr, clip);
        }
        return;
    }
    canvas.Put(row, col, "▲", attr, clip);
    canvas.Put(row + rows - 1, col, "▼", attr, clip);
    const int track = rows - 2;
    const Thumb thumb = ScrollThumb(count, visible, top, track);
    for (int i = 0; i < track; ++i) {
        const bool inThumb = count > visible && i >= thumb.start && i < thumb.start + thumb.length;
        canvas.Put(row + 1 + i, col, inThumb ? "█" : "░", attr, clip);
    }
}

int ProgressCells(int lower, int upper, int pos, int cells) {
    if (upper <= lower || cells <= 0) {
        return 0;
    }
    const long long span = static_cast<long long>(upper) - lower;
    const long long done = std::clamp(static_cast<long long>(pos) - lower, 0LL, span);
    return static_cast<int>(done * cells / span);
}

void DrawProgressBar(Canvas& canvas, const CellRect& rect, int lower, int upper, int pos,
                     uint8_t attr, const CellRect& clip) {
    const int filled = ProgressCells(lower, upper, pos, rect.cols);
    for (int r = rect.row; r < rect.bottom(); ++r) {
        for (int c = 0; c < rect.cols; ++c) {
            canvas.Put(r, rect.col + c, c < filled ? "█" : "░", attr, clip);
        }
    }
}

}  // namespace frontend
