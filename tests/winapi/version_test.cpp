// GetVersionExA reports the machine's platform.
#include <gtest/gtest.h>

#include "tests/support/sim_fixture.h"
#include "winapi/windows.h"

namespace {

TEST(Version, ReportsThePlatformOrFails) {
    struct Case {
        const char* platform;
        bool ok;
        DWORD id, major;
    } cases[] = {{"1", true, 1, 4},
                 {"2", true, 2, 5},
                 {"3", true, 3, 5},
                 {"0", true, 0, 5},
                 {"fail", false, 0, 0}};
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(std::string("[machine]\nplatform = ") + c.platform + "\n");
        OSVERSIONINFOA info;
        info.dwOSVersionInfoSize = sizeof info;
        info.dwPlatformId = 77;
        EXPECT_EQ(GetVersionExA(&info) != FALSE, c.ok) << c.platform;
        EXPECT_EQ(info.dwPlatformId, c.ok ? c.id : 77u) << c.platform;
        EXPECT_EQ(c.ok ? info.dwMajorVersion : 0u, c.major) << c.platform;
    }
}

TEST(Version, StructureSizeMustBeGiven) {
    testsupport::SimMachineScope sim(
        "[machine]\nplatform = 2\nversion = 6.1.7601\nservice-pack = Service Pack 1\n");
    OSVERSIONINFOA info = {};
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    info.dwOSVersionInfoSize = 148;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwBuildNumber, 7601u);
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 1");
}

}  // namespace
