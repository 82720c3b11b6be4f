#include "frontend/terminal/terminal_frontend.h"

#include <cerrno>
#include <curses.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <string>

#include "framework/model.h"
#include "framework/user_input.h"
#include "frontend/terminal/canvas.h"
#include "frontend/terminal/painter.h"
#include "frontend/terminal/text_width.h"

namespace frontend {

namespace {

attr_t CursesAttr(uint8_t attr) {
    attr_t out = A_NORMAL;
    if (attr & kAttrBold) out |= A_BOLD;
    if (attr & kAttrReverse) out |= A_REVERSE;
    if (attr & kAttrUnderline) out |= A_UNDERLINE;
    if (attr & kAttrDim) out |= A_DIM;
    return out;
}

void Blit(const Canvas& canvas) {
    for (int r = 0; r < canvas.rows(); ++r) {
        for (int c = 0; c < canvas.cols(); ++c) {
            const Cell& cell = canvas.at(r, c);
            if (cell.continuation) {
                continue;
            }
            // A cell holds a character and at most a few combining marks after it.
            wchar_t wide[CCHARW_MAX + 1] = {};
            size_t count = 0;
            for (size_t pos = 0; pos < cell.glyph.size() && count < CCHARW_MAX;) {
                const Glyph g = DecodeGlyph(cell.glyph, pos);
                wide[count++] = static_cast<wchar_t>(g.code);
                pos += g.bytes;
            }
            if (count == 0) {
                wide[0] = L' ';
            }
            cchar_t ch;
            if (setcchar(&ch, wide, CursesAttr(cell.attr), 0, nullptr) != OK) {
                const wchar_t mark[] = {L'?', L'\0'};
                setcchar(&ch, mark, CursesAttr(cell.attr), 0, nullptr);
            }
            mvadd_wch(r, c, &ch);
        }
    }
}

// What curses read, with the Alt key of xterm-style sequences (Alt+F4 as F52, Alt+Down
// as the extended key kDN3) taken apart.
KeyInput FromCurses(int got, wint_t wch) {
    const int value = static_cast<int>(wch);
    if (got != KEY_CODE_YES) {
        return {false, value};
    }
    if (value == KEY_F(52)) {
        return {true, KEY_F(4), true};
    }
    if (value > KEY_MAX) {
        const char* name = keyname(value);
        const std::string key = name != nullptr ? name : "";
        if (key == "kDN3") return {true, KEY_DOWN, true};
        if (key == "kUP3") return {true, KEY_UP, true};
    }
    return {true, value};
}

}  // namespace

TerminalFrontend::TerminalFrontend() {
    if (pipe(m_wake) == 0) {
        for (int fd : m_wake) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        TerminalSession::WakeOnStop(m_wake[1]);
    }
}

TerminalFrontend::~TerminalFrontend() {
    TerminalSession::WakeOnStop(-1);
    m_session.End();
    for (int fd : m_wake) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void TerminalFrontend::Opened(afx::Window&) {
    m_view.popup = Popup{};
    m_dirty = true;
}

void TerminalFrontend::Closed(afx::Window& window) {
    m_view.Forget(window);
    m_dirty = true;
    // The last window gone: nothing is shown while the program finishes (it may still wait
    // for an update to end).
    const auto& open = afx::ModalWindows();
    const bool last = open.empty() || (open.size() == 1 && open.back() == &window);
    if (last && m_session.active()) {
        erase();
        curs_set(0);
        refresh();
    }
}

void TerminalFrontend::Changed(afx::Window&) { m_dirty = true; }

void TerminalFrontend::Wake() {
    if (m_wake[1] >= 0) {
        const char byte = 1;
        // A full pipe already holds a wake-up; nothing is lost by dropping this one.
        [[maybe_unused]] const ssize_t ignored = write(m_wake[1], &byte, 1);
    }
}

void TerminalFrontend::Render() {
    m_dirty = false;
    if (!m_session.active()) {
        return;
    }
    int rows = 0, cols = 0;
    getmaxyx(stdscr, rows, cols);
    Canvas canvas(rows, cols);
    PaintScreen(canvas, afx::ModalWindows(), m_view);
    Blit(canvas);
    if (m_view.cursorRow >= 0 && m_view.cursorRow < rows && m_view.cursorCol >= 0 &&
        m_view.cursorCol < cols) {
        curs_set(1);
        move(m_view.cursorRow, m_view.cursorCol);
    } else {
        curs_set(0);
    }
    refresh();
}

void TerminalFrontend::Handle(const KeyEvent& key) {
    m_dirty = true;
    if (key.action == Action::Resize) {
        return;  // the next drawing takes the new size
    }
    if (key.action == Action::Mouse) {
        HandleMouse(key.mouse);
        return;
    }
    if (afx::Window* top = afx::TopWindow()) {
        m_input.Key(*top, key);
    }
}

void TerminalFrontend::HandleMouse(const MouseReport& mouse) {
    afx::Window* top = afx::TopWindow();
    if (top == nullptr || !mouse.press || (mouse.button & 32) != 0) {
        return;  // releases and drags do nothing
    }
    const int button = mouse.button & ~(4 | 8 | 16);
    if (button == 64 || button == 65) {
        m_input.Mouse(*top, mouse.row, mouse.col,
                      button == 64 ? MouseButton::WheelUp : MouseButton::WheelDown, false);
        return;
    }
    if (button != 0) {
        return;
    }
    // A second press on the same cell soon after the first is a double click.
    const auto now = std::chrono::steady_clock::now();
    const bool doubleClick = m_lastClick.valid && m_lastClick.row == mouse.row &&
                             m_lastClick.col == mouse.col &&
                             now - m_lastClick.at <= std::chrono::milliseconds(kDoubleClickMs);
    m_lastClick = {!doubleClick, mouse.row, mouse.col, now};
    m_input.Mouse(*top, mouse.row, mouse.col, MouseButton::Left, doubleClick);
}

void TerminalFrontend::InputLost() {
    afx::Window* top = afx::TopWindow();
    if (top == nullptr) {
        return;
    }
    // Esc, which a Yes/No box does not take: that one gets its last answer (No).
    if (!afx::user::Escape(*top) && top->kind == afx::WindowKind::MessageBox &&
        !top->controls.empty()) {
        afx::user::Answer(*top, top->controls.back()->id);
    }
}

void TerminalFrontend::WaitForInput() {
    if (TerminalSession::StopSignal() != 0) {
        m_inputLost = true;  // asked to stop: no more input is taken
    }
    if (m_dirty) {
        Render();
    }
    if (!m_session.active() || m_inputLost) {
        // No one can answer: end what is open the way Esc does, and wait for postings
        // (a little at a time, so a window that will not close costs no processor time).
        if (m_inputLost) {
            InputLost();
        }
        pollfd fd{m_wake[0], POLLIN, 0};
        poll(&fd, 1, m_inputLost ? 100 : -1);
        char drain[64];
        while (read(m_wake[0], drain, sizeof drain) > 0) {
        }
        return;
    }
    int idleReads = 0;
    for (;;) {
        wint_t wch = 0;
        const int got = wget_wch(stdscr, &wch);
        if (got != ERR) {
            idleReads = 0;
            if (const auto key = m_decoder.Feed(FromCurses(got, wch))) {
                Handle(*key);
                return;
            }
            if (m_decoder.escapePending()) {
                m_escapeAt = std::chrono::steady_clock::now();
            }
            continue;
        }
        int timeout = -1;
        if (m_decoder.escapePending()) {
            const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - m_escapeAt)
                                    .count();
            if (waited >= KeyDecoder::kEscapeFollowMs) {
                // A lone Esc cancels; an unfinished sequence is dropped.
                if (const auto key = m_decoder.Timeout()) {
                    Handle(*key);
                }
                return;
            }
            timeout = KeyDecoder::kEscapeFollowMs - static_cast<int>(waited);
        }
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const int ready = poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;  // a resize: curses reports it as a key
            }
            m_inputLost = true;
            return;
        }
        if (fds[1].revents & POLLIN) {
            char drain[64];
            while (read(m_wake[0], drain, sizeof drain) > 0) {
            }
            return;
        }
        // A terminal that hangs up, or keeps reporting input that never comes (end of
        // file), has gone away.
        const bool hungUp = (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        if (hungUp || ((fds[0].revents & POLLIN) != 0 && ++idleReads > 1000)) {
            m_inputLost = true;
            return;
        }
    }
}

}  // namespace frontend
