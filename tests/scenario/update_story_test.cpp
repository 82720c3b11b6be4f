// A user updates a drive from the window: confirmation, every status and bar position the
// worker's events produce, the result, and the offer to switch the computer off.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/app/updater_rig.h"

namespace apptest {
namespace {

// The drive checks for one poll, erases for three, writes and verifies for one each.
const char kPhases[] =
    "checking-ms = 500\nerasing-ms = 1500\nwriting-ms = 500\nverifying-ms = 500\n";

std::string DriveWithPhases(const std::string& extra = std::string()) {
    return World::Drive("cd", 0, 2, 0, "ABC123", kPhases + extra);
}

// The status line keeps what it said before the run until the transfer begins.
std::vector<Shown> SuccessfulRun(UINT statusBefore = IDS_STATUS_READY) {
    const CString transfer = Str(IDS_STATUS_TRANSFER);
    return {
        {0, 0, 0, Str(statusBefore)},
        {2, 0, 0, transfer},
        {2, 25, 120, transfer},
        {2, 50, 250, transfer},
        {2, 75, 370, transfer},
        {3, 0, 500, Str(IDS_STATUS_CHECK_RECEIVED)},
        {4, 0, 625, Str(IDS_STATUS_ERASE)},
        {4, 0, 635, Str(IDS_STATUS_ERASE)},
        {4, 0, 645, Str(IDS_STATUS_ERASE)},
        {5, 0, 750, Str(IDS_STATUS_WRITE)},
        {6, 0, 875, Str(IDS_STATUS_CHECK_WRITTEN)},
        {1, 0, 1000, Str(IDS_RESULT_OK)},
    };
}

TEST(UpdateStory, SuccessThenStayOn) {
    World world;
    world.AddImage({"fw.bin", "ABC123", "        ", "CD-R/RW KP2140A ", "2.00"});
    UpdaterRig rig(world, DriveWithPhases());
    ASSERT_TRUE(rig.Idle());
    const CString caption = rig.user.Caption();
    EXPECT_EQ(caption, "CD-R/RWアップデートプログラム");

    rig.user.Click(IDC_START);
    ASSERT_TRUE(rig.user.BoxOpen());
    EXPECT_EQ(rig.user.Box().message,
              "「fw.bin」ファイルによるアップデートを開始します。\nよろしいですか？");
    EXPECT_EQ(rig.user.Box().text, caption);
    EXPECT_EQ(rig.user.Box().boxType, MB_YESNO | MB_ICONQUESTION);
    rig.user.Answer(IDYES);

    rig.WaitForBox();
    EXPECT_EQ(rig.user.Box().message, Str(IDS_CONFIRM_POWER_OFF));
    EXPECT_EQ(rig.user.Box().text, caption);
    EXPECT_EQ(rig.user.Box().boxType, MB_YESNO | MB_ICONQUESTION);
    // The lists and Start are back before the question.
    EXPECT_TRUE(rig.user.Enabled(IDC_START));
    EXPECT_TRUE(rig.user.Enabled(IDC_DRIVE_LIST));
    rig.user.Answer(IDNO);

    EXPECT_EQ(rig.dlg.shown, SuccessfulRun());
    EXPECT_FALSE(rig.dlg.Busy());
    for (int id : {IDC_START, IDC_DRIVE_LIST, IDC_IMAGE_LIST, IDC_DRIVE_GROUP, IDC_IMAGE_GROUP}) {
        EXPECT_TRUE(rig.user.Enabled(id)) << id;
    }
    EXPECT_EQ(rig.user.Selection(IDC_DRIVE_LIST), 0);
    EXPECT_EQ(rig.user.SelectedText(IDC_IMAGE_LIST), "fw.bin (CD-R/RW KP2140A 2.00)");
    EXPECT_TRUE(rig.machine.sim().PowerOffs().empty());

    auto drive = rig.machine.drive("cd");
    EXPECT_FALSE(drive->InWriteMode());
    EXPECT_EQ(drive->CurrentPhase(), machine::sim::Phase::None);
    const std::vector<uint8_t> image = ImageBytes({"fw.bin"});
    const std::vector<uint8_t> flash = drive->Flash();
    ASSERT_GE(flash.size(), image.size());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));
    // The old firmware runs until the drive is switched off and on.
    EXPECT_EQ(drive->RunningRevision(), "1.00");

    // Closing when idle asks nothing.
    rig.user.Click(IDOK);
    EXPECT_TRUE(rig.user.Finished());
    EXPECT_EQ(rig.user.Result(), IDOK);
}

