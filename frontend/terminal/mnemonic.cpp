#include "frontend/terminal/mnemonic.h"

#include "frontend/terminal/text_width.h"

namespace frontend {

char32_t FoldKey(char32_t key) { return (key >= 'a' && key <= 'z') ? key - 'a' + 'A' : key; }

Label ParseLabel(std::string_view source) {
    Label label;
    for (size_t pos = 0; pos < source.size();) {
        if (source[pos] == '&' && pos + 1 < source.size()) {
            if (source[pos + 1] == '&') {
                label.text += '&';
                pos += 2;
                continue;
            }
            const Glyph g = DecodeGlyph(source, pos + 1);
            if (label.mnemonic == 0) {
                label.mnemonic = FoldKey(g.code);
                label.mnemonicAt = label.text.size();
            }
            label.text.append(source.substr(pos + 1, g.bytes));
            pos += 1 + g.bytes;
            continue;
        }
        label.text += source[pos];
        ++pos;
    }
    return label;
}

}  // namespace frontend
