// The update dialog on a simulated machine whose update worker the test can hold, with a test
// acting as its user and a record of what the window showed after each of the worker's events.
#pragma once

#include <string>
#include <vector>

#include "app/updater_dlg.h"
#include "engine/update_event.h"
#include "engine/update_job.h"
#include "framework/headless.h"
#include "tests/app/world.h"
#include "tests/app/holding_machine.h"

namespace apptest {

// One supported drive and one image that fits it: the dialog comes up idle, Start enabled.
inline std::string OneDriveWithImage(World& world) {
    world.AddImage({"fw.bin"});
    return World::Drive("cd", 0, 2, 0);
}

// What the window showed once it had handled one WM_UPDATE_EVENT.
struct Shown {
    int code;
    int value;
    int position;
    CString status;
    bool operator==(const Shown& o) const {
        return code == o.code && value == o.value && position == o.position && status == o.status;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << "{" << s.code << "," << s.value << " -> " << s.position << " \"" << s.status
               << "\"}";
}

// Posted by a test to minimise the window, as the system may do to any window.
constexpr UINT kMinimiseMessage = WM_USER + 1;

// The real dialog; it only notes what it shows after each event of the worker.
class RecordingUpdaterDlg : public CUpdaterDlg {
  public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kMinimiseMessage) {
            ShowWindow(SW_MINIMIZE);
            return 0;
        }
        const LRESULT result = CUpdaterDlg::WindowProc(message, wParam, lParam);
        if (message == WM_UPDATE_EVENT) {
            CString status;
            m_status.GetWindowText(status);
            shown.push_back(
                {static_cast<int>(wParam), static_cast<int>(lParam), m_progress.GetPos(), status});
        }
        return result;
    }

    bool Busy() const { return m_busy == 1; }
    size_t ImageCount() const { return m_images.size(); }
    const CUpdateThread* Worker() const { return m_worker; }

    std::vector<Shown> shown;
};

class UpdaterRig {
  public:
    UpdaterRig(World& world, const std::string& machineBody, int platform = 2)
        : machine(world.Machine(machineBody, platform), platform != 1) {
        App();
        g_updateJob.cancel.store(0);
        user.Start([this] { return dlg.DoModal(); });
    }

    ::testing::AssertionResult Idle() const {
        if (user.Finished()) return ::testing::AssertionFailure() << "the dialog has ended";
        if (user.BoxOpen()) {
            return ::testing::AssertionFailure() << "message: " << user.Box().message;
        }
        return ::testing::AssertionSuccess();
    }

    // Start, confirmed with Yes.
    void Start() {
        user.Click(IDC_START);
        ASSERT_TRUE(user.BoxOpen());
        user.Answer(IDYES);
    }
    // Start, with the worker held at its first pause between two polls of the drive, and
    // every event posted until then handled. `openWhen` may let it go by itself.
    void StartAndHold(std::function<bool()> openWhen = nullptr) {
        machine.holder().HoldNextSleep(std::move(openWhen));
        Start();
        ASSERT_TRUE(machine.holder().WaitUntilHeld());
        user.Pump();
    }
    void WaitForBox() {
        user.WaitUntil([this] { return user.BoxOpen(); }, "a message box");
    }

    // Plays the update worker: posts one event to the dialog and lets it handle it.
    void Post(int code, int value = 0) {
        PostMessageA(dlg.GetSafeHwnd(), WM_UPDATE_EVENT, static_cast<WPARAM>(code), value);
        user.Pump();
    }

    CString Status() const { return user.Text(IDC_STATUS); }
    int Position() const { return user.Progress(IDC_PROGRESS).pos; }

    HoldingMachineScope machine;
    RecordingUpdaterDlg dlg;
    afx::HeadlessUser user;
};

}  // namespace apptest
