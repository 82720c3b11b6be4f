// Hand-made windows of the model for drawing tests: a dialog of a given size in dialog
// units and controls placed in it, without running a dialog.
#pragma once

#include <memory>
#include <string>

#include "framework/model.h"

namespace frontend::testing {

class WindowBuilder {
  public:
    WindowBuilder(const std::string& caption, int cx, int cy, bool systemMenu = true)
        : m_dialog(std::make_unique<afx::Window>()) {
        m_dialog->kind = afx::WindowKind::Dialog;
        m_dialog->text = caption;
        m_dialog->rect = {0, 0, cx, cy};
        m_dialog->hasSystemMenu = systemMenu;
    }

    afx::Window& Add(afx::WindowKind kind, int id, const std::string& text, DWORD style,
                     afx::DialogRect rect) {
        auto control = std::make_unique<afx::Window>();
        control->kind = kind;
        control->id = id;
        control->text = text;
        control->style = WS_CHILD | WS_VISIBLE | style;
        control->rect = rect;
        control->parent = m_dialog.get();
        m_dialog->controls.push_back(std::move(control));
        return *m_dialog->controls.back();
    }

    afx::Window& dialog() { return *m_dialog; }

  private:
    std::unique_ptr<afx::Window> m_dialog;
};

}  // namespace frontend::testing
