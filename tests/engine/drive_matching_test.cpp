// Which parameter entry a drive's inquiry data matches: blank vendor identification, then
// the first entry whose model name fits the product identification.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/drive_controller.h"

namespace {

std::vector<uint8_t> Inquiry(const std::string& vendor, const std::string& product) {
    std::vector<uint8_t> inquiry(kInquiryLength, 0);
    inquiry[0] = 5;
    std::memcpy(inquiry.data() + 8, vendor.data(), std::min<size_t>(vendor.size(), 8));
    std::memcpy(inquiry.data() + 16, product.data(), std::min<size_t>(product.size(), 16));
    std::memcpy(inquiry.data() + 32, "1.00", 4);
    return inquiry;
}

TEST(DriveMatchingTest, OnlyABlankVendorIdentificationIsSupported) {
    CDriveController controller(2, nullptr, nullptr);
    const struct {
        std::string vendor;
        int expected;
    } cases[] = {
        {"        ", 1}, {"KPX     ", 0},           {"       X", 0},
        {"X       ", 0}, {std::string(8, '\0'), 0},
    };
    for (const auto& c : cases) {
        const auto inquiry = Inquiry(c.vendor, "CD-R/RW KP2140A ");
        EXPECT_EQ(controller.IsSupportedVendor(inquiry.data()), c.expected)
            << "'" << c.vendor << "'";
    }
}

struct MatchCase {
    const char* name;
    std::vector<DriveParam> file;
    std::string product;
    bool matches;
    std::string productName;  // of the entry that matched ("" for a built-in row)
    std::string modelName;
};

TEST(DriveMatchingTest, FirstFittingEntryWins) {
    const DriveParam wildcard{"WILD", "CD-R/RW KP2??0A", 0x8004, 0, 0};
    const DriveParam anyDrive{"ANY", "", 4, 0, 0};
    const DriveParam seventeenQuestion{"LONG?", "CD-R/RW KP9999A ?", 4, 1, 1};
    const DriveParam seventeenX{"LONGX", "CD-R/RW KP9999A X", 4, 1, 1};
    const MatchCase cases[] = {
        {"built-in row 1 with its blank", {}, "CD-R/RW KP2140A ", true, "", "CD-R/RW KP2140A"},
        {"built-in SCSI row 10", {}, "CD-R/RW KP318S  ", true, "", "CD-R/RW KP318S"},
        {"unknown model", {}, "CD-R/RW KP9999Z ", false, "", ""},
        {"no case folding", {}, "cd-r/rw kp2140a ", false, "", ""},
        {"'?' before the built-in row",
         {wildcard},
         "CD-R/RW KP2140A ",
         true,
         "WILD",
         "CD-R/RW KP2??0A"},
        {"'?' covers another model",
         {wildcard},
         "CD-R/RW KP2320A ",
         true,
         "WILD",
         "CD-R/RW KP2??0A"},
        {"'?' does not cover a fixed digit",
         {wildcard},
         "CD-R/RW KP2163A ",
         true,
         "",
         "CD-R/RW KP2163A"},
        {"empty model name hides every later entry",
         {anyDrive, wildcard},
         "CD-R/RW KP2140A ",
         true,
         "ANY",
         ""},
        {"empty model name takes unknown drives", {anyDrive}, "SOMETHING ELSE  ", true, "ANY", ""},
        {"17th character '?' meets the end",
         {seventeenQuestion},
         "CD-R/RW KP9999A ",
         true,
         "LONG?",
         "CD-R/RW KP9999A ?"},
        {"17th character other than '?' never matches",
         {seventeenX},
         "CD-R/RW KP9999A ",
         false,
         "",
         ""},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        CDriveParamList file(c.file.begin(), c.file.end());
        CDriveController controller(2, nullptr, &file);
        const auto inquiry = Inquiry("        ", c.product);
        DriveParam found;
        EXPECT_EQ(controller.FindDriveParam(inquiry.data(), found), c.matches ? 1 : 0);
        if (c.matches) {
            EXPECT_EQ(found.productName, c.productName);
            EXPECT_EQ(found.modelName, c.modelName);
        }
    }
}

TEST(DriveMatchingTest, MatchedEntryBringsItsSettings) {
    CDriveParamList file = {{"WILD", "CD-R/RW KP2??0A", 0x8004, 0, 0}};
    CDriveController controller(2, nullptr, &file);
    DriveParam found;
    ASSERT_EQ(controller.FindDriveParam(Inquiry("        ", "CD-R/RW KP2180A ").data(), found), 1);
    EXPECT_EQ(found.typeCodeOffset, 0x8004u);
    EXPECT_EQ(found.atapi, 0);
    EXPECT_EQ(found.typeCodeEnable, 0);
    ASSERT_EQ(controller.FindDriveParam(Inquiry("        ", "DVD/CDRW KP5470 ").data(), found), 1);
    EXPECT_EQ(found.typeCodeOffset, 0x8004u);
    EXPECT_EQ(found.atapi, 1);
    EXPECT_EQ(found.typeCodeEnable, 0);
}

}  // namespace
