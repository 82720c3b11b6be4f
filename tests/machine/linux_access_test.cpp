// Drives the user may not use: the program sees them as unusable, and one line on standard
// error names the device and the missing right.
#include <gtest/gtest.h>

#include "tests/machine/linux_fixture.h"
#include "winapi/ntddscsi.h"

namespace linux_test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class LinuxAccess : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.AddHost(0);
        tree.AddDevice({"0:0:1:0", Inquiry(5, "", "CDRW", "1.0"), "sr0", "sg1"});
        tree.AddDevice({"0:0:0:0", Inquiry(0, "ATA", "DISK", "1"), "sda", "sg0"});
        h = MakeHost(tree);
    }

    bool Open(const std::string& path, DWORD access, DWORD* error = nullptr) {
        DWORD e = 0;
        bool opened = h->host->OpenDevice(path, access, FILE_SHARE_READ, e) != nullptr;
        if (error) *error = e;
        return opened;
    }

    HostTree tree;
    std::unique_ptr<HostUnderTest> h;
};

TEST_F(LinuxAccess, AGenericNodeWithoutReadWritePermissionMakesTheDriveUnusable) {
    h->system->refuseOpen[tree.Node("sg1")] = EACCES;
    h->system->refuseAccess[tree.Node("sg1")] = EACCES;
    DWORD error = 0;
    for (DWORD access : {DWORD{GENERIC_READ | GENERIC_WRITE}, DWORD{GENERIC_READ}, DWORD{0}}) {
        EXPECT_FALSE(Open("\\\\.\\CdRom0", access, &error)) << access;
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    ASSERT_EQ(h->lines.size(), 1u);
    const std::string& line = h->lines[0];
    EXPECT_TRUE(Contains(line, tree.Node("sr0"))) << line;
    EXPECT_TRUE(Contains(line, "SCSI 0:0:1:0")) << line;
    EXPECT_TRUE(Contains(line, "no read and write permission on " + tree.Node("sg1"))) << line;
    EXPECT_EQ(h->system->openDescriptors, 0);
}

TEST_F(LinuxAccess, OnlyTheReadOnlyRefusalOfTheBlockNodeIsReported) {
    // The program asks for read and write first, then for read alone.
    h->system->refuseAccess[tree.Node("sr0")] = EACCES;
    EXPECT_FALSE(Open("\\\\.\\CdRom0", GENERIC_READ | GENERIC_WRITE));
    EXPECT_TRUE(h->lines.empty());
    EXPECT_FALSE(Open("\\\\.\\CdRom0", GENERIC_READ));
    ASSERT_EQ(h->lines.size(), 1u);
    EXPECT_TRUE(Contains(h->lines[0], "no read permission on " + tree.Node("sr0"))) << h->lines[0];
}

TEST_F(LinuxAccess, AnAddressQueryOnAnUnusableCdRomFailsSoTheDriveIsNeverTiedToAPath) {
    const struct {
        std::string refused;
        std::string right;
    } cases[] = {{"sr0", "no read permission on "}, {"sg1", "no read and write permission on "}};
    for (const auto& c : cases) {
        SetUp();
        h->system->refuseAccess[tree.Node(c.refused)] = EACCES;
        DWORD error = 0;
        EXPECT_FALSE(Open("\\\\.\\CdRom0", 0, &error)) << c.refused;
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
        ASSERT_EQ(h->lines.size(), 1u);
        EXPECT_TRUE(Contains(h->lines[0], c.right + tree.Node(c.refused))) << h->lines[0];
    }
}

TEST_F(LinuxAccess, DisksAreOnlyLookedUpForTheirAddress) {
    h->system->refuseAccess[tree.Node("sda")] = EACCES;
    h->system->refuseAccess[tree.Node("sg0")] = EACCES;
    EXPECT_TRUE(Open("\\\\.\\PhysicalDrive0", 0));
    EXPECT_TRUE(h->lines.empty());
}

TEST_F(LinuxAccess, WithoutTheSgDriverTheLineSaysSo) {
    HostTree bare;
    bare.AddHost(0);
    bare.AddDevice({"0:0:1:0", Inquiry(5, "", "CDRW", "1.0"), "sr0", ""});
    auto host = MakeHost(bare);
    for (DWORD access : {DWORD{0}, DWORD{GENERIC_READ | GENERIC_WRITE}}) {
        DWORD error = 0;
        EXPECT_FALSE(host->host->OpenDevice("\\\\.\\CdRom0", access, FILE_SHARE_READ, error));
    }
    ASSERT_EQ(host->lines.size(), 1u);
    EXPECT_TRUE(Contains(host->lines[0], "sg driver is not loaded")) << host->lines[0];
    EXPECT_TRUE(Contains(host->lines[0], "modprobe sg")) << host->lines[0];
    EXPECT_EQ(host->system->openDescriptors, 0);
}

TEST_F(LinuxAccess, AMissingNodeIsNamed) {
    HostTree bare;
    bare.AddHost(0);
    DeviceSpec spec{"0:0:1:0", Inquiry(5, "", "CDRW", "1.0"), "sr0", "sg1"};
    spec.nodes = false;
    bare.AddDevice(spec);
    auto host = MakeHost(bare);
    DWORD error = 0;
    EXPECT_FALSE(host->host->OpenDevice("\\\\.\\CdRom0", 0, FILE_SHARE_READ, error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(host->lines.size(), 1u);
    EXPECT_TRUE(Contains(host->lines[0], bare.Node("sr0") + " does not exist")) << host->lines[0];
}

TEST_F(LinuxAccess, ACommandTheKernelRefusesIsReportedOnce) {
    DWORD error = 0;
    auto drive =
        h->host->OpenDevice("\\\\.\\CdRom0", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, error);
    ASSERT_TRUE(drive);
    h->system->answer = [](const std::string&, sg_io_hdr_t&) { return -EPERM; };
    for (int i = 0; i < 2; ++i) {
        SCSI_PASS_THROUGH_DIRECT spt{};
        spt.Length = sizeof spt;
        spt.CdbLength = 10;
        spt.Cdb[0] = 0xE4;
        spt.DataIn = SCSI_IOCTL_DATA_UNSPECIFIED;
        DWORD returned = 0;
        EXPECT_EQ(drive->IoControl(IOCTL_SCSI_PASS_THROUGH_DIRECT, &spt, sizeof spt, &spt,
                                   sizeof spt, returned),
                  static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    ASSERT_EQ(h->lines.size(), 1u);
    EXPECT_TRUE(Contains(h->lines[0], "refused a command sent through " + tree.Node("sg1")))
        << h->lines[0];
}

TEST(LinuxPowerOff, TheServiceManagerIsAskedAndItsAnswerCounts) {
    HostTree tree;
    const struct {
        UINT flags;
        int status;
        bool ran, result;
    } cases[] = {{EWX_SHUTDOWN | EWX_POWEROFF, 0, true, true},
                 {EWX_SHUTDOWN, 0, true, true},
                 {EWX_SHUTDOWN | EWX_POWEROFF, 1, true, false},
                 {EWX_SHUTDOWN | EWX_POWEROFF, -1, true, false},
                 {EWX_REBOOT, 0, false, false},
                 {EWX_LOGOFF, 0, false, false}};
    for (const auto& c : cases) {
        auto h = MakeHost(tree, {"systemctl", "--no-ask-password", "poweroff"});
        h->system->runStatus = c.status;
        EXPECT_EQ(h->host->PowerOff(c.flags), c.result) << c.flags << " " << c.status;
        if (c.ran) {
            EXPECT_EQ(h->system->runs, (std::vector<std::vector<std::string>>{
                                           {"systemctl", "--no-ask-password", "poweroff"}}));
        } else {
            EXPECT_TRUE(h->system->runs.empty());
        }
        EXPECT_EQ(h->lines.size(), c.ran && !c.result ? 1u : 0u);
    }
}

TEST(LinuxPowerOff, PowerOffIsAllowedOnlyWhenTheCommandCanBeFound) {
    HostTree tree;
    auto h = MakeHost(tree, {"systemctl", "poweroff"});
    EXPECT_FALSE(h->host->MayPowerOff());
    h->system->programs = {"systemctl"};
    EXPECT_TRUE(h->host->MayPowerOff());
    auto none = MakeHost(tree, {});
    none->system->programs = {""};
    EXPECT_FALSE(none->host->MayPowerOff());
    EXPECT_FALSE(none->host->PowerOff(EWX_SHUTDOWN | EWX_POWEROFF));
}

}  // namespace
}  // namespace linux_test
