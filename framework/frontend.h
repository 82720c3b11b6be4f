// The seam between the window model and whatever shows it to a person: the terminal
// frontend, or the headless frontend of the tests (framework/headless.h).
//
// A frontend is told when a dialog or message box opens or closes and when something
// visible changes; all of these calls come on the user-interface thread. When that thread's
// message queue is empty, a modal loop asks the frontend for input: WaitForInput blocks until
// it has fed one piece of user input into the model (afx::user, framework/user_input.h) or
// until Wake is called because a message was posted.
#pragma once

namespace afx {

class Window;

class Frontend {
  public:
    virtual ~Frontend() = default;

    // A dialog or message box came on top (it is ModalWindows().back()).
    virtual void Opened(Window& window) = 0;
    // It went away; the window is still readable during the call.
    virtual void Closed(Window& window) = 0;
    // Something visible changed in a top-level window or one of its controls.
    virtual void Changed(Window& window) = 0;
    // User-interface thread, queue empty: block until one piece of input has been handled
    // or Wake has been called. Returning without either is allowed (the loop asks again).
    virtual void WaitForInput() = 0;
    // Any thread: a message was posted. Must not wait for the user-interface thread.
    virtual void Wake() = 0;
};

// The frontend of the process; null for none. Without a frontend a modal loop only waits
// for posted messages.
void SetFrontend(Frontend* frontend);
Frontend* GetFrontend();

}  // namespace afx
