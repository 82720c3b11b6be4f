// Updates that fail: the status line names the failure, the bar stays where it was, nothing
// is asked, and the user may pick and start again.
#include <gtest/gtest.h>

#include <functional>

#include "framework/file_faults.h"
#include "tests/app/updater_rig.h"

namespace apptest {
namespace {

const char kPhases[] =
    "checking-ms = 500\nerasing-ms = 500\nwriting-ms = 500\nverifying-ms = 500\n";

// An image whose identification block at offset 0 is spoilt (a control character in the
// vendor field) but valid at 0x20000: the catalogue lists it with type code ABC123, while
// the bytes at the drive's type-code offset 4 say ZZZ999.
std::vector<uint8_t> ImageWithOtherTypeCodeAtOffset4() {
    std::vector<uint8_t> bytes = ImageBytes({"x", "ZZZ999", "BAD\x1A    "});
    bytes.resize(0x20000 + 0x4000);
    const std::vector<uint8_t> block = ImageBytes({"x", "ABC123"});
    std::copy_n(block.begin(), 40, bytes.begin() + 0x20000);
    return bytes;
}

struct FailureCase {
    const char* what;
    std::string driveLines;                       // faults of the drive
    std::function<void(const std::string&)> arm;  // file faults, given the image's path
    UINT status;
    bool enteredWriteMode;
};

TEST(FailedUpdate, EachFailureShowsItsText) {
    const FailureCase cases[] = {
        // Discovery enters and leaves write mode once to read the type code.
        {"write mode refused", "fault = command E4 sense 5/24/00 nth 3\n", nullptr,
         IDS_RESULT_WRITE_MODE_FAILED, false},
        {"a block refused", "fault = command E2 sense 4/44/00 nth 2\n", nullptr,
         IDS_RESULT_TRANSFER_FAILED, true},
        {"lock not released", "fault = command E0 sense 4/44/00\n", nullptr,
         IDS_RESULT_UNLOCK_FAILED, true},
        {"preparation failed", "fault = command E1 sense 4/44/00\n", nullptr,
         IDS_RESULT_PREPARE_FAILED, true},
        {"received data bad", "fault = phase checking\n", nullptr, IDS_RESULT_BAD_DATA, true},
        {"erase error", "fault = phase erasing\n", nullptr, IDS_RESULT_ERASE_ERROR, true},
        {"write error", "fault = phase writing\n", nullptr, IDS_RESULT_WRITE_ERROR, true},
        {"written data bad", "fault = phase verifying\n", nullptr, IDS_RESULT_VERIFY_ERROR, true},
        // Discovery read the type code once already.
        {"type code unreadable", "fault = command E3 sense 4/44/00 nth 2\n", nullptr,
         IDS_RESULT_READ_FAILED, true},
        {"image cannot be opened", "", [](const std::string& path) { file_faults::FailOpen(path); },
         IDS_RESULT_OPEN_FAILED, true},
        {"image unreadable", "",
         [](const std::string& path) { file_faults::FailReadAt(path, 0x8000); },
         IDS_RESULT_FILE_READ_FAILED, true},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        file_faults::Scope faults;
        World world;
        const std::string image = world.AddImage({"fw.bin"});
        UpdaterRig rig(world, World::Drive("cd", 0, 2, 0, "ABC123", kPhases + c.driveLines));
        ASSERT_TRUE(rig.Idle());
        if (c.arm) c.arm(image);
        auto drive = rig.machine.drive("cd");
        drive->ClearLog();

        ASSERT_NO_FATAL_FAILURE(rig.Start());
        rig.user.WaitUntil([&] { return !rig.dlg.Busy(); }, "the end of the run");

        EXPECT_EQ(rig.Status(), Str(c.status));
        EXPECT_FALSE(rig.user.BoxOpen());
        ASSERT_GE(rig.dlg.shown.size(), 2u);
        EXPECT_EQ(rig.dlg.shown.back().position, rig.dlg.shown[rig.dlg.shown.size() - 2].position)
            << "the bar stays where the last event left it";
        EXPECT_TRUE(rig.user.Enabled(IDC_START));
        EXPECT_TRUE(rig.user.Enabled(IDC_DRIVE_LIST));
        EXPECT_TRUE(rig.user.Enabled(IDC_IMAGE_LIST));
        // The drive is never left in write mode; when it was never entered, it is not left.
        EXPECT_FALSE(drive->InWriteMode());
        int leaves = 0;  // E4 without the enter bit 0x40 in byte 9
        for (const auto& command : drive->Log()) {
            if (command.cdb[0] == 0xE4 && (command.cdb[9] & 0x40) == 0) ++leaves;
        }
        EXPECT_EQ(leaves, c.enteredWriteMode ? 1 : 0);
    }
}

TEST(FailedUpdate, TypeCodeOfTheImageDiffersFromTheDrive) {
    World world;
    world.dir.Write("odd.bin", ImageWithOtherTypeCodeAtOffset4());
    UpdaterRig rig(world, World::Drive("cd", 0, 2, 0, "ABC123", kPhases));
    ASSERT_TRUE(rig.Idle());
    ASSERT_EQ(rig.user.Selection(IDC_IMAGE_LIST), 0);
    const std::vector<uint8_t> flashBefore = rig.machine.drive("cd")->Flash();
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    rig.user.WaitUntil([&] { return !rig.dlg.Busy(); }, "the end of the run");
    EXPECT_EQ(rig.Status(), Str(IDS_RESULT_TYPE_CODE));
    EXPECT_FALSE(rig.user.BoxOpen());
    EXPECT_EQ(rig.Position(), 0);
    EXPECT_EQ(rig.machine.drive("cd")->Flash(), flashBefore);
    EXPECT_TRUE(rig.user.Enabled(IDC_START));

    // The user may start again at once; it fails the same way.
    rig.dlg.shown.clear();
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    rig.user.WaitUntil([&] { return !rig.dlg.Busy(); }, "the end of the second run");
    EXPECT_EQ(rig.dlg.shown.back(), (Shown{1, 12, 0, Str(IDS_RESULT_TYPE_CODE)}));
}

}  // namespace
}  // namespace apptest
