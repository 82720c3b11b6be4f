#include "frontend/terminal/terminal_session.h"

#include <csignal>
#include <cstdlib>
#include <curses.h>
#include <unistd.h>

#include "frontend/terminal/text_width.h"

namespace frontend {

namespace {

// Signals after which the process ends: the terminal is restored first, then the earlier
// disposition (the default, or a sanitizer's report) runs.
constexpr int kFatalSignals[] = {SIGINT,  SIGTERM, SIGHUP, SIGQUIT, SIGABRT,
                                 SIGSEGV, SIGBUS,  SIGFPE, SIGILL};
struct sigaction g_previous[sizeof(kFatalSignals) / sizeof(kFatalSignals[0])];
volatile sig_atomic_t g_cursesOn = 0;

void RestoreTerminal() {
    if (g_cursesOn != 0) {
        g_cursesOn = 0;
        endwin();
    }
}

void OnFatalSignal(int signal) {
    RestoreTerminal();
    for (size_t i = 0; i < sizeof(kFatalSignals) / sizeof(kFatalSignals[0]); ++i) {
        if (kFatalSignals[i] == signal) {
            sigaction(signal, &g_previous[i], nullptr);
        }
    }
    raise(signal);
}

void InstallHandlers() {
    for (size_t i = 0; i < sizeof(kFatalSignals) / sizeof(kFatalSignals[0]); ++i) {
        struct sigaction action = {};
        action.sa_handler = OnFatalSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(kFatalSignals[i], &action, &g_previous[i]);
    }
}

void RemoveHandlers() {
    for (size_t i = 0; i < sizeof(kFatalSignals) / sizeof(kFatalSignals[0]); ++i) {
        sigaction(kFatalSignals[i], &g_previous[i], nullptr);
    }
}

}  // namespace

TerminalSession::TerminalSession() {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        return;
    }
    EnsureUtf8Locale();
    // A lone Esc must come through quickly; the key decoder waits for Esc+letter itself.
    set_escdelay(25);
    if (initscr() == nullptr) {
        return;
    }
    g_cursesOn = 1;
    m_active = true;
    InstallHandlers();
    static bool exitHook = false;
    if (!exitHook) {
        exitHook = true;
        std::atexit(RestoreTerminal);
    }
    raw();  // Ctrl+C arrives as a key, so it cannot end the program in the middle of an update
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    meta(stdscr, TRUE);
    mousemask(BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED | BUTTON4_PRESSED | BUTTON5_PRESSED,
              nullptr);
    mouseinterval(200);
}

TerminalSession::~TerminalSession() { End(); }

void TerminalSession::End() {
    if (!m_active) {
        return;
    }
    m_active = false;
    RemoveHandlers();
    RestoreTerminal();
}

}  // namespace frontend
