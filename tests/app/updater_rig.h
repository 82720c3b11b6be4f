// The update dialog running on a simulated machine, with a test acting as its user.
#pragma once

#include <string>

#include "app/updater_dlg.h"
#include "engine/update_event.h"
#include "framework/headless.h"
#include "tests/app/world.h"

namespace apptest {

// One supported drive and one image that fits it: the dialog comes up idle, Start enabled.
inline std::string OneDriveWithImage(World& world) {
    world.AddImage({"fw.bin"});
    return World::Drive("cd", 0, 2, 0);
}

class UpdaterRig {
  public:
    UpdaterRig(World& world, const std::string& machineBody, int platform = 2)
        : sim(world.Machine(machineBody, platform)) {
        App();
        user.Start([this] { return dlg.DoModal(); });
    }

    // Plays the update worker: posts one event to the dialog and lets it handle it.
    void Post(int code, int value = 0) {
        PostMessageA(dlg.GetSafeHwnd(), WM_UPDATE_EVENT, static_cast<WPARAM>(code), value);
        user.Pump();
    }
    // Whether the dialog came up and waits for the user, with no message on top.
    ::testing::AssertionResult Idle() const {
        if (user.Finished()) return ::testing::AssertionFailure() << "the dialog has ended";
        if (user.BoxOpen())
            return ::testing::AssertionFailure() << "message: " << user.Box().message;
        return ::testing::AssertionSuccess();
    }
    int Position() const { return user.Progress(IDC_PROGRESS).pos; }
    CString Status() const { return user.Text(IDC_STATUS); }

    testsupport::SimMachineScope sim;
    CUpdaterDlg dlg;
    afx::HeadlessUser user;
};

}  // namespace apptest
