// The Linux host behind the Windows services, called as the program calls them.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/machine/linux_fixture.h"
#include "winapi/ntddscsi.h"
#include "winapi/windows.h"

namespace linux_test {
namespace {

class LinuxHostServices : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.AddHost(0);
        tree.AddHost(1);
        tree.AddDevice({"0:0:0:0", Inquiry(0, "ATA", "DISK", "1"), "sda", "sg0"});
        tree.AddDevice({"1:0:1:0", Inquiry(5, "", "DVD/CDRW KP5470", "1.00"), "sr0", "sg1"});
        h = MakeHost(tree, {"systemctl", "--no-ask-password", "poweroff"});
        system = h->system;
        machine::Install(std::move(h->host));
    }
    void TearDown() override { machine::Install(nullptr); }

    HostTree tree;
    std::unique_ptr<HostUnderTest> h;
    std::shared_ptr<FakeSystem> system;
};

TEST_F(LinuxHostServices, TheProgramSeesTheNtFamilyPortsNamesAndNoDriveLetters) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(GetLogicalDrives(), 0u);

    std::vector<char> names(65535);
    ASSERT_NE(QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size())), 0u);
    EXPECT_EQ(std::string(names.data(), 22), std::string("CdRom0\0PhysicalDrive0\0", 22));
    EXPECT_EQ(names[22], '\0');

    for (int port = 0; port < 3; ++port) {
        const std::string path = "\\\\.\\Scsi" + std::to_string(port) + ":";
        HANDLE handle =
            CreateFileA(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (port == 2) {
            EXPECT_EQ(handle, INVALID_HANDLE_VALUE);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
            break;
        }
        ASSERT_NE(handle, INVALID_HANDLE_VALUE) << path;
        std::vector<uint8_t> buf(10240);
        DWORD got = 0;
        EXPECT_TRUE(DeviceIoControl(handle, IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, buf.data(),
                                    static_cast<DWORD>(buf.size()), &got, nullptr));
        EXPECT_GT(got, sizeof(SCSI_ADAPTER_BUS_INFO)) << path;
        EXPECT_TRUE(CloseHandle(handle));
    }
}

TEST_F(LinuxHostServices, ACommandTravelsFromCreateFileToSgIoAndTheHandleClosesTheNode) {
    HANDLE handle = CreateFileA("\\\\.\\CdRom0", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    SCSI_ADDRESS address{};
    DWORD got = 0;
    ASSERT_TRUE(DeviceIoControl(handle, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address,
                                sizeof address, &got, nullptr));
    EXPECT_EQ(address.PortNumber, 1);
    EXPECT_EQ(address.TargetId, 1);

    SCSI_PASS_THROUGH_DIRECT spt{};
    spt.Length = sizeof spt;
    spt.CdbLength = 12;
    spt.Cdb[0] = 0xE4;
    spt.Cdb[9] = 0x40;
    spt.DataIn = SCSI_IOCTL_DATA_UNSPECIFIED;
    spt.TimeOutValue = 10;
    EXPECT_TRUE(DeviceIoControl(handle, IOCTL_SCSI_PASS_THROUGH_DIRECT, &spt, sizeof spt, &spt,
                                sizeof spt, &got, nullptr));
    ASSERT_EQ(system->commands.size(), 1u);
    EXPECT_EQ(system->commands[0].path, tree.Node("sg1"));
    EXPECT_EQ(system->commands[0].cdb,
              (std::vector<uint8_t>{0xE4, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0}));
    EXPECT_TRUE(FlushFileBuffers(handle));
    EXPECT_TRUE(CloseHandle(handle));
    EXPECT_EQ(system->openDescriptors, 0);
}

TEST_F(LinuxHostServices, ADriveTheUserMayNotUseDoesNotOpen) {
    system->refuseAccess[tree.Node("sg1")] = EACCES;
    system->refuseOpen[tree.Node("sg1")] = EACCES;
    for (DWORD access : {DWORD{0}, DWORD{GENERIC_READ | GENERIC_WRITE}, DWORD{GENERIC_READ}}) {
        EXPECT_EQ(CreateFileA("\\\\.\\CdRom0", access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
}

// The program's way to switch off: privilege, then ExitWindowsEx; here it reaches the service
// manager's command, which the fake records instead of running.
TEST_F(LinuxHostServices, PowerOffAsksTheServiceManager) {
    const struct {
        bool findable;
        int status;
        bool ran, result;
    } cases[] = {{true, 0, true, true}, {true, 1, true, false}, {false, 0, false, false}};
    for (const auto& c : cases) {
        SetUp();  // a machine whose privilege was never enabled
        system->programs =
            c.findable ? std::vector<std::string>{"systemctl"} : std::vector<std::string>{};
        system->runStatus = c.status;
        HANDLE token = nullptr;
        ASSERT_TRUE(
            OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        ASSERT_TRUE(
            LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid));
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
        CloseHandle(token);
        EXPECT_EQ(ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0) != 0, c.result);
        if (c.ran) {
            EXPECT_EQ(system->runs, (std::vector<std::vector<std::string>>{
                                        {"systemctl", "--no-ask-password", "poweroff"}}));
        } else {
            EXPECT_TRUE(system->runs.empty());
        }
    }
}

}  // namespace
}  // namespace linux_test
