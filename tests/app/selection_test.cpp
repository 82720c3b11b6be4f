// How the two selections follow each other: the newest fitting image for a drive, the first
// drive with the image's type code, and what the status line and Start say about them.
#include <gtest/gtest.h>

#include <vector>

#include "tests/app/updater_rig.h"

namespace apptest {
namespace {

// A drive whose entry does not read a type code (built-in model KP5470): images are matched
// on the inquiry vendor and product instead.
std::string DriveWithoutTypeCode(const std::string& name, int port, int target, int cdrom) {
    return "[drive " + name + "]\nmodel = DVD/CDRW KP5470\nrevision = 1.00\nnt = port " +
           std::to_string(port) + " bus 0 target " + std::to_string(target) +
           " lun 0\nnames = CdRom" + std::to_string(cdrom) + "\n";
}

const char kNoTypeCodeProduct[] = "DVD/CDRW KP5470 ";

struct PreselectCase {
    const char* what;
    std::vector<ImageSpec> images;
    const char* preselected;  // text of the image item, empty for none
};

TEST(Preselection, NewestFittingImageForADriveWithTypeCode) {
    const PreselectCase cases[] = {
        {"the newer of two fitting images",
         {{"a.bin", "ABC123", "        ", "CD-R/RW KP2140A ", "2.00", 4 * kBlock, 2000},
          {"b.bin", "ABC123", "        ", "CD-R/RW KP2140A ", "1.00", 4 * kBlock, 1000},
          {"c.bin", "XYZ999", "        ", "CD-R/RW KP2140A ", "3.00", 4 * kBlock, 3000}},
         "a.bin (CD-R/RW KP2140A 2.00)"},
        {"equal times: the later position",
         {{"a.bin", "ABC123"}, {"b.bin", "ABC123"}, {"c.bin", "XYZ999"}},
         "b.bin (CD-R/RW KP2140A 2.00)"},
        {"type codes compare exactly", {{"a.bin", "abc123"}, {"b.bin", "ABC12"}}, ""},
        // Vendor and product do not matter when the drive has a type code.
        {"only the type code counts",
         {{"a.bin", "ABC123", "OTHER   ", "SOMETHING ELSE  ", "9.99", 4 * kBlock, 5000}},
         "a.bin (SOMETHING ELSE  9.99)"},
        {"no image at all", {}, ""},
    };
    for (const PreselectCase& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        for (const ImageSpec& image : c.images) world.AddImage(image);
        UpdaterRig rig(world, World::Drive("cd", 0, 2, 0, "ABC123"));
        ASSERT_TRUE(rig.Idle());
        EXPECT_EQ(rig.user.SelectedText(IDC_IMAGE_LIST), c.preselected);
        const bool found = *c.preselected != '\0';
        EXPECT_EQ(rig.Status(), Str(found ? IDS_STATUS_READY : IDS_NO_UPDATE_FILE));
        EXPECT_EQ(rig.user.Enabled(IDC_START), found);
    }
}

TEST(Preselection, VendorAndProductForADriveWithoutTypeCode) {
    const PreselectCase cases[] = {
        {"vendor and product fit, revision differs",
         {{"a.bin", "", "        ", kNoTypeCodeProduct, "9.00"}},
         "a.bin (DVD/CDRW KP5470 9.00)"},
        // The product field ended early with a NUL: 15 characters never equal 16 bytes.
        {"a product cut short is never chosen",
         {{"a.bin", "", "        ", "DVD/CDRW KP5470", "9.00", 4 * kBlock, 9000},
          {"b.bin", "", "        ", kNoTypeCodeProduct, "1.00", 4 * kBlock, 1000}},
         "b.bin (DVD/CDRW KP5470 1.00)"},
        {"another vendor", {{"a.bin", "", "NXB     ", kNoTypeCodeProduct, "1.00"}}, ""},
        {"a type code does not help", {{"a.bin", "ABC123", "        ", "CD-R/RW KP2140A "}}, ""},
    };
    for (const PreselectCase& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        for (const ImageSpec& image : c.images) world.AddImage(image);
        UpdaterRig rig(world, DriveWithoutTypeCode("dvd", 0, 1, 0));
        ASSERT_TRUE(rig.Idle());
        EXPECT_EQ(rig.user.SelectedText(IDC_IMAGE_LIST), c.preselected);
    }
}

// Two drives with different type codes; images for each; a third image fits neither.
class Pairing : public ::testing::Test {
  protected:
    Pairing() {
        world.AddImage({"for_one.bin", "AAA111"});
        world.AddImage({"for_two.bin", "BBB222"});
        world.AddImage({"orphan.bin", "ZZZ999"});
    }
    std::string Drives() const {
        return World::Drive("one", 0, 1, 0, "AAA111") + World::Drive("two", 0, 4, 1, "BBB222");
    }
    World world;
};

TEST_F(Pairing, ChoosingADriveChoosesItsImage) {
    UpdaterRig rig(world, Drives());
    ASSERT_TRUE(rig.Idle());
    ASSERT_EQ(rig.user.ItemTexts(IDC_DRIVE_LIST).size(), 2u);
    EXPECT_EQ(rig.user.Selection(IDC_DRIVE_LIST), 0);
    EXPECT_EQ(rig.user.SelectedText(IDC_IMAGE_LIST), "for_one.bin (CD-R/RW KP2140A 2.00)");
    rig.user.Select(IDC_DRIVE_LIST, 1);
    EXPECT_EQ(rig.user.SelectedText(IDC_IMAGE_LIST), "for_two.bin (CD-R/RW KP2140A 2.00)");
    EXPECT_TRUE(rig.user.Enabled(IDC_START));
}

TEST_F(Pairing, ChoosingAnImageChoosesTheDriveWithItsTypeCode) {
    UpdaterRig rig(world, Drives());
    ASSERT_TRUE(rig.Idle());
    rig.user.Select(IDC_IMAGE_LIST, "for_two.bin (CD-R/RW KP2140A 2.00)");
    EXPECT_EQ(rig.user.Selection(IDC_DRIVE_LIST), 1);
    EXPECT_EQ(rig.Status(), Str(IDS_STATUS_READY));

    // No drive has this type code: the drive selection goes, and so does Start.
    rig.user.Select(IDC_IMAGE_LIST, "orphan.bin (CD-R/RW KP2140A 2.00)");
    EXPECT_EQ(rig.user.Selection(IDC_DRIVE_LIST), -1);
    EXPECT_EQ(rig.Status(), Str(IDS_NO_UPDATE_DRIVE));
    EXPECT_FALSE(rig.user.Enabled(IDC_START));

    rig.user.Select(IDC_IMAGE_LIST, "for_one.bin (CD-R/RW KP2140A 2.00)");
    EXPECT_EQ(rig.user.Selection(IDC_DRIVE_LIST), 0);
    EXPECT_TRUE(rig.user.Enabled(IDC_START));
}

// Drives are listed by text, so "HA:10" sorts before "HA:2"; an image with an empty type
// code goes to the first drive in that order whose type code is empty too.
TEST(PairingByText, EmptyTypeCodeGoesToTheFirstListedDriveWithout) {
    World world;
    world.AddImage({"plain.bin", ""});
    std::string body;
    for (int port = 0; port <= 10; ++port) body += "[port " + std::to_string(port) + "]\n";
    body += World::Drive("tc", 0, 1, 0, "ABC123");
    body += DriveWithoutTypeCode("on2", 2, 3, 1);
    body += DriveWithoutTypeCode("on10", 10, 3, 2);
    UpdaterRig rig(world, body);
    ASSERT_TRUE(rig.Idle());
    const std::vector<CString> texts = rig.user.ItemTexts(IDC_DRIVE_LIST);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1].rfind("HA:10 ", 0), 0u);
    EXPECT_EQ(texts[2].rfind("HA:2 ", 0), 0u);

    rig.user.Select(IDC_IMAGE_LIST, 0);
    EXPECT_EQ(rig.user.Selection(IDC_DRIVE_LIST), 1);
    // The item reaches its own entry through its data: the second drive discovered.
    EXPECT_EQ(rig.user.Items(IDC_DRIVE_LIST)[1].data, 2u);
}

TEST(Preselection, NoImagesIsNoError) {
    World world;
    UpdaterRig rig(world, World::Drive("cd", 0, 2, 0));
    ASSERT_TRUE(rig.Idle());
    EXPECT_TRUE(rig.user.ItemTexts(IDC_IMAGE_LIST).empty());
    EXPECT_EQ(rig.user.Selection(IDC_DRIVE_LIST), 0);
    EXPECT_EQ(rig.Status(), Str(IDS_NO_UPDATE_FILE));
    EXPECT_FALSE(rig.user.Enabled(IDC_START));
}

}  // namespace
}  // namespace apptest
