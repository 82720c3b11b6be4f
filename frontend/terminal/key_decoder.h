// Turns what the terminal delivers (characters and curses key codes) into the commands of a
// dialog. Alt+letter arrives as Esc followed by the letter; so does a person's Esc and then a
// letter. A lone Esc is the cancel command once no letter follows within a short time.
// Mouse reports come as xterm's SGR sequences (Esc [ < button ; column ; row M or m).
#pragma once

#include <optional>
#include <string>

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
    Mouse,  // a button pressed or released, or the wheel turned
};

struct MouseReport {
    int button = 0;  // 0 left, 1 middle, 2 right; 64 wheel up, 65 wheel down; +4/8/16 keys
    int col = 0;     // the cell, from 0
    int row = 0;
    bool press = true;  // false: released
};

struct KeyEvent {
    Action action;
    char32_t ch = 0;  // Char: the character; Mnemonic: the letter in upper case
    MouseReport mouse = {};
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
    static constexpr int kEscapeFollowMs = 500;

    std::optional<KeyEvent> Feed(const KeyInput& input);
    // Nothing arrived within kEscapeFollowMs of a pending Esc (or of an unfinished sequence,
    // which is then dropped).
    std::optional<KeyEvent> Timeout();
    bool escapePending() const { return m_state != State::Idle; }

  private:
    enum class State { Idle, Escape, Csi, Mouse };

    std::optional<KeyEvent> AfterEscape(const KeyInput& input);
    std::optional<KeyEvent> InSequence(const KeyInput& input);

    State m_state = State::Idle;
    std::string m_params;  // of the control sequence being read
};

}  // namespace frontend
