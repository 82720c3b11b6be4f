#include "framework/headless.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "framework/dialog.h"
#include "framework/user_input.h"
#include "framework/window_system.h"

namespace afx {
namespace {

// Only a hang takes this long: every step of the simulated machine is quick.
constexpr auto kStepLimit = std::chrono::seconds(300);
// How long WaitUntil waits for one posted message before it gives up.
constexpr auto kQuietLimit = std::chrono::seconds(60);

[[noreturn]] void Hung(const char* what) {
    std::fprintf(stderr, "headless user: the user interface did not wait for input again (%s)\n",
                 what);
    std::abort();
}

}  // namespace

HeadlessUser::HeadlessUser() : m_previous(GetFrontend()) { SetFrontend(this); }

HeadlessUser::~HeadlessUser() {
    // Close whatever the test left open, so the user-interface thread can finish.
    for (int round = 0; round < 100; ++round) {
        {
            std::unique_lock<std::mutex> lock(m_lock);
            if (!m_changed.wait_for(lock, kStepLimit, [this] { return m_turn != Turn::Ui; })) {
                Hung("closing what was left open");
            }
            if (m_turn == Turn::Finished || m_modal == nullptr || m_modal->empty()) break;
        }
        Window& top = TopMutable();
        Step(
            [&top] {
                if (top.kind == WindowKind::MessageBox) {
                    user::Answer(top, top.controls.back()->id);
                } else if (auto* dialog = dynamic_cast<CDialog*>(top.handler)) {
                    dialog->EndDialog(IDCANCEL);
                }
            },
            false);
    }
    if (!Finished()) Hung("closing what was left open");
    if (m_ui.joinable()) m_ui.join();
    SetFrontend(m_previous);
}

void HeadlessUser::StartThread(std::function<int()> ui) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_turn != Turn::Finished) throw HeadlessError("the user interface runs already");
        m_turn = Turn::Ui;
    }
    if (m_ui.joinable()) m_ui.join();
    m_ui = std::thread([this, ui = std::move(ui)] {
        int result = ui();
        std::lock_guard<std::mutex> guard(m_lock);
        m_result = result;
        m_modal = nullptr;
        m_turn = Turn::Finished;
        m_changed.notify_all();
    });
    std::unique_lock<std::mutex> lock(m_lock);
    if (!m_changed.wait_for(lock, kStepLimit, [this] { return m_turn != Turn::Ui; })) {
        Hung("start");
    }
}

bool HeadlessUser::Finished() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_turn == Turn::Finished;
}

int HeadlessUser::Result() const {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_turn != Turn::Finished) throw HeadlessError("the user interface has not finished");
    return m_result;
}

void HeadlessUser::RequireUserTurn() const {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_turn == Turn::Finished) throw HeadlessError("the user interface has finished");
    if (m_turn != Turn::User) throw HeadlessError("the user interface is busy");
}

// ---- The user-interface thread's side

void HeadlessUser::WaitForInput() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_modal = &ModalWindows();
    m_turn = Turn::User;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_turn == Turn::Ui; });
    if (m_action) {
        std::function<void()> action = std::move(m_action);
        m_action = nullptr;
        lock.unlock();
        action();
        return;
    }
    if (m_waitForMessage) {
        m_waitForMessage = false;
        m_changed.wait(lock, [this] { return !detail::QueueEmpty() || m_stopWaiting; });
        m_stopWaiting = false;
    }
}

void HeadlessUser::Wake() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_changed.notify_all();
}

// ---- The test's side

void HeadlessUser::Step(std::function<void()> action, bool waitForMessage) {
    RequireUserTurn();
    std::unique_lock<std::mutex> lock(m_lock);
    m_action = std::move(action);
    m_waitForMessage = waitForMessage;
    m_turn = Turn::Ui;
    m_changed.notify_all();
    auto notUi = [this] { return m_turn != Turn::Ui; };
    if (waitForMessage) {
        if (m_changed.wait_for(lock, kQuietLimit, notUi)) return;
        m_stopWaiting = true;  // nothing came: take the turn back and report it
        m_changed.notify_all();
    }
    if (!m_changed.wait_for(lock, kStepLimit, notUi)) Hung("a step");
    if (waitForMessage) throw HeadlessError("no message arrived");
}

void HeadlessUser::Act(const char* what, const std::function<bool()>& input) {
    // A refusal returns at once; accepted input may still run (its handler may have opened a
    // message box) when the user's turn comes back.
    auto refused = std::make_shared<bool>(false);
    Step(
        [input, refused] {
            if (!input()) *refused = true;
        },
        false);
    if (*refused) {
        throw HeadlessError(CString(what) + ": a person could not do this now");
    }
}

Window& HeadlessUser::TopMutable() const {
    RequireUserTurn();
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_modal == nullptr || m_modal->empty()) throw HeadlessError("no window is open");
    return *m_modal->back();
}

const Window& HeadlessUser::Top() const { return TopMutable(); }

size_t HeadlessUser::OpenWindows() const {
    RequireUserTurn();
    std::lock_guard<std::mutex> guard(m_lock);
    return m_modal == nullptr ? 0 : m_modal->size();
}

