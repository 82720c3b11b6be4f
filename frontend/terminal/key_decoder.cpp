#include "frontend/terminal/key_decoder.h"

#include <curses.h>

#include "frontend/terminal/mnemonic.h"

namespace frontend {

namespace {

constexpr int kEsc = 0x1B;

std::optional<KeyEvent> FromKeyCode(int code) {
    switch (code) {
        case KEY_BTAB:
            return KeyEvent{Action::Prev};
        case KEY_ENTER:
            return KeyEvent{Action::Enter};
        case KEY_UP:
            return KeyEvent{Action::Up};
        case KEY_DOWN:
            return KeyEvent{Action::Down};
        case KEY_LEFT:
            return KeyEvent{Action::Left};
        case KEY_RIGHT:
            return KeyEvent{Action::Right};
        case KEY_PPAGE:
            return KeyEvent{Action::PageUp};
        case KEY_NPAGE:
            return KeyEvent{Action::PageDown};
        case KEY_HOME:
            return KeyEvent{Action::Home};
        case KEY_END:
            return KeyEvent{Action::End};
        case KEY_BACKSPACE:
            return KeyEvent{Action::Backspace};
        case KEY_DC:
            return KeyEvent{Action::Delete};
        case KEY_RESIZE:
            return KeyEvent{Action::Resize};
        case KEY_MOUSE:
            return KeyEvent{Action::Mouse};
        default:
            break;
    }
    if (code == KEY_F(10)) {
        return KeyEvent{Action::SystemMenu};
    }
    if (code == KEY_F(4)) {
        return KeyEvent{Action::OpenList};
    }
    return std::nullopt;
}

std::optional<KeyEvent> FromChar(int ch) {
    switch (ch) {
        case '\t':
            return KeyEvent{Action::Next};
        case '\n':
        case '\r':
            return KeyEvent{Action::Enter};
        case ' ':
            return KeyEvent{Action::Space};
        case 0x08:
        case 0x7F:
            return KeyEvent{Action::Backspace};
        case 0x03:  // Ctrl+C, a terminal user's way out
            return KeyEvent{Action::Cancel};
        default:
            break;
    }
    if (ch < 0x20 || ch > 0x10FFFF) {
        return std::nullopt;
    }
    return KeyEvent{Action::Char, static_cast<char32_t>(ch)};
}

bool IsMnemonicKey(int ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
}

}  // namespace

std::optional<KeyEvent> KeyDecoder::Feed(const KeyInput& input) {
    if (input.alt) {
        m_escape = false;
        return AfterEscape(input);
    }
    if (m_escape) {
        m_escape = false;
        return AfterEscape(input);
    }
    if (!input.isKeyCode && input.value == kEsc) {
        m_escape = true;
        return std::nullopt;
    }
    return input.isKeyCode ? FromKeyCode(input.value) : FromChar(input.value);
}

std::optional<KeyEvent> KeyDecoder::AfterEscape(const KeyInput& input) {
    if (input.isKeyCode) {
        if (input.value == KEY_F(4)) {
            return KeyEvent{Action::Close};
        }
        if (input.value == KEY_DOWN) {
            return KeyEvent{Action::OpenList};
        }
        // Alt with a cursor or function key means the key itself.
        return FromKeyCode(input.value);
    }
    if (input.value == kEsc) {
        return KeyEvent{Action::Cancel};
    }
    if (input.value == ' ') {
        return KeyEvent{Action::SystemMenu};
    }
    if (IsMnemonicKey(input.value)) {
        return KeyEvent{Action::Mnemonic, FoldKey(static_cast<char32_t>(input.value))};
    }
    // Alt with anything else has no meaning here.
    return std::nullopt;
}

std::optional<KeyEvent> KeyDecoder::Timeout() {
    if (!m_escape) {
        return std::nullopt;
    }
    m_escape = false;
    return KeyEvent{Action::Cancel};
}

}  // namespace frontend
