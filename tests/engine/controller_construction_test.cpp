// The controller picks its transport by platform, loads WNASPI32.DLL only when it was given
// none (and frees only that load), and puts the parameter file's entries before the
// built-in rows.
#include <gtest/gtest.h>

#include "engine/drive_controller.h"
#include "params/builtin_drive_table.h"
#include "tests/support/sim_fixture.h"

namespace {

const char* const kWindows98WithAspi = R"(
[machine]
platform = 1
[aspi]
[adapter 0]
)";

const char* const kWindows98WithoutAspi = R"(
[machine]
platform = 1
)";

const char* const kNt = R"(
[machine]
platform = 2
)";

const char* const kWin32s = R"(
[machine]
platform = 0
)";

TEST(ControllerConstructionTest, PlatformChoosesTheTransport) {
    const struct {
        const char* name;
        const char* machine;
        int platformArgument;
        int expectedPlatform;
        bool aspi;
        bool passThrough;
    } cases[] = {
        {"Windows 98", kWindows98WithAspi, 1, 1, true, false},
        {"Windows 98 without WNASPI32.DLL", kWindows98WithoutAspi, 1, 1, false, false},
        {"NT", kNt, 2, 2, false, true},
        {"unrecognised platform id", kNt, 3, 3, false, true},
        {"probed: Windows 98", kWindows98WithAspi, 0, 1, true, false},
        {"probed: NT", kNt, 0, 2, false, true},
        {"probed: neither family", kWin32s, 0, 0, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::SimMachineScope sim(c.machine);
        CDriveController controller(c.platformArgument, nullptr, nullptr);
        EXPECT_EQ(controller.m_platform, c.expectedPlatform);
        EXPECT_EQ(controller.m_aspi != nullptr, c.aspi);
        EXPECT_EQ(controller.m_passThrough != nullptr, c.passThrough);
        EXPECT_EQ(controller.m_ntKind, 0);
        EXPECT_EQ(controller.m_ntNumber, -1);
        EXPECT_EQ(controller.m_atapi, 0);
    }
}

TEST(ControllerConstructionTest, OwnLoadOfTheAspiModuleIsFreedWithTheController) {
    testsupport::SimMachineScope sim(kWindows98WithAspi);
    HMODULE module = nullptr;
    {
        CDriveController controller(1, nullptr, nullptr);
        module = controller.m_aspiModule;
        ASSERT_NE(module, nullptr);
        EXPECT_EQ(controller.m_ownedAspiModule, module);
        EXPECT_NE(GetProcAddress(module, "SendASPI32Command"), nullptr);
    }
    EXPECT_EQ(GetProcAddress(module, "SendASPI32Command"), nullptr);
    EXPECT_EQ(sim->LoadedAspiModule(), nullptr);
}

TEST(ControllerConstructionTest, HandedInModuleIsNeverFreed) {
    testsupport::SimMachineScope sim(kWindows98WithAspi);
    HMODULE module = LoadLibraryA("WNASPI32.DLL");
    ASSERT_NE(module, nullptr);
    {
        CDriveController controller(1, module, nullptr);
        EXPECT_EQ(controller.m_aspiModule, module);
        EXPECT_EQ(controller.m_ownedAspiModule, nullptr);
        EXPECT_NE(controller.m_aspi, nullptr);
    }
    EXPECT_NE(GetProcAddress(module, "SendASPI32Command"), nullptr);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetProcAddress(module, "SendASPI32Command"), nullptr);
}

TEST(ControllerConstructionTest, NtControllerLoadsNoModule) {
    testsupport::SimMachineScope sim(R"(
[machine]
platform = 2
[aspi]
)");
    CDriveController controller(2, nullptr, nullptr);
    EXPECT_EQ(controller.m_aspiModule, nullptr);
    EXPECT_EQ(sim->LoadedAspiModule(), nullptr);
}

std::vector<std::string> ModelNames(const CDriveParamList& params) {
    std::vector<std::string> names;
    for (const DriveParam& p : params) names.push_back(p.modelName);
    return names;
}

TEST(ControllerConstructionTest, WithoutFileEntriesTheTenBuiltInRowsRemainInOrder) {
    testsupport::SimMachineScope sim(kNt);
    const CDriveParamList empty;
    for (const CDriveParamList* given : {static_cast<const CDriveParamList*>(nullptr), &empty}) {
        CDriveController controller(2, nullptr, given);
        ASSERT_EQ(controller.m_driveParams.size(), 10u);
        const BuiltinDriveRow* row = BuiltinDriveTable;
        for (const DriveParam& p : controller.m_driveParams) {
            EXPECT_EQ(p.productName, "");
            EXPECT_EQ(p.modelName, row->modelName);
            EXPECT_EQ(p.typeCodeOffset, row->typeCodeOffset);
            EXPECT_EQ(p.atapi, row->atapi);
            EXPECT_EQ(p.typeCodeEnable, row->typeCodeEnable);
            ++row;
        }
    }
}

TEST(ControllerConstructionTest, FileEntriesComeFirstAndNothingIsMerged) {
    testsupport::SimMachineScope sim(kNt);
    CDriveParamList file;
    file.push_back({"NXB-A", "CD-R/RW KP2140A", 0x8004, 0, 0});
    file.push_back({"OTHER", "", 4, 1, 1});
    CDriveController controller(2, nullptr, &file);

    const std::vector<std::string> names = ModelNames(controller.m_driveParams);
    ASSERT_EQ(names.size(), 12u);
    EXPECT_EQ(names[0], "CD-R/RW KP2140A");
    EXPECT_EQ(names[1], "");
    EXPECT_EQ(names[2], "CD-R/RW KP2140A");  // the built-in row of the same model stays
    EXPECT_EQ(names[11], "CD-R/RW KP318S");
    const DriveParam& first = controller.m_driveParams.front();
    EXPECT_EQ(first.productName, "NXB-A");
    EXPECT_EQ(first.typeCodeOffset, 0x8004u);
    EXPECT_EQ(first.atapi, 0);
    EXPECT_EQ(first.typeCodeEnable, 0);
    // The controller keeps copies: the caller's list may go.
    file.clear();
    EXPECT_EQ(controller.m_driveParams.size(), 12u);
}

}  // namespace
