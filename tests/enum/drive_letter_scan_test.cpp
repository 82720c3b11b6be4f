// The drive letters A to Z, filtered by drive type.
#include "enum/drive_letter_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/sim_fixture.h"
#include "tests/transport/wrapped_machine.h"

namespace {

const char kLetters[] =
    "[machine]\nplatform = 2\n"
    "[letter C]\ntype = fixed\n"
    "[letter D]\ntype = cdrom\n"
    "[letter F]\ntype = removable\n"
    "[letter G]\ntype = remote\n"
    "[letter H]\ntype = ramdisk\n"
    "[letter I]\ntype = no-root\n"
    "[letter J]\ntype = unknown\n"
    "[letter K]\ntype = 9\n"
    "[drive cd]\nletter = Z\n";

std::string Letters(const CDriveLetterList& drives) {
    std::string out;
    for (const DriveLetterRecord& d : drives) out += static_cast<char>(d.letter);
    return out;
}

TEST(DriveLetterScan, MaskSelectsByDriveTypeFromAUpwards) {
    testsupport::SimMachineScope sim(kLetters);
    struct Case {
        DriveTypeMask mask;
        const char* letters;
    };
    const Case cases[] = {
        {0, "CDFGHKZ"},  // every type from DRIVE_REMOVABLE on, unknown ones too
        {0x08, "DZ"},   {0x01, "F"},      {0x02, "C"}, {0x04, "G"},
        {0x10, "H"},    {0x1F, "CDFGHZ"}, {0x20, ""},  {0xFFE0, ""},
    };
    for (const Case& c : cases) {
        CDriveLetterList drives;
        CDriveLetterScan scan(drives, c.mask);
        EXPECT_EQ(Letters(drives), c.letters) << "mask " << c.mask;
    }
}

TEST(DriveLetterScan, RecordsIndexLetterAndType) {
    testsupport::SimMachineScope sim(kLetters);
    CDriveLetterList drives = {{99, '?', 0}};  // emptied first
    CDriveLetterScan scan(drives, 0x0A);
    ASSERT_EQ(drives.size(), 3u);
    const DriveLetterRecord expected[] = {
        {2, 'C', DRIVE_FIXED}, {3, 'D', DRIVE_CDROM}, {25, 'Z', DRIVE_CDROM}};
    int i = 0;
    for (const DriveLetterRecord& d : drives) {
        EXPECT_EQ(d.driveIndex, expected[i].driveIndex);
        EXPECT_EQ(d.letter, expected[i].letter);
        EXPECT_EQ(d.driveType, expected[i].driveType);
        ++i;
    }
}

// A machine that reports bits above Z and notes which roots are asked about.
class ExtraBitsMachine : public WrappedMachine {
  public:
    ExtraBitsMachine() : WrappedMachine("[machine]\nplatform = 2\n") {}
    DWORD LogicalDrives() override { return 0xFC000000u | (1u << 3) | (1u << 25); }
    UINT DriveType(const std::string& root) override {
        asked.push_back(root);
        return DRIVE_CDROM;
    }
    std::vector<std::string> asked;
};

TEST(DriveLetterScan, BitsAboveZAreIgnored) {
    auto owned = std::make_unique<ExtraBitsMachine>();
    ExtraBitsMachine& m = *owned;
    machine::sim::ScopedMachine scope(std::move(owned));
    CDriveLetterList drives;
    CDriveLetterScan scan(drives, 0);
    EXPECT_EQ(Letters(drives), "DZ");
    EXPECT_EQ(m.asked, (std::vector<std::string>{"D:\\", "Z:\\"}));
}

TEST(DriveLetterScan, NoLettersNoRecords) {
    testsupport::SimMachineScope sim("[machine]\nplatform = 2\n");
    CDriveLetterList drives = {{0, 'A', DRIVE_REMOVABLE}};
    CDriveLetterScan scan(drives, 0);
    EXPECT_TRUE(drives.empty());
}

}  // namespace
