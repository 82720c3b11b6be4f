// Labels with access keys: "追加(&A)" shows as "追加(A)" with the A marked, "&&" is a
// literal ampersand.
#pragma once

#include <string>
#include <string_view>

namespace frontend {

struct Label {
    std::string text;                       // what is shown, without the markers
    char32_t mnemonic = 0;                  // the access key in upper case, 0 when there is none
    size_t mnemonicAt = std::string::npos;  // byte offset of the marked character in text
};

Label ParseLabel(std::string_view source);

// Upper-cases an ASCII letter; other characters are returned unchanged.
char32_t FoldKey(char32_t key);

}  // namespace frontend
