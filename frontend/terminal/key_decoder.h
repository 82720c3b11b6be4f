// Turns what the terminal delivers (characters and curses key codes) into the commands of a
// dialog. Alt+letter arrives as Esc followed by the letter; so does a person's Esc and then a
// letter. A lone Esc is the cancel command once no letter follows within a short time.
#pragma once

#include <optional>

namespace frontend {

enum class Action {
    Next,    // Tab
    Prev,    // Shift+Tab
    Enter,   // the default (or focused) button
    Cancel,  // Esc
    Space,   // toggles check boxes, presses buttons
    Up,
    Down,
    Left,
    Right,
    PageUp,
    PageDown,
    Home,
    End,
    Backspace,
    Delete,
    Char,        // a printable character typed into a field or a list
    Mnemonic,    // Alt+letter: the control whose label marks that letter
    SystemMenu,  // Alt+Space, F10
    Close,       // Alt+F4: the window's close request
    OpenList,    // Alt+Down, F4: opens (or closes) a drop-down list
    Resize,
    Mouse,  // the caller reads the mouse event from the terminal
};

struct KeyEvent {
    Action action;
    char32_t ch = 0;  // Char: the character; Mnemonic: the letter in upper case
};

// One read from the terminal: a character, or a curses key code (KEY_UP, KEY_RESIZE ...);
// `alt` when the terminal reported the Alt key with it in one sequence.
struct KeyInput {
    bool isKeyCode;
    int value;
    bool alt = false;
};

class KeyDecoder {
  public:
    // How long to wait after a lone Esc for the letter of Esc+letter.
    static constexpr int kEscapeFollowMs = 300;

    std::optional<KeyEvent> Feed(const KeyInput& input);
    // Nothing arrived within kEscapeFollowMs of a pending Esc.
    std::optional<KeyEvent> Timeout();
    bool escapePending() const { return m_escape; }

  private:
    std::optional<KeyEvent> AfterEscape(const KeyInput& input);

    bool m_escape = false;
};

}  // namespace frontend
