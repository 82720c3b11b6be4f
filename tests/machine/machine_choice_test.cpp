// Which machine answers: the description named by CDRWUPDATE_MACHINE, or one a test installs.
#include <gtest/gtest.h>

#include "tests/support/sim_fixture.h"
#include "winapi/windows.h"

namespace {

TEST(MachineChoice, EnvironmentNamesTheDescriptionFile) {
    testsupport::TempDir dir;
    std::string path =
        dir.Write("test.machine", "[machine]\nplatform = 1\n[letter Q]\ntype = cdrom\n");
    testsupport::ScopedEnv env("CDRWUPDATE_MACHINE", path.c_str());
    machine::sim::ScopedMachine fresh(nullptr);  // the default choice is made anew
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, 1u);
    EXPECT_EQ(GetLogicalDrives(), 1u << ('Q' - 'A'));
}

TEST(MachineChoiceDeathTest, UnreadableDescriptionStopsTheProgramWithTheReason) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testsupport::TempDir dir;
    std::string path = dir.Write("bad.machine", "[machine]\nclock = sometimes\n");
    EXPECT_EXIT(
        {
            testsupport::ScopedEnv env("CDRWUPDATE_MACHINE", path.c_str());
            machine::Install(nullptr);
            machine::Active();
        },
        ::testing::ExitedWithCode(2), "bad.machine: line 2: clock: real or virtual");
}

TEST(MachineChoice, ScopedMachinePutsThePreviousBack) {
    testsupport::SimMachineScope outer("[machine]\nplatform = 1\n");
    {
        testsupport::SimMachineScope inner("[machine]\nplatform = 7\n");
        EXPECT_EQ(&machine::Active(), &inner.sim());
    }
    EXPECT_EQ(&machine::Active(), &outer.sim());
}

}  // namespace
