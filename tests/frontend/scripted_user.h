// A frontend that plays a script instead of reading a terminal: each time the dialog waits
// for input, the next step runs on the user-interface thread, with the window on top. Steps
// press keys through the same input handler as the terminal, or look at the windows. The
// screen is drawn before every step, as the terminal does, so clicks find their targets.
#pragma once

#include <functional>
#include <vector>

#include "framework/frontend.h"
#include "framework/model.h"
#include "framework/user_input.h"
#include "frontend/terminal/canvas.h"
#include "frontend/terminal/input_handler.h"
#include "frontend/terminal/painter.h"
#include "frontend/terminal/text_width.h"

namespace frontend::testing {

class ScriptedUser : public afx::Frontend {
  public:
    using Step = std::function<void(afx::Window& top)>;

    ScriptedUser() { afx::SetFrontend(this); }
    ~ScriptedUser() override { afx::SetFrontend(nullptr); }

    void Then(Step step) { m_steps.push_back(std::move(step)); }
    void Press(Action action, char32_t ch = 0) {
        Then([this, action, ch](afx::Window& top) { m_input.Key(top, KeyEvent{action, ch}); });
    }
    void Type(const std::string& text) {
        for (size_t pos = 0; pos < text.size();) {
            const Glyph g = DecodeGlyph(text, pos);
            Press(Action::Char, g.code);
            pos += g.bytes;
        }
    }
    void Click(int row, int col, bool doubleClick = false) {
        Then([this, row, col, doubleClick](afx::Window& top) {
            m_input.Mouse(top, row, col, MouseButton::Left, doubleClick);
        });
    }
    bool Done() const { return m_next == m_steps.size(); }
    const Canvas& screen() const { return m_canvas; }
    ViewState& view() { return m_view; }

    void Opened(afx::Window&) override {}
    void Closed(afx::Window& window) override { m_view.Forget(window); }
    void Changed(afx::Window&) override {}
    void Wake() override {}
    void WaitForInput() override {
        afx::Window* top = afx::TopWindow();
        if (top == nullptr) {
            return;
        }
        PaintScreen(m_canvas, afx::ModalWindows(), m_view);
        if (m_next < m_steps.size()) {
            m_steps[m_next++](*top);
            return;
        }
        // The script is over: whatever is still open is cancelled, so no test hangs.
        if (!afx::user::Escape(*top) && !top->controls.empty()) {
            afx::user::Answer(*top, top->controls.back()->id);
        }
    }

  private:
    std::vector<Step> m_steps;
    size_t m_next = 0;
    Canvas m_canvas{30, 100};
    ViewState m_view;
    InputHandler m_input{m_view};
};

}  // namespace frontend::testing
