// Where the focus goes in a dialog: the controls that take it, the tab order with radio
// groups as one stop, and the control an access key leads to.
#pragma once

#include <vector>

#include "framework/model.h"

namespace frontend {

// A control that can hold the focus now (not a label, frame, icon or progress bar; enabled
// and visible).
bool TakesFocus(const afx::Window& control);

// The radio buttons of the group `control` belongs to, in template order; a group starts
// at a WS_GROUP control.
std::vector<afx::Window*> RadioGroup(const afx::Window& top, const afx::Window& control);

// The control that Tab (forward) or Shift+Tab moves the focus to from `from` (null: from
// the start), following the template order; radio groups are entered at their checked
// button. Null when no control takes the focus.
afx::Window* NextTabStop(const afx::Window& top, const afx::Window* from, bool forward);

// The control that an access key leads to: a button or check box itself; for a label, the
// control after it; for a group box, the first control inside its frame. Null for none.
afx::Window* MnemonicTarget(const afx::Window& top, char32_t key);

}  // namespace frontend