const Window& HeadlessUser::Dialog() const {
    RequireUserTurn();
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_modal != nullptr) {
        for (auto it = m_modal->rbegin(); it != m_modal->rend(); ++it) {
            if ((*it)->kind == WindowKind::Dialog) return **it;
        }
    }
    throw HeadlessError("no dialog is open");
}

bool HeadlessUser::BoxOpen() const {
    RequireUserTurn();
    std::lock_guard<std::mutex> guard(m_lock);
    return m_modal != nullptr && !m_modal->empty() &&
           m_modal->back()->kind == WindowKind::MessageBox;
}

const Window& HeadlessUser::Box() const {
    const Window& top = Top();
    if (top.kind != WindowKind::MessageBox) throw HeadlessError("no message box is open");
    return top;
}

const Window& HeadlessUser::Of(const CWnd& wnd) const {
    RequireUserTurn();
    Window* window = FindWindow(wnd.GetSafeHwnd());
    if (window == nullptr) throw HeadlessError("that window is not open");
    return *window;
}

Window& HeadlessUser::ControlMutable(int id) const {
    const Window& dialog = Dialog();
    Window* control = dialog.Control(id);
    if (control == nullptr) {
        throw HeadlessError("the dialog has no control " + std::to_string(id));
    }
    return *control;
}

const Window& HeadlessUser::Control(int id) const { return ControlMutable(id); }

// ---- Acting

void HeadlessUser::Click(int id) {
    Window& top = TopMutable();
    Window* control = top.Control(id);
    if (control == nullptr) throw HeadlessError("no control " + std::to_string(id) + " on top");
    Act("click", [control] { return user::Click(*control); });
}

void HeadlessUser::Select(int id, int index) {
    Window& list = ControlMutable(id);
    Act("select", [&list, index] { return user::Select(list, index); });
}

void HeadlessUser::Select(int id, const CString& itemText) {
    Window& list = ControlMutable(id);
    for (size_t i = 0; i < list.items.size(); ++i) {
        if (list.items[i].text == itemText) return Select(id, static_cast<int>(i));
    }
    throw HeadlessError("no item \"" + itemText + "\" in list " + std::to_string(id));
}

void HeadlessUser::DoubleClick(int id, int index) {
    Window& list = ControlMutable(id);
    Act("double-click", [&list, index] { return user::DoubleClick(list, index); });
}

void HeadlessUser::Type(int id, const CString& text) {
    Window& edit = ControlMutable(id);
    Act("type", [&edit, text] { return user::Type(edit, text); });
}

void HeadlessUser::Tick(int id, bool checked) {
    if ((Check(id) == BST_CHECKED) != checked) Click(id);
}

void HeadlessUser::Focus(int id) {
    Window& control = ControlMutable(id);
    Act("focus", [&control] { return user::Focus(control); });
}

void HeadlessUser::Enter() {
    Window& top = TopMutable();
    Act("Enter", [&top] { return user::Enter(top); });
}

void HeadlessUser::Escape() {
    Window& top = TopMutable();
    Act("Esc", [&top] { return user::Escape(top); });
}

void HeadlessUser::Close() { SysCommand(SC_CLOSE); }

void HeadlessUser::SysCommand(UINT command) {
    Window& top = TopMutable();
    Act("system menu", [&top, command] { return user::SysCommand(top, command); });
}

void HeadlessUser::Answer(int button) {
    Window& top = TopMutable();
    if (top.kind != WindowKind::MessageBox) throw HeadlessError("no message box is open");
    Act("answer", [&top, button] { return user::Answer(top, button); });
}

void HeadlessUser::Pump() { Step(nullptr, false); }

void HeadlessUser::WaitUntil(const std::function<bool()>& done, const char* what) {
    while (!done()) {
        if (Finished()) {
            throw HeadlessError(CString("the user interface finished before: ") + what);
        }
        try {
            Step(nullptr, true);
        } catch (const HeadlessError&) {
            throw HeadlessError(CString("nothing more arrived while waiting for: ") + what);
        }
    }
}

// ---- Reading

CString HeadlessUser::Caption() const { return Dialog().text; }
CString HeadlessUser::Text(int id) const { return Control(id).text; }
bool HeadlessUser::Enabled(int id) const { return Control(id).enabled; }
int HeadlessUser::Check(int id) const { return Control(id).check; }
std::vector<ListItem> HeadlessUser::Items(int id) const { return Control(id).items; }

std::vector<CString> HeadlessUser::ItemTexts(int id) const {
    std::vector<CString> texts;
    for (const ListItem& item : Control(id).items) texts.push_back(item.text);
    return texts;
}

int HeadlessUser::Selection(int id) const { return Control(id).curSel; }

CString HeadlessUser::SelectedText(int id) const {
    const Window& list = Control(id);
    if (list.curSel < 0 || static_cast<size_t>(list.curSel) >= list.items.size()) return "";
    return list.items[list.curSel].text;
}

ProgressState HeadlessUser::Progress(int id) const {
    const Window& bar = Control(id);
    return ProgressState{bar.lower, bar.upper, bar.pos};
}

std::vector<MenuItem> HeadlessUser::SystemMenu() const { return Dialog().systemMenu; }

}  // namespace afx
