// Turns keys and mouse clicks into what a person does to the window on top (afx::user):
// focus moves in tab order, buttons are pressed, lists and radio groups follow the arrows,
// edit fields take text, drop-down lists and the system menu open as pop-ups.
#pragma once

#include "frontend/terminal/focus_order.h"
#include "frontend/terminal/key_decoder.h"
#include "frontend/terminal/view_state.h"

namespace afx {
class Window;
}

namespace frontend {

enum class MouseButton { Left, WheelUp, WheelDown };

class InputHandler {
  public:
    explicit InputHandler(ViewState& view) : m_view(view) {}

    // `top` is the window that takes input (afx::TopWindow()).
    void Key(afx::Window& top, const KeyEvent& key);
    // A click at a screen cell; the last drawing tells what is there.
    void Mouse(afx::Window& top, int row, int col, MouseButton button, bool doubleClick);

  private:
    void DialogKey(afx::Window& top, const KeyEvent& key);
    void DropDownKey(afx::Window& top, const KeyEvent& key);
    void SystemMenuKey(afx::Window& top, const KeyEvent& key);
    void EditKey(afx::Window& edit, const KeyEvent& key);
    bool ListKey(afx::Window& list, const KeyEvent& key);
    void Press(afx::Window& top, afx::Window& control);
    void Mnemonic(afx::Window& top, char32_t key);
    void MoveFocus(afx::Window& top, bool forward);
    void Focus(afx::Window& control);
    void OpenDropDown(afx::Window& combo);
    void OpenSystemMenu(afx::Window& top);
    void ChooseMenuItem(afx::Window& top, int index);
    void ClosePopup() { m_view.popup = Popup{}; }

    ViewState& m_view;
};

}  // namespace frontend
