// Column widths of UTF-8 text in a terminal: East Asian wide characters take two columns,
// half-width katakana one, combining marks none. A wide character is never split: where only
// one column is left, a blank stands in for it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace frontend {

// Selects a UTF-8 character type for this process (the user's, else C.UTF-8) so that the
// width table and the curses library agree. Returns false when no UTF-8 locale exists.
bool EnsureUtf8Locale();

// One decoded character: its code point (U+FFFD for a malformed byte), how many bytes it
// took and how many columns it needs (0, 1 or 2).
struct Glyph {
    char32_t code;
    size_t bytes;
    int width;
};

// Decodes the character that starts at `pos` (pos < text.size()).
Glyph DecodeGlyph(std::string_view text, size_t pos);

// The UTF-8 bytes of a code point (U+FFFD for one that is not a character).
std::string EncodeUtf8(char32_t code);

// Columns the code point needs; control characters and malformed input count as one
// column, because they are drawn as a replacement character.
int CodePointWidth(char32_t code);

int TextWidth(std::string_view text);

// The longest prefix of `text` that fits in `columns`, never splitting a character.
std::string_view ClipToWidth(std::string_view text, int columns);

// Byte offset of the character that covers column `column` of `text` (text.size() when the
// text is narrower); `lead` receives how many columns of that character lie left of `column`
// (1 when the column falls on the right half of a wide character).
size_t OffsetAtColumn(std::string_view text, int column, int* lead = nullptr);

// Columns from the start of `text` to byte offset `offset`.
int ColumnOfOffset(std::string_view text, size_t offset);

}  // namespace frontend
