// Scrolling arithmetic of lists and edit fields, kept apart from drawing so it can be
// reasoned about (and tested) on its own.
#pragma once

#include <cstddef>
#include <string_view>

namespace frontend {

// The first visible row that shows `index` in a window of `visible` rows over `count`
// items, moving `top` as little as possible and never past the end.
int ScrollToShow(int top, int index, int visible, int count);

struct Thumb {
    int start;
    int length;
};
// The thumb of a scroll bar whose track is `track` cells long.
Thumb ScrollThumb(int count, int visible, int top, int track);

// The first visible column of an edit field `width` columns wide so that the caret (a byte
// offset into `text`) stays visible, moving `scroll` as little as possible; the caret may
// stand after the last character, which needs one column of its own.
int EditScrollToShow(std::string_view text, size_t caret, int scroll, int width);

// Byte offsets of the characters before and after `caret`, stepping over whole characters.
size_t PrevCharOffset(std::string_view text, size_t caret);
size_t NextCharOffset(std::string_view text, size_t caret);

}  // namespace frontend
