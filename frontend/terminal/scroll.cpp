#include "frontend/terminal/scroll.h"

#include <algorithm>

#include "frontend/terminal/text_width.h"

namespace frontend {

int ScrollToShow(int top, int index, int visible, int count) {
    visible = std::max(1, visible);
    if (index >= 0 && index < count) {
        if (index < top) {
            top = index;
        } else if (index >= top + visible) {
            top = index - visible + 1;
        }
    }
    return std::clamp(top, 0, std::max(0, count - visible));
}

Thumb ScrollThumb(int count, int visible, int top, int track) {
    if (track <= 0) {
        return {0, 0};
    }
    if (count <= visible || visible <= 0) {
        return {0, track};
    }
    const int length = std::clamp(track * visible / count, 1, track);
    const int range = count - visible;
    const int start = ((track - length) * std::clamp(top, 0, range) + range / 2) / range;
    return {start, length};
}

int EditScrollToShow(std::string_view text, size_t caret, int scroll, int width) {
    width = std::max(1, width);
    const int caretCol = ColumnOfOffset(text, caret);
    // A wide character at the caret needs both its columns inside the field.
    const int caretWidth = caret < text.size() ? std::max(1, DecodeGlyph(text, caret).width) : 1;
    if (caretCol < scroll) {
        scroll = caretCol;
    } else if (caretCol + caretWidth > scroll + width) {
        scroll = caretCol + caretWidth - width;
    }
    // Never leave blank space at the right while text is hidden at the left; the caret
    // stays visible, since it never stands right of the column after the text.
    const int maxScroll = TextWidth(text) + 1 - width;
    return std::max(0, std::min(scroll, maxScroll));
}

size_t PrevCharOffset(std::string_view text, size_t caret) {
    caret = std::min(caret, text.size());
    size_t pos = 0;
    size_t prev = 0;
    while (pos < caret) {
        prev = pos;
        pos += DecodeGlyph(text, pos).bytes;
        // Combining marks belong to the character before them.
        while (pos < caret && DecodeGlyph(text, pos).width == 0) {
            pos += DecodeGlyph(text, pos).bytes;
        }
    }
    return prev;
}

size_t NextCharOffset(std::string_view text, size_t caret) {
    if (caret >= text.size()) {
        return text.size();
    }
    size_t pos = caret + DecodeGlyph(text, caret).bytes;
    while (pos < text.size() && DecodeGlyph(text, pos).width == 0) {
        pos += DecodeGlyph(text, pos).bytes;
    }
    return pos;
}

}  // namespace frontend
