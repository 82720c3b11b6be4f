// The person's view of the program: shows the open dialogs and message boxes of the window
// model in the terminal and feeds keys and mouse clicks back into it.
#pragma once

#include <chrono>

#include "framework/frontend.h"
#include "frontend/terminal/input_handler.h"
#include "frontend/terminal/key_decoder.h"
#include "frontend/terminal/terminal_session.h"
#include "frontend/terminal/view_state.h"

namespace frontend {

class TerminalFrontend : public afx::Frontend {
  public:
    // Takes over the terminal (curses mode) until destroyed.
    TerminalFrontend();
    ~TerminalFrontend() override;
    TerminalFrontend(const TerminalFrontend&) = delete;
    TerminalFrontend& operator=(const TerminalFrontend&) = delete;

    // False when there is no terminal to show the dialogs on.
    bool usable() const { return m_session.active(); }
    // The signal that asked the program to stop (its windows were then closed the way Esc
    // closes them), or 0.
    int stopSignal() const { return TerminalSession::StopSignal(); }

    void Opened(afx::Window& window) override;
    void Closed(afx::Window& window) override;
    void Changed(afx::Window& window) override;
    void WaitForInput() override;
    void Wake() override;

  private:
    void Render();
    void Handle(const KeyEvent& key);
    void HandleMouse(const MouseReport& mouse);
    // Input has ended (the terminal went away): close windows the way Esc does.
    void InputLost();

    TerminalSession m_session;
    int m_wake[2] = {-1, -1};
    KeyDecoder m_decoder;
    std::chrono::steady_clock::time_point m_escapeAt;
    ViewState m_view;
    InputHandler m_input{m_view};
    bool m_dirty = true;
    bool m_inputLost = false;

    static constexpr int kDoubleClickMs = 400;
    struct Click {
        bool valid = false;
        int row = 0, col = 0;
        std::chrono::steady_clock::time_point at;
    } m_lastClick;
};

}  // namespace frontend
