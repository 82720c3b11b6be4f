// The window comes up with the drives and images it found, listed by text, each item tied to
// its entry, the first drive chosen and the newest image that fits it.
#include <gtest/gtest.h>

#include "tests/app/updater_rig.h"

namespace apptest {
namespace {

TEST(ListsStory, FilledSortedAndPaired) {
    World world;
    world.AddImage({"b_new.bin", "ABC123", "        ", "CD-R/RW KP2140A ", "2.10", 0x10000, 2000});
    world.AddImage({"a_old.bin", "ABC123", "        ", "CD-R/RW KP2140A ", "2.00", 0x10000, 1000});
    world.AddImage({"c_scsi.bin", "DEF456", "        ", "CD-R/RW KP2140S ", "1.50"});
    world.AddImage({"d_dvd.bin", "", "        ", "DVD/CDRW KP5470 ", "3.00"});
    std::string body;
    for (int port = 0; port <= 10; ++port) body += "[port " + std::to_string(port) + "]\n";
    body += World::Drive("atapi", 0, 1, 0, "ABC123");
    body +=
        "[drive scsi]\nform = scsi\nmodel = CD-R/RW KP2140S\nrevision = 1.00\n"
        "type-code = DEF456\nnt = port 2 bus 0 target 5 lun 0\nnames = CdRom1\n"
        "[drive dvd]\nmodel = DVD/CDRW KP5470\nrevision = 1.00\n"
        "nt = port 10 bus 0 target 3 lun 0\nnames = CdRom2\n";
    UpdaterRig rig(world, body);
    ASSERT_TRUE(rig.Idle());

    // Text order: host adapter 10 comes before 2. The blank before the name is U+3000.
    const std::vector<afx::ListItem> drives = rig.user.Items(IDC_DRIVE_LIST);
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].text, "HA:0 SCSI-ID:01　        CD-R/RW KP2140A 1.00");
    EXPECT_EQ(drives[1].text, "HA:10 SCSI-ID:03　        DVD/CDRW KP5470 1.00");
    EXPECT_EQ(drives[2].text, "HA:2 SCSI-ID:05　        CD-R/RW KP2140S 1.00");
    EXPECT_EQ(drives[0].data, 0u);
    EXPECT_EQ(drives[1].data, 2u);
    EXPECT_EQ(drives[2].data, 1u);

    const std::vector<CString> images = rig.user.ItemTexts(IDC_IMAGE_LIST);
    EXPECT_EQ(images,
              (std::vector<CString>{
                  "a_old.bin (CD-R/RW KP2140A 2.00)", "b_new.bin (CD-R/RW KP2140A 2.10)",
                  "c_scsi.bin (CD-R/RW KP2140S 1.50)", "d_dvd.bin (DVD/CDRW KP5470 3.00)"}));

    // The template's "Ready." never shows.
    EXPECT_EQ(rig.Status(), Str(IDS_STATUS_READY));
    EXPECT_EQ(rig.user.Selection(IDC_DRIVE_LIST), 0);
    EXPECT_EQ(rig.user.SelectedText(IDC_IMAGE_LIST), images[1]);

    rig.user.Select(IDC_DRIVE_LIST, 2);
    EXPECT_EQ(rig.user.SelectedText(IDC_IMAGE_LIST), images[2]);
    rig.user.Select(IDC_DRIVE_LIST, 1);
    EXPECT_EQ(rig.user.SelectedText(IDC_IMAGE_LIST), images[3]);
    rig.user.Select(IDC_IMAGE_LIST, 0);
    EXPECT_EQ(rig.user.Selection(IDC_DRIVE_LIST), 0);
    EXPECT_TRUE(rig.user.Enabled(IDC_START));

    // The run goes to the drive and the image that were chosen.
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    EXPECT_EQ(g_updateJob.driveIndex, 0);
    EXPECT_EQ(g_updateJob.imagePath, world.dir.File("a_old.bin"));
    rig.WaitForBox();
    rig.user.Answer(IDNO);
    const std::vector<uint8_t> flash = rig.machine.drive("atapi")->Flash();
    EXPECT_EQ(std::string(flash.begin() + 36, flash.begin() + 40), "2.00");
}

}  // namespace
}  // namespace apptest
