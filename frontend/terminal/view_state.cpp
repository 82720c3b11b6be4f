#include "frontend/terminal/view_state.h"

#include "framework/model.h"

namespace frontend {

void ViewState::Forget(const afx::Window& window) {
    for (const auto& control : window.controls) {
        controls.erase(control.get());
    }
    controls.erase(&window);
    if (popup.open() && (popup.owner == &window || popup.owner->parent == &window)) {
        popup = Popup{};
    }
    hits.clear();
}

const Hit* ViewState::HitAt(int row, int col) const {
    for (auto it = hits.rbegin(); it != hits.rend(); ++it) {
        if (it->rect.Contains(row, col)) {
            return &*it;
        }
    }
    return nullptr;
}

}  // namespace frontend
