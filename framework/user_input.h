// What a person does to the window model. Frontends translate keys and clicks into these
// calls; the headless frontend calls them on behalf of a test. Every call runs on the
// user-interface thread and handles the resulting messages at once. Each returns false, and
// does nothing, when a person could not do it: the window is not the one on top, the control
// is disabled or hidden, of another kind, or the index is out of range.
#pragma once

#include "framework/model.h"

namespace afx::user {

// A push button: BN_CLICKED. A check box: toggles (automatic kinds) and BN_CLICKED. A radio
// button: checks it, clears the rest of its group (automatic kinds) and BN_CLICKED.
bool Click(Window& control);
// Chooses item `index` of a drop-down list or list box and notifies the dialog
// (CBN_SELCHANGE; LBN_SELCHANGE for list boxes with LBS_NOTIFY).
bool Select(Window& list, int index);
// Double-clicks item `index` of a list box (selects it first); -1 is the empty area below
// the items. Notifies LBN_DBLCLK when the list box has LBS_NOTIFY.
bool DoubleClick(Window& list, int index);
// Replaces the text of an edit control (EN_CHANGE).
bool Type(Window& edit, const CString& text);
// Moves the focus to a control that takes it.
bool Focus(Window& control);
// Enter: the focused push button, else the default button, else IDOK.
bool Enter(Window& top);
// Esc: IDCANCEL. In a message box: its Cancel answer, or OK for a box with only OK.
bool Escape(Window& top);
// Chooses a system menu item (WM_SYSCOMMAND). SC_CLOSE is the title bar's close button.
bool SysCommand(Window& top, UINT command);
// Answers the message box on top with one of its buttons (IDOK, IDYES, ...).
bool Answer(Window& box, int button);

}  // namespace afx::user
