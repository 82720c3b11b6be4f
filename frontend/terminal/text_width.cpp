#include "frontend/terminal/text_width.h"

#include <clocale>
#include <cstring>
#include <cwchar>
#include <langinfo.h>

namespace frontend {

namespace {

bool CodesetIsUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr &&
           (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

bool EnsureUtf8Locale() {
    if (std::setlocale(LC_CTYPE, "") != nullptr && CodesetIsUtf8()) {
        return true;
    }
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        if (std::setlocale(LC_CTYPE, name) != nullptr && CodesetIsUtf8()) {
            return true;
        }
    }
    return false;
}

Glyph DecodeGlyph(std::string_view text, size_t pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        return {lead, 1, CodePointWidth(lead)};
    }
    size_t length;
    char32_t code;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return {kReplacement, 1, 1};
    }
    if (pos + length > text.size()) {
        return {kReplacement, 1, 1};
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            return {kReplacement, 1, 1};
        }
        code = (code << 6) | (byte(pos + i) & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are malformed, not characters.
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {kReplacement, 1, 1};
    }
    return {code, length, CodePointWidth(code)};
}

std::string EncodeUtf8(char32_t code) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        code = kReplacement;
    }
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

int CodePointWidth(char32_t code) {
    // The width table belongs to the character type; make sure it is a UTF-8 one.
    static const bool utf8 = CodesetIsUtf8() || EnsureUtf8Locale();
    // Controls are drawn as a replacement mark of one column.
    if (code < 0xA0 || !utf8) {
        return 1;
    }
    const int width = ::wcwidth(static_cast<wchar_t>(code));
    if (width < 0) {
        return 1;
    }
    return width > 2 ? 2 : width;
}

int TextWidth(std::string_view text) {
    int columns = 0;
    for (size_t pos = 0; pos < text.size();) {
        const Glyph g = DecodeGlyph(text, pos);
        columns += g.width;
        pos += g.bytes;
    }
    return columns;
}

std::string_view ClipToWidth(std::string_view text, int columns) {
    int used = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        const Glyph g = DecodeGlyph(text, pos);
        if (used + g.width > columns) {
            break;
        }
        used += g.width;
        pos += g.bytes;
    }
    return text.substr(0, pos);
}

size_t OffsetAtColumn(std::string_view text, int column, int* lead) {
    int used = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        const Glyph g = DecodeGlyph(text, pos);
        if (used + g.width > column && g.width > 0) {
            if (lead != nullptr) {
                *lead = column - used;
            }
            return pos;
        }
        used += g.width;
        pos += g.bytes;
    }
    if (lead != nullptr) {
        *lead = 0;
    }
    return text.size();
}

int ColumnOfOffset(std::string_view text, size_t offset) {
    return TextWidth(text.substr(0, offset < text.size() ? offset : text.size()));
}

}  // namespace frontend
