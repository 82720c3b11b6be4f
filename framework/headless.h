// A frontend without a screen: a test acts as the user of the program's windows.
//
// The user interface runs on a thread of its own; the test thread takes turns with it. Every
// call below returns once the user interface waits for input again (all messages posted so
// far handled) or has finished, so the test reads the windows while nothing changes them:
//
//     CMyDlg dlg;                  // declared first: it outlives the user interface
//     afx::HeadlessUser user;
//     user.Start([&] { return dlg.DoModal(); });
//     user.Select(IDC_LIST, "second");
//     user.Click(IDC_START);
//     EXPECT_EQ(user.Box().message, "Start?");
//     user.Answer(IDYES);
//     user.WaitUntil([&] { return user.Text(IDC_STATUS) == "Done."; });
//     user.Escape();
//     EXPECT_EQ(user.Result(), IDCANCEL);
//
// Misuse (acting on a disabled control, answering when no message box is open, waiting for
// something that never comes) throws HeadlessError, which fails the test; the destructor then
// closes whatever is still open. Objects that the user interface uses (dialogs, the
// application) must be declared before the HeadlessUser, so that they outlive it.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <type_traits>

#include "framework/frontend.h"
#include "framework/model.h"

class CWnd;

namespace afx {

class HeadlessError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ProgressState {
    int lower = 0, upper = 0, pos = 0;
};

class HeadlessUser : private Frontend {
  public:
    // Installs itself as the process's frontend.
    HeadlessUser();
    // Closes what is still open (message boxes answered with their last button, dialogs
    // ended with IDCANCEL), waits for the user interface to finish, uninstalls itself.
    ~HeadlessUser() override;
    HeadlessUser(const HeadlessUser&) = delete;
    HeadlessUser& operator=(const HeadlessUser&) = delete;

    // Runs `ui` (typically a DoModal or AfxRunApp) on a new user-interface thread; returns
    // when it waits for input or has finished. Its int result, if any, is Result().
    template <class F>
    void Start(F ui) {
        if constexpr (std::is_void_v<std::invoke_result_t<F>>) {
            StartThread([ui]() mutable {
                ui();
                return 0;
            });
        } else {
            StartThread([ui]() mutable { return static_cast<int>(ui()); });
        }
    }
    bool Finished() const;
    int Result() const;  // throws while the user interface still runs

    // What is on the screen.
    size_t OpenWindows() const;               // dialogs and message boxes, nested
    const Window& Top() const;                // the window on top
    const Window& Dialog() const;             // the topmost dialog (under any message box)
    bool BoxOpen() const;                     // whether the window on top is a message box
    const Window& Box() const;                // the message box on top
    const Window& Of(const CWnd& wnd) const;  // any open window or control by its object

    // Acting on the window on top, as a person would.
    void Click(int id);
    void Select(int id, int index);
    void Select(int id, const CString& itemText);
    void DoubleClick(int id, int index);
    void Type(int id, const CString& text);
    void Tick(int id, bool checked);  // clicks a check box when its state differs
    void Focus(int id);               // as with Tab or a mnemonic
    void Enter();
    void Escape();
    void Close();                   // the title bar's close button
    void SysCommand(UINT command);  // a system menu item
    void Answer(int button);        // the message box on top

    // Lets the user interface handle what has been posted meanwhile.
    void Pump();
    // Lets the user interface handle posted messages, one wake-up at a time, until `done`
    // holds (checked between them, while the user interface waits). Throws when the user
    // interface finishes first or nothing arrives for a long time.
    void WaitUntil(const std::function<bool()>& done, const char* what = "condition");

    // Reading the controls of the topmost dialog.
    const Window& Control(int id) const;
    CString Caption() const;
    CString Text(int id) const;
    bool Enabled(int id) const;
    int Check(int id) const;
    std::vector<ListItem> Items(int id) const;
    std::vector<CString> ItemTexts(int id) const;
    int Selection(int id) const;
    CString SelectedText(int id) const;  // empty when nothing is selected
    ProgressState Progress(int id) const;
    std::vector<MenuItem> SystemMenu() const;

  private:
    enum class Turn { Ui, User, Finished };

    void StartThread(std::function<int()> ui);
    // Hands one step to the user-interface thread and waits until it is the user's turn.
    void Step(std::function<void()> action, bool waitForMessage);
    void Act(const char* what, const std::function<bool()>& input);
    void RequireUserTurn() const;
    Window& TopMutable() const;
    Window& ControlMutable(int id) const;

    // Frontend, on the user-interface thread.
    void Opened(Window&) override {}
    void Closed(Window&) override {}
    void Changed(Window&) override {}
    void WaitForInput() override;
    void Wake() override;

    Frontend* m_previous;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    Turn m_turn = Turn::Finished;
    std::function<void()> m_action;  // the step the user handed over
    bool m_waitForMessage = false;
    bool m_stopWaiting = false;
    bool m_posted = false;
    int m_result = 0;
    const std::vector<Window*>* m_modal = nullptr;  // the user-interface thread's windows
    std::thread m_ui;
};

}  // namespace afx
