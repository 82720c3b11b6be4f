// Drive paths on the Linux host: MS-DOS device names, opening \\.\CdRomN and
// \\.\PhysicalDriveN, and the SCSI address each reports.
#include <fcntl.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include "tests/machine/linux_fixture.h"
#include "winapi/ntddscsi.h"

namespace linux_test {
namespace {

// Two hosts with a disk, two CD-ROM drives (sr numbers not in address order) and a second
// disk on a later host than the first.
void BuildMachine(HostTree& tree) {
    tree.AddHost(0);
    tree.AddHost(3);
    tree.AddHost(4);
    tree.AddDevice({"3:0:0:0", Inquiry(0, "ATA", "DISK-B", "1"), "sdb", "sg3"});
    tree.AddDevice({"0:0:0:0", Inquiry(0, "ATA", "DISK-A", "1"), "sda", "sg0"});
    tree.AddDevice({"0:0:1:0", Inquiry(5, "", "CD-ONE", "1"), "sr1", "sg1"});
    tree.AddDevice({"4:0:2:3", Inquiry(5, "", "CD-ZERO", "1"), "sr0", "sg2"});
}

bool AddressOf(machine::Machine& host, const std::string& path, SCSI_ADDRESS& address) {
    DWORD error = 0, returned = 0;
    auto device = host.OpenDevice(path, 0, FILE_SHARE_READ, error);
    if (!device) return false;
    address = {};
    return device->IoControl(IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof address,
                             returned) == ERROR_SUCCESS &&
           returned == sizeof address;
}

TEST(LinuxDrives, DosDeviceNamesNameEveryCdRomAndDisk) {
    HostTree tree;
    BuildMachine(tree);
    auto h = MakeHost(tree);
    EXPECT_EQ(h->host->DosDeviceNames(),
              (std::vector<std::string>{"CdRom1", "CdRom0", "PhysicalDrive0", "PhysicalDrive1"}));
    EXPECT_EQ(h->host->LogicalDrives(), 0u);
    EXPECT_EQ(h->host->DriveType("E:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
}

TEST(LinuxDrives, EachPathReportsItsPortBusTargetAndLun) {
    HostTree tree;
    BuildMachine(tree);
    tree.AddDevice({"3:2:5:1", Inquiry(5, "", "CD-TWO", "1"), "sr2", "sg4"});
    auto h = MakeHost(tree);
    const struct {
        const char* path;
        int port, bus, target, lun;
    } cases[] = {
        {"\\\\.\\CdRom0", 2, 0, 2, 3},         {"\\\\.\\CdRom1", 0, 0, 1, 0},
        {"\\\\.\\CdRom2", 1, 2, 5, 1},         {"\\\\.\\PhysicalDrive0", 0, 0, 0, 0},
        {"\\\\.\\PhysicalDrive1", 1, 0, 0, 0}, {"\\\\.\\cdrom1", 0, 0, 1, 0},
    };
    for (const auto& c : cases) {
        SCSI_ADDRESS a;
        ASSERT_TRUE(AddressOf(*h->host, c.path, a)) << c.path;
        EXPECT_EQ(a.Length, sizeof a) << c.path;
        EXPECT_EQ(a.PortNumber, c.port) << c.path;
        EXPECT_EQ(a.PathId, c.bus) << c.path;
        EXPECT_EQ(a.TargetId, c.target) << c.path;
        EXPECT_EQ(a.Lun, c.lun) << c.path;
    }
}

TEST(LinuxDrives, PathsThatNameNothingDoNotOpen) {
    HostTree tree;
    BuildMachine(tree);
    auto h = MakeHost(tree);
    for (const char* path :
         {"\\\\.\\CdRom2", "\\\\.\\CdRom01", "\\\\.\\PhysicalDrive2", "\\\\.\\E:", "\\\\.\\Scsi0",
          "\\\\.\\Scsi-1:", "\\\\.\\Tape0", "CdRom0", "\\\\.\\CdRom"}) {
        DWORD error = 0;
        EXPECT_FALSE(h->host->OpenDevice(path, GENERIC_READ, FILE_SHARE_READ, error)) << path;
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << path;
    }
    EXPECT_TRUE(h->system->opens.empty());
}

TEST(LinuxDrives, OpeningACdRomChecksItsBlockNodeAsAskedAndOpensOnlyItsGenericNode) {
    HostTree tree;
    BuildMachine(tree);
    auto h = MakeHost(tree);
    const struct {
        DWORD access;
        int mode;
    } cases[] = {{GENERIC_READ | GENERIC_WRITE, R_OK | W_OK}, {GENERIC_READ, R_OK}};
    for (const auto& c : cases) {
        h->system->opens.clear();
        h->system->accesses.clear();
        DWORD error = 0;
        auto device = h->host->OpenDevice("\\\\.\\CdRom0", c.access, FILE_SHARE_READ, error);
        ASSERT_TRUE(device);
        ASSERT_EQ(h->system->accesses.size(), 1u);
        EXPECT_EQ(h->system->accesses[0].path, tree.Node("sr0"));
        EXPECT_EQ(h->system->accesses[0].mode, c.mode);
        // Opening the block node would make the kernel send commands of its own.
        ASSERT_EQ(h->system->opens.size(), 1u);
        EXPECT_EQ(h->system->opens[0].path, tree.Node("sg2"));
        EXPECT_EQ(h->system->opens[0].flags, O_RDWR | O_NONBLOCK);
        device.reset();
        EXPECT_EQ(h->system->openDescriptors, 0);
    }
}

TEST(LinuxDrives, AnAddressQueryOpensNoNode) {
    HostTree tree;
    BuildMachine(tree);
    auto h = MakeHost(tree);
    SCSI_ADDRESS a;
    EXPECT_TRUE(AddressOf(*h->host, "\\\\.\\CdRom0", a));
    EXPECT_TRUE(AddressOf(*h->host, "\\\\.\\PhysicalDrive0", a));
    EXPECT_TRUE(h->system->opens.empty());
}

TEST(LinuxDrives, AnAddressBufferTooSmallFails) {
    HostTree tree;
    BuildMachine(tree);
    auto h = MakeHost(tree);
    DWORD error = 0, returned = 0;
    auto device = h->host->OpenDevice("\\\\.\\CdRom0", 0, FILE_SHARE_READ, error);
    ASSERT_TRUE(device);
    SCSI_ADDRESS a{};
    EXPECT_EQ(device->IoControl(IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &a, sizeof a - 1, returned),
              static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(LinuxDrives, RefusalsGiveTheirWin32Error) {
    const struct {
        const char* node;
        bool atOpen;  // refused by open(2), else by the rights check
        int err;
        DWORD win32;
    } cases[] = {
        {"sr0", false, EACCES, ERROR_ACCESS_DENIED}, {"sr0", false, EROFS, ERROR_ACCESS_DENIED},
        {"sg2", true, EACCES, ERROR_ACCESS_DENIED},  {"sg2", true, EBUSY, ERROR_SHARING_VIOLATION},
        {"sg2", true, ENXIO, ERROR_FILE_NOT_FOUND},  {"sg2", true, ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
        {"sg2", true, EIO, ERROR_IO_DEVICE}};
    HostTree tree;
    BuildMachine(tree);
    auto h = MakeHost(tree);
    for (const auto& c : cases) {
        h->system->refuseOpen.clear();
        h->system->refuseAccess.clear();
        (c.atOpen ? h->system->refuseOpen : h->system->refuseAccess)[tree.Node(c.node)] = c.err;
        DWORD error = 0;
        EXPECT_FALSE(h->host->OpenDevice("\\\\.\\CdRom0", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ, error));
        EXPECT_EQ(error, c.win32) << c.node << " " << c.err;
        EXPECT_EQ(h->system->openDescriptors, 0);
    }
}

TEST(LinuxDrives, TheHostReportsTheNtFamilyAndNoAspiModule) {
    HostTree tree;
    auto h = MakeHost(tree);
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(h->host->Version(info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    DWORD error = 0;
    EXPECT_FALSE(h->host->LoadModule("WNASPI32.DLL", error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

}  // namespace
}  // namespace linux_test
