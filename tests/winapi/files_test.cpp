// CreateFileA on ordinary paths (the real file system) and on device paths (the machine).
#include <gtest/gtest.h>

#include "tests/support/sim_fixture.h"
#include "winapi/windows.h"

namespace {

HANDLE Create(const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, 0, nullptr);
}

TEST(Files, OrdinaryPathsFollowTheCreationDisposition) {
    testsupport::TempDir dir;
    std::string existing = dir.Write("there.bin", "data");
    std::string missing = dir.File("missing.bin");
    struct Case {
        std::string path;
        DWORD access, disposition;
        DWORD error;  // 0: opens
    } cases[] = {
        {existing, GENERIC_READ, OPEN_EXISTING, 0},
        {missing, GENERIC_READ, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {existing, GENERIC_WRITE, CREATE_NEW, ERROR_FILE_EXISTS},
        {dir.File("new.bin"), GENERIC_WRITE, CREATE_NEW, 0},
        {dir.File("always.bin"), GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, 0},
        {dir.File("no/such/folder.bin"), GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {existing + "/below", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {existing, GENERIC_READ, 99, ERROR_INVALID_PARAMETER},
        {"", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        HANDLE h = Create(c.path, c.access, c.disposition);
        if (c.error == 0) {
            EXPECT_NE(h, INVALID_HANDLE_VALUE) << c.path;
            EXPECT_TRUE(FlushFileBuffers(h)) << c.path;
            EXPECT_TRUE(CloseHandle(h)) << c.path;
        } else {
            EXPECT_EQ(h, INVALID_HANDLE_VALUE) << c.path;
            EXPECT_EQ(GetLastError(), c.error) << c.path;
        }
    }
    // CREATE_ALWAYS empties an existing file.
    CloseHandle(Create(existing, GENERIC_WRITE, CREATE_ALWAYS));
    EXPECT_TRUE(dir.Read("there.bin").empty());
}

TEST(Files, FilesAnswerNoIoControl) {
    testsupport::TempDir dir;
    HANDLE h = Create(dir.Write("f", "x"), GENERIC_READ, OPEN_EXISTING);
    DWORD returned = 7;
    EXPECT_FALSE(DeviceIoControl(h, 0x4100C, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_EQ(returned, 0u);
    CloseHandle(h);
}

TEST(Files, DevicePathsGoToTheMachine) {
    testsupport::SimMachineScope sim("[drive cd]\nnames = CdRom0\n");
    HANDLE h = CreateFileA("\\\\.\\CdRom0", 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(sim->OpenDevices(), 1);
    EXPECT_TRUE(FlushFileBuffers(h));
    DWORD returned;
    EXPECT_FALSE(DeviceIoControl(h, 0x12345, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    // Without an OVERLAPPED structure the count has to go somewhere.
    EXPECT_FALSE(DeviceIoControl(h, 0x41018, nullptr, 0, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(sim->OpenDevices(), 0);
    EXPECT_FALSE(DeviceIoControl(h, 0x41018, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Files, AFileNamedLikeADeviceWithoutThePrefixIsAFile) {
    testsupport::SimMachineScope sim("[drive cd]\nnames = CdRom0\n");
    EXPECT_EQ(Create("CdRom0", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(sim->DeviceEvents().empty());
}

}  // namespace
