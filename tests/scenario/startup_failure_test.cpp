// The update window cannot be used: no memory for the drive controller, no supported drive,
// or an image file that cannot be read while the images are listed.
#include <gtest/gtest.h>

#include <atomic>
#include <new>

#include "engine/drive_controller.h"
#include "framework/file_faults.h"
#include "tests/app/updater_rig.h"

namespace {

// The one allocation that the next non-throwing `new` of exactly this size gets: none.
std::atomic<size_t> g_failNextAllocationOf{0};

}  // namespace

// Every non-throwing `new` of this test program comes here; only an armed size fails.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    size_t armed = size;
    if (size != 0 && g_failNextAllocationOf.compare_exchange_strong(armed, 0)) {
        return nullptr;
    }
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

namespace apptest {
namespace {

TEST(StartupFailure, NoMemoryForTheController) {
    World world;
    world.AddImage({"fw.bin"});
    HoldingMachineScope machine(world.Machine(World::Drive("cd", 0, 2, 0)));
    App();
    g_failNextAllocationOf = sizeof(CDriveController);
    RecordingUpdaterDlg dlg;
    EXPECT_EQ(g_failNextAllocationOf.load(), 0u);
    afx::HeadlessUser user;
    user.Start([&] { return dlg.DoModal(); });
    ASSERT_TRUE(user.BoxOpen());
    EXPECT_EQ(user.Box().message, Str(IDS_NO_MEMORY));
    EXPECT_EQ(user.Box().text, AfxGetAppName());
    EXPECT_EQ(user.Box().boxType, MB_OK | MB_ICONEXCLAMATION);
    // Neither the images nor the drives were looked for.
    EXPECT_EQ(dlg.ImageCount(), 0u);
    EXPECT_TRUE(machine.sim().DeviceEvents().empty());

    user.Answer(IDOK);
    EXPECT_TRUE(user.Finished());
    EXPECT_EQ(user.Result(), IDCANCEL);
}

TEST(StartupFailure, NoSupportedDrive) {
    const struct {
        const char* what;
        std::string drives;
    } rows[] = {
        {"no drive at all", ""},
        {"a vendor that is not blank", World::Drive("cd", 0, 2, 0, "ABC123", "vendor = ACME\n")},
        {"a model that no entry knows",
         "[drive cd]\nmodel = CD-ROM XYZ\nnt = port 0 target 2\n"
         "names = CdRom0\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        World world;
        world.AddImage({"fw.bin"});
        UpdaterRig rig(world, row.drives);
        ASSERT_TRUE(rig.user.BoxOpen());
        EXPECT_EQ(rig.user.Box().message, Str(IDS_NO_DEVICE));
        EXPECT_EQ(rig.user.Box().text, AfxGetAppName());
        EXPECT_EQ(rig.user.Box().boxType, MB_OK | MB_ICONEXCLAMATION);
        // The images had been listed by then.
        EXPECT_EQ(rig.dlg.ImageCount(), 1u);
        rig.user.Answer(IDOK);
        EXPECT_TRUE(rig.user.Finished());
        EXPECT_EQ(rig.user.Result(), IDCANCEL);
    }
}

// A file error while the images are listed is reported by the class library; the rest of
// the initialisation does not run, so no drive is listed and nothing can be started.
TEST(StartupFailure, ImageThatCannotBeRead) {
    file_faults::Scope faults;
    World world;
    file_faults::FailSeek(world.AddImage({"fw.bin"}));
    UpdaterRig rig(world, World::Drive("cd", 0, 2, 0));
    ASSERT_TRUE(rig.user.BoxOpen());
    rig.user.Answer(rig.user.Box().controls.front()->id);
    ASSERT_TRUE(rig.Idle());
    EXPECT_TRUE(rig.user.ItemTexts(IDC_DRIVE_LIST).empty());
    EXPECT_TRUE(rig.machine.sim().DeviceEvents().empty());
    rig.user.Click(IDC_START);
    EXPECT_FALSE(rig.user.BoxOpen());
    rig.user.Close();
    EXPECT_TRUE(rig.user.Finished());
}

}  // namespace
}  // namespace apptest
