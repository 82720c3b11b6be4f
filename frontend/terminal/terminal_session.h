// Owns the terminal while the program shows its dialogs: curses mode on start, the user's
// terminal back on every way out (normal end, exit(), a signal). A request to stop
// (SIGINT, SIGTERM, SIGHUP) is only noted, for the frontend to close the windows the way
// Esc does; a second one, or a crash, ends the program at once.
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

    // A file descriptor to write a byte to when a request to stop arrives.
    static void WakeOnStop(int fd);
    // The signal of the request to stop, 0 while there was none.
    static int StopSignal();

  private:
    bool m_active = false;
};

}  // namespace frontend
