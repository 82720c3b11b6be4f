// Owns the terminal while the program shows its dialogs: curses mode on start, the user's
// terminal back on every way out (normal end, exit(), a fatal signal).
#pragma once

namespace frontend {

class TerminalSession {
  public:
    // Enters curses mode when standard input and output are a terminal.
    TerminalSession();
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    bool active() const { return m_active; }
    // Leaves curses mode now; safe to call more than once.
    void End();

  private:
    bool m_active = false;
};

}  // namespace frontend
