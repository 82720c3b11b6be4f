// Drive letters and MS-DOS device names.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/sim_fixture.h"
#include "winapi/windows.h"

namespace {

const char* const kMachine = R"(
[letter C]
type = fixed
[drive cd]
names = CdRom0 PhysicalDrive1
letter = E
[letter Z]
type = remote
[letter M]
type = no-root
[dos-device AUX]
target = \Device\Serial0
)";

TEST(Drives, LettersAndTheirTypes) {
    testsupport::SimMachineScope sim(kMachine);
    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 4) | (1u << 25) | (1u << 12));
    struct Case {
        const char* root;
        UINT type;
    } cases[] = {{"C:\\", DRIVE_FIXED},
                 {"e:\\", DRIVE_CDROM},
                 {"E:", DRIVE_CDROM},
                 {"Z:\\", DRIVE_REMOTE},
                 {"M:\\", DRIVE_NO_ROOT_DIR},
                 {"D:\\", DRIVE_NO_ROOT_DIR},
                 {"\\\\server\\", DRIVE_NO_ROOT_DIR}};
    for (const Case& c : cases) EXPECT_EQ(GetDriveTypeA(c.root), c.type) << c.root;
}

TEST(Drives, AllNamesEachEndedAndOneMoreNulAtTheEnd) {
    testsupport::SimMachineScope sim(kMachine);
    std::string names;
    for (const char* n : {"C:", "CdRom0", "PhysicalDrive1", "E:", "Z:", "M:", "AUX"})
        names += std::string(n) + '\0';
    names += '\0';
    const DWORD all = static_cast<DWORD>(names.size());
    struct Case {
        DWORD size;
        DWORD result;
    } cases[] = {{65535, all}, {all, all}, {all - 1, 0}, {1, 0}, {0, 0}};
    for (const Case& c : cases) {
        std::string buf(65535, '#');
        SetLastError(0);
        DWORD n = QueryDosDeviceA(nullptr, &buf[0], c.size);
        EXPECT_EQ(n, c.result) << c.size;
        if (c.result == 0) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << c.size;
            EXPECT_EQ(buf[0], '#') << c.size;  // nothing written
        } else {
            EXPECT_EQ(buf.substr(0, n), names) << c.size;
        }
    }
}

TEST(Drives, NoNamesIsOneNul) {
    testsupport::SimMachineScope sim("");
    char buf[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(QueryDosDeviceA(nullptr, buf, sizeof buf), 1u);
    EXPECT_EQ(buf[0], '\0');
}

TEST(Drives, ANameGivesItsTarget) {
    testsupport::SimMachineScope sim(kMachine);
    char buf[64];
    struct Case {
        const char* name;
        const char* target;
    } cases[] = {{"CdRom0", "\\Device\\CdRom0"},
                 {"cdrom0", "\\Device\\CdRom0"},
                 {"AUX", "\\Device\\Serial0"},
                 {"E:", "\\Device\\CdRom0"}};
    for (const Case& c : cases) {
        DWORD n = QueryDosDeviceA(c.name, buf, sizeof buf);
        EXPECT_EQ(n, std::strlen(c.target) + 2) << c.name;
        EXPECT_STREQ(buf, c.target) << c.name;
        EXPECT_EQ(buf[n - 1], '\0');
    }
    EXPECT_EQ(QueryDosDeviceA("CdRom0", buf, 15), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(QueryDosDeviceA("CdRom7", buf, sizeof buf), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
