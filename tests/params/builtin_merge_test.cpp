#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/drive_controller.h"
#include "params/builtin_drive_table.h"
#include "params/param_file.h"
#include "tests/winapi/profile_files.h"

namespace {

TEST(BuiltinDriveTable, TenModelsEndedByARowWithoutName) {
    int rows = 0;
    std::vector<int> scsi, withoutTypeCode;
    for (const BuiltinDriveRow* row = BuiltinDriveTable; row->modelName != nullptr; ++row) {
        ++rows;
        if (row->atapi != 1) scsi.push_back(rows);
        if (row->typeCodeEnable != 1) withoutTypeCode.push_back(rows);
    }
    EXPECT_EQ(rows, 10);
    EXPECT_EQ(scsi, (std::vector<int>{2, 4, 10}));
    EXPECT_EQ(withoutTypeCode, std::vector<int>{9});
}

// Inquiry data with a blank vendor and the given product identification.
std::vector<uint8_t> Inquiry(const char* product) {
    std::vector<uint8_t> data(kInquiryLength, 0);
    std::memset(&data[8], ' ', 8);
    std::memset(&data[16], ' ', 16);
    std::memcpy(&data[16], product, std::min<size_t>(16, std::strlen(product)));
    return data;
}

TEST(BuiltinDriveTable, FileEntriesComeFirstAndWin) {
    testsupport::TempDir dir;
    WriteText(dir.File("params.ini"),
              "[Mine]\nMODELNAME=CD-R/RW KP2140A\nATAPI=FALSE\nTC_ENABLE=FALSE\nTC_OFFSET=8\n"
              "[Later]\nMODELNAME=CD-R/RW KP2140A\nTC_OFFSET=C\n");
    CParamFile file(dir.File("params.ini"));
    CDriveParamList loaded;
    file.Load(loaded);
    testsupport::SimMachineScope program(
        ProgramAt(dir.File("cdrwupdate")));  // a simulated machine without drives
    CDriveController controller(VER_PLATFORM_WIN32_NT, nullptr, &loaded);

    ASSERT_EQ(controller.m_driveParams.size(), 12u);
    std::vector<std::string> order;
    for (const DriveParam& p : controller.m_driveParams) {
        order.push_back(p.productName.empty() ? p.modelName : "[" + p.productName + "]");
    }
    EXPECT_EQ(order.front(), "[Mine]");
    EXPECT_EQ(order[1], "[Later]");
    EXPECT_EQ(order[2], "CD-R/RW KP2140A");
    EXPECT_EQ(order.back(), "CD-R/RW KP318S");

    DriveParam match;
    ASSERT_EQ(controller.FindDriveParam(Inquiry("CD-R/RW KP2140A").data(), match), 1);
    EXPECT_EQ(match.productName, "Mine");
    EXPECT_EQ(match.typeCodeOffset, 8u);
    ASSERT_EQ(controller.FindDriveParam(Inquiry("CD-R/RW KP2160S").data(), match), 1);
    EXPECT_EQ(match.productName, "");
    EXPECT_EQ(match.atapi, 0);
}

TEST(BuiltinDriveTable, EmptyModelNameInTheFileHidesEveryBuiltInRow) {
    testsupport::TempDir dir;
    CParamFile file(dir.File("params.ini"));
    DriveParam any;
    any.productName = "Any";
    any.typeCodeOffset = 4;
    ASSERT_TRUE(file.Save({any}));
    CDriveParamList loaded;
    file.Load(loaded);
    testsupport::SimMachineScope program(ProgramAt(dir.File("cdrwupdate")));
    CDriveController controller(VER_PLATFORM_WIN32_NT, nullptr, &loaded);
    DriveParam match;
    ASSERT_EQ(controller.FindDriveParam(Inquiry("CD-R/RW KP2140A").data(), match), 1);
    EXPECT_EQ(match.productName, "Any");
}

}  // namespace
