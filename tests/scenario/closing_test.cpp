// Closing the window: at once when idle; during an update only after the user agreed to
// abandon it, and then only once the worker has ended. Escape closes at once, and the
// program still waits for the update to finish.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>

#include "tests/app/updater_rig.h"

namespace apptest {
namespace {

const char kPhases[] =
    "checking-ms = 1000\nerasing-ms = 500\nwriting-ms = 500\nverifying-ms = 500\n";

std::string Body(World& world) {
    world.AddImage({"fw.bin"});
    return World::Drive("cd", 0, 2, 0, "ABC123", kPhases);
}

bool Flashed(machine::sim::Drive& drive) {
    const std::vector<uint8_t> image = ImageBytes({"fw.bin"});
    const std::vector<uint8_t> flash = drive.Flash();
    return flash.size() >= image.size() && std::equal(image.begin(), image.end(), flash.begin());
}

// The two ways to ask for closing: the title bar's close button and the Close button.
struct CloseWay {
    const char* what;
    std::function<void(afx::HeadlessUser&)> close;
    int result;
};

const CloseWay kCloseWays[] = {
    {"title bar", [](afx::HeadlessUser& user) { user.Close(); }, IDCANCEL},
    {"Close button", [](afx::HeadlessUser& user) { user.Click(IDOK); }, IDOK},
};

TEST(Closing, WhenIdleEndsAtOnce) {
    for (const CloseWay& way : kCloseWays) {
        SCOPED_TRACE(way.what);
        World world;
        UpdaterRig rig(world, Body(world));
        ASSERT_TRUE(rig.Idle());
        way.close(rig.user);
        EXPECT_TRUE(rig.user.Finished());
        EXPECT_EQ(rig.user.Result(), way.result);
    }
}

TEST(Closing, DuringAnUpdateNoLetsItGoOn) {
    for (const CloseWay& way : kCloseWays) {
        SCOPED_TRACE(way.what);
        World world;
        UpdaterRig rig(world, Body(world));
        ASSERT_TRUE(rig.Idle());
        ASSERT_NO_FATAL_FAILURE(rig.StartAndHold());
        EXPECT_EQ(rig.Status(), Str(IDS_STATUS_CHECK_RECEIVED));
        // The Close button and the system menu stay usable during an update.
        EXPECT_TRUE(rig.user.Enabled(IDOK));
        EXPECT_FALSE(rig.user.Enabled(IDC_START));
        EXPECT_FALSE(rig.user.Enabled(IDC_DRIVE_LIST));

        way.close(rig.user);
        ASSERT_TRUE(rig.user.BoxOpen());
        EXPECT_EQ(rig.user.Box().message, Str(IDS_CONFIRM_CLOSE));
        EXPECT_EQ(rig.user.Box().text, rig.user.Caption());
        EXPECT_EQ(rig.user.Box().boxType, MB_YESNO | MB_ICONEXCLAMATION);
        rig.user.Answer(IDNO);
        EXPECT_FALSE(rig.user.Finished());
        EXPECT_EQ(g_updateJob.cancel.load(), 0);

        rig.machine.holder().Release();
        rig.WaitForBox();
        EXPECT_EQ(rig.user.Box().message, Str(IDS_CONFIRM_POWER_OFF));
        rig.user.Answer(IDNO);
        EXPECT_EQ(rig.Status(), Str(IDS_RESULT_OK));
        EXPECT_TRUE(Flashed(*rig.machine.drive("cd")));
    }
}

TEST(Closing, DuringAnUpdateYesCancelsWaitsAndEnds) {
    for (const CloseWay& way : kCloseWays) {
        SCOPED_TRACE(way.what);
        World world;
        UpdaterRig rig(world, Body(world));
        ASSERT_TRUE(rig.Idle());
        // The worker stays in the drive's first phase until it sees the cancel.
        ASSERT_NO_FATAL_FAILURE(rig.StartAndHold([] { return g_updateJob.cancel.load() == 1; }));
        way.close(rig.user);
        ASSERT_TRUE(rig.user.BoxOpen());
        rig.user.Answer(IDYES);

        // The window has waited for the worker: it has left write mode and reported its end,
        // which is handled while the last message is shown.
        ASSERT_TRUE(rig.user.BoxOpen());
        EXPECT_EQ(rig.user.Box().message, Str(IDS_CLOSE_CANCELLED));
        EXPECT_EQ(rig.user.Box().text, rig.user.Caption());
        EXPECT_EQ(rig.user.Box().boxType, MB_OK | MB_ICONINFORMATION);
        EXPECT_EQ(rig.dlg.Worker(), nullptr);
        EXPECT_EQ(rig.Status(), Str(IDS_CANCELLED));
        EXPECT_EQ(rig.dlg.shown.back().code, kEventFinished);
        auto drive = rig.machine.drive("cd");
        EXPECT_FALSE(drive->InWriteMode());
        EXPECT_FALSE(Flashed(*drive));

        rig.user.Answer(IDOK);
        EXPECT_TRUE(rig.user.Finished());
        EXPECT_EQ(rig.user.Result(), way.result);
        EXPECT_TRUE(rig.machine.sim().PowerOffs().empty());
    }
}

// The update may end while the close question is open. Its result has been shown and
// answered by then, so Yes just closes: nothing is cancelled, and no message claims the
// update was left unfinished.
TEST(Closing, UpdateEndingWhileTheQuestionIsOpen) {
    World world;
    UpdaterRig rig(world, Body(world));
    ASSERT_TRUE(rig.Idle());
    ASSERT_NO_FATAL_FAILURE(rig.StartAndHold());
    rig.user.Close();
    ASSERT_EQ(rig.user.Box().message, Str(IDS_CONFIRM_CLOSE));

    rig.machine.holder().Release();
    rig.user.WaitUntil([&] { return rig.user.Box().message == Str(IDS_CONFIRM_POWER_OFF); },
                       "the end of the update under the close question");
    EXPECT_EQ(rig.Status(), Str(IDS_RESULT_OK));
    rig.user.Answer(IDNO);
    ASSERT_EQ(rig.user.Box().message, Str(IDS_CONFIRM_CLOSE));
    rig.user.Answer(IDYES);

    EXPECT_TRUE(rig.user.Finished());
    EXPECT_EQ(rig.user.Result(), IDCANCEL);
    EXPECT_EQ(g_updateJob.cancel.load(), 0);
    EXPECT_TRUE(Flashed(*rig.machine.drive("cd")));
}

// Escape ends the dialog at once, without a question and without cancelling; destroying the
// dialog then waits until the update has finished.
TEST(Closing, EscapeDuringAnUpdate) {
    World world;
    const std::string body = Body(world);
    HoldingMachineScope machine(world.Machine(body));
    App();
    g_updateJob.cancel.store(0);
    std::atomic<CUpdaterDlg*> running{nullptr};
    std::atomic<bool> destroyed{false};
    afx::HeadlessUser user;
    user.Start([&] {
        INT_PTR result;
        {
            CUpdaterDlg dlg;
            running = &dlg;
            result = dlg.DoModal();
        }
        destroyed = true;
        return result;
    });
    ASSERT_TRUE(user.Enabled(IDC_START));
    // The worker goes on once the window is gone.
    machine.holder().HoldNextSleep([&] { return running.load()->GetSafeHwnd() == nullptr; });
    user.Click(IDC_START);
    user.Answer(IDYES);
    ASSERT_TRUE(machine.holder().WaitUntilHeld());
    user.Pump();
    ASSERT_EQ(user.Text(IDC_STATUS), Str(IDS_STATUS_CHECK_RECEIVED));

    user.Escape();
    EXPECT_TRUE(user.Finished());
    EXPECT_EQ(user.Result(), IDCANCEL);
    EXPECT_TRUE(destroyed.load());
    EXPECT_EQ(g_updateJob.cancel.load(), 0);
    auto drive = machine.drive("cd");
    EXPECT_TRUE(Flashed(*drive));
    EXPECT_FALSE(drive->InWriteMode());
    EXPECT_EQ(drive->CurrentPhase(), machine::sim::Phase::None);
}

}  // namespace
}  // namespace apptest