TEST(UpdateStory, SuccessThenSwitchOff) {
    World world;
    world.AddImage({"fw.bin"});
    UpdaterRig rig(world, DriveWithPhases());
    ASSERT_TRUE(rig.Idle());
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    rig.WaitForBox();
    ASSERT_EQ(rig.user.Box().message, Str(IDS_CONFIRM_POWER_OFF));
    rig.user.Answer(IDYES);

    EXPECT_EQ(rig.machine.sim().PowerOffs(), std::vector<UINT>{EWX_SHUTDOWN | EWX_POWEROFF});
    auto drive = rig.machine.drive("cd");
    EXPECT_EQ(drive->PowerCycles(), 1);
    EXPECT_EQ(drive->RunningRevision(), "2.00");
    EXPECT_FALSE(rig.user.BoxOpen());
}

// The Windows 95/98 family needs no privilege: the power-off request goes out directly.
TEST(UpdateStory, SwitchOffOnTheWindows95Family) {
    World world;
    world.AddImage({"fw.bin"});
    UpdaterRig rig(world,
                   "[aspi]\n[adapter 0]\n[drive cd]\nmodel = CD-R/RW KP2140A\nrevision = 1.00\n"
                   "type-code = ABC123\naspi = adapter 0 target 2\n" +
                       std::string(kPhases),
                   1);
    ASSERT_TRUE(rig.Idle());
    EXPECT_EQ(rig.user.ItemTexts(IDC_DRIVE_LIST),
              std::vector<CString>{"HA:0 SCSI-ID:02　        CD-R/RW KP2140A 1.00"});
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    rig.WaitForBox();
    ASSERT_EQ(rig.user.Box().message, Str(IDS_CONFIRM_POWER_OFF));
    rig.user.Answer(IDYES);
    EXPECT_EQ(rig.dlg.shown.back(), (Shown{1, 0, 1000, Str(IDS_RESULT_OK)}));
    EXPECT_EQ(rig.machine.sim().PowerOffs(), std::vector<UINT>{EWX_SHUTDOWN | EWX_POWEROFF});
}

// On the NT family without the right to shut down, Yes does nothing and says nothing.
TEST(UpdateStory, SwitchOffWithoutTheRight) {
    World world;
    world.AddImage({"fw.bin"});
    UpdaterRig rig(world, "power-off = denied\n" + DriveWithPhases());
    ASSERT_TRUE(rig.Idle());
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    rig.WaitForBox();
    rig.user.Answer(IDYES);
    EXPECT_TRUE(rig.machine.sim().PowerOffs().empty());
    EXPECT_FALSE(rig.user.BoxOpen());
    EXPECT_EQ(rig.Status(), Str(IDS_RESULT_OK));
    EXPECT_TRUE(rig.user.Enabled(IDC_START));
}

// A second Start after a finished one: the first worker is still there until then, and is
// joined and released before the second begins.
TEST(UpdateStory, SecondStartAfterAFinishedOne) {
    World world;
    world.AddImage({"fw.bin"});
    UpdaterRig rig(world, DriveWithPhases());
    ASSERT_TRUE(rig.Idle());
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    rig.WaitForBox();
    rig.user.Answer(IDNO);
    EXPECT_NE(rig.dlg.Worker(), nullptr);

    rig.dlg.shown.clear();
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    rig.WaitForBox();
    ASSERT_EQ(rig.user.Box().message, Str(IDS_CONFIRM_POWER_OFF));
    rig.user.Answer(IDNO);
    EXPECT_EQ(rig.dlg.shown, SuccessfulRun(IDS_RESULT_OK));
    EXPECT_FALSE(rig.machine.drive("cd")->InWriteMode());
}

TEST(UpdateStory, NoAtTheConfirmationChangesNothing) {
    World world;
    world.AddImage({"fw.bin"});
    UpdaterRig rig(world, DriveWithPhases());
    ASSERT_TRUE(rig.Idle());
    rig.machine.drive("cd")->ClearLog();
    rig.user.Click(IDC_START);
    rig.user.Answer(IDNO);
    rig.user.Pump();
    EXPECT_TRUE(rig.dlg.shown.empty());
    EXPECT_TRUE(rig.user.Enabled(IDC_START));
    EXPECT_EQ(rig.Status(), Str(IDS_STATUS_READY));
    EXPECT_EQ(rig.dlg.Worker(), nullptr);
    EXPECT_TRUE(rig.machine.drive("cd")->Log().empty());
}

}  // namespace
}  // namespace apptest
