#include "frontend/terminal/key_decoder.h"

#include <curses.h>

#include <cstdio>

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

// "button;column;row" with M (pressed) or m (released).
std::optional<KeyEvent> MouseReportOf(const std::string& params, int final) {
    if (final != 'M' && final != 'm') {
        return std::nullopt;
    }
    int button = -1, col = -1, row = -1;
    char tail = 0;
    if (std::sscanf(params.c_str(), "%d;%d;%d%c", &button, &col, &row, &tail) != 3 || button < 0 ||
        col < 1 || row < 1) {
        return std::nullopt;
    }
    KeyEvent event{Action::Mouse};
    event.mouse = {button, col - 1, row - 1, final == 'M'};
    return event;
}

bool IsMnemonicKey(int ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
}

}  // namespace

std::optional<KeyEvent> KeyDecoder::Feed(const KeyInput& input) {
    if (input.alt) {
        m_state = State::Idle;
        return AfterEscape(input);
    }
    switch (m_state) {
        case State::Escape:
            m_state = State::Idle;
            return AfterEscape(input);
        case State::Csi:
        case State::Mouse:
            return InSequence(input);
        case State::Idle:
            break;
    }
    if (!input.isKeyCode && input.value == kEsc) {
        m_state = State::Escape;
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
    if (input.value == '[') {
        m_state = State::Csi;
        return std::nullopt;
    }
    if (IsMnemonicKey(input.value)) {
        return KeyEvent{Action::Mnemonic, FoldKey(static_cast<char32_t>(input.value))};
    }
    // Alt with anything else has no meaning here.
    return std::nullopt;
}

std::optional<KeyEvent> KeyDecoder::InSequence(const KeyInput& input) {
    // A control sequence: parameter and intermediate bytes, then one final byte. Curses has
    // decoded the sequences its terminal description knows; what gets here is a mouse
    // report, a key with modifiers the description lacks, or something to drop whole, so
    // that none of its bytes is taken for typing.
    const int ch = input.isKeyCode ? -1 : input.value;
    if (m_state == State::Csi && m_params.empty() && ch == '<') {
        m_state = State::Mouse;
        return std::nullopt;
    }
    if (ch >= 0x20 && ch <= 0x3F) {
        if (m_params.size() < 24) {
            m_params += static_cast<char>(ch);
        }
        return std::nullopt;
    }
    const State state = m_state;
    m_state = State::Idle;
    const std::string params = m_params;
    m_params.clear();
    if (ch < 0x40 || ch > 0x7E || params.size() >= 24) {
        return std::nullopt;
    }
    if (state == State::Mouse) {
        return MouseReportOf(params, ch);
    }
    // Keys with Alt (modifier 3) that curses did not know.
    if (params == "1;3" && ch == 'B') {
        return KeyEvent{Action::OpenList};
    }
    if (params == "1;3" && ch == 'A') {
        return KeyEvent{Action::Up};
    }
    if (params == "1;3" && ch == 'S') {
        return KeyEvent{Action::Close};
    }
    return std::nullopt;
}

std::optional<KeyEvent> KeyDecoder::Timeout() {
    const State state = m_state;
    m_state = State::Idle;
    if (state != State::Escape) {
        return std::nullopt;
    }
    return KeyEvent{Action::Cancel};
}

}  // namespace frontend
