#include "frontend/terminal/terminal_session.h"

#include <csignal>
#include <cstdlib>
#include <curses.h>
#include <unistd.h>

#include "frontend/terminal/text_width.h"

namespace frontend {

namespace {

// Requests to stop (interrupt, terminate, the terminal hanging up) are taken like Esc on
// every open window, so an update under way is finished first and no drive is left in
// its write mode; a second request ends the program at once. After a crash the process
// ends: the terminal is restored first, then the earlier disposition (the default, or a
// sanitizer's report) runs.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kFatalSignals[] = {SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr size_t kStopCount = sizeof kStopSignals / sizeof kStopSignals[0];
constexpr size_t kHandledCount = kStopCount + sizeof kFatalSignals / sizeof kFatalSignals[0];
struct sigaction g_previous[kHandledCount];
volatile sig_atomic_t g_stopSignal = 0;
volatile sig_atomic_t g_wakeFd = -1;
volatile sig_atomic_t g_cursesOn = 0;

// Mouse reports as xterm's SGR sequences, read by the key decoder itself: the curses
// library and the terminal description do not always agree on the format.
const char kMouseOn[] = "\033[?1000h\033[?1006h";
const char kMouseOff[] = "\033[?1006l\033[?1000l";

void WriteTerminal(const char* text, size_t size) {
    // write() alone, so this also serves the signal handlers.
    [[maybe_unused]] const ssize_t ignored = write(STDOUT_FILENO, text, size);
}

void RestoreTerminal() {
    if (g_cursesOn != 0) {
        g_cursesOn = 0;
        WriteTerminal(kMouseOff, sizeof kMouseOff - 1);
        endwin();
    }
}

int HandledSignal(size_t i) {
    return i < kStopCount ? kStopSignals[i] : kFatalSignals[i - kStopCount];
}

void OnFatalSignal(int signal) {
    RestoreTerminal();
    for (size_t i = 0; i < kHandledCount; ++i) {
        if (HandledSignal(i) == signal) {
            sigaction(signal, &g_previous[i], nullptr);
        }
    }
    raise(signal);
}

void OnStopSignal(int signal) {
    if (g_stopSignal != 0) {
        OnFatalSignal(signal);
        return;
    }
    g_stopSignal = signal;
    if (g_wakeFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = write(g_wakeFd, &byte, 1);
    }
}

void InstallHandlers() {
    for (size_t i = 0; i < kHandledCount; ++i) {
        struct sigaction action = {};
        action.sa_handler = i < kStopCount ? OnStopSignal : OnFatalSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = i < kStopCount ? SA_RESTART : SA_RESETHAND;
        sigaction(HandledSignal(i), &action, &g_previous[i]);
    }
}

void RemoveHandlers() {
    for (size_t i = 0; i < kHandledCount; ++i) {
        sigaction(HandledSignal(i), &g_previous[i], nullptr);
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
    // Ours first, so curses keeps its own hands off these signals and ours pass them on to
    // whatever handled them before (the default, or a sanitizer).
    InstallHandlers();
    if (initscr() == nullptr) {
        RemoveHandlers();
        return;
    }
    g_cursesOn = 1;
    m_active = true;
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
    refresh();  // curses's own start-up output first
    WriteTerminal(kMouseOn, sizeof kMouseOn - 1);
}

TerminalSession::~TerminalSession() { End(); }

void TerminalSession::WakeOnStop(int fd) { g_wakeFd = fd; }

int TerminalSession::StopSignal() { return g_stopSignal; }

void TerminalSession::End() {
    if (!m_active) {
        return;
    }
    m_active = false;
    RemoveHandlers();
    RestoreTerminal();
}

}  // namespace frontend
