// IOCTL_SCSI_PASS_THROUGH_DIRECT on the Linux host: one SG_IO on the drive's generic node.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "tests/machine/linux_fixture.h"
#include "winapi/ntddscsi.h"

namespace linux_test {
namespace {

// The request travels as the program sends it: structure, filler, 14-byte sense area.
struct Block {
    SCSI_PASS_THROUGH_DIRECT spt;
    ULONG filler;
    UCHAR sense[14];
    UCHAR spare[2];
};

Block Request(std::vector<uint8_t> cdb, UCHAR dataIn, void* buffer, ULONG length,
              ULONG timeout = 10) {
    Block b;
    std::memset(&b, 0, sizeof b);
    b.spt.Length = sizeof b.spt;
    b.spt.CdbLength = static_cast<UCHAR>(cdb.size());
    b.spt.SenseInfoLength = sizeof b.sense;
    b.spt.SenseInfoOffset = offsetof(Block, sense);
    b.spt.DataIn = dataIn;
    b.spt.DataBuffer = buffer;
    b.spt.DataTransferLength = length;
    b.spt.TimeOutValue = timeout;
    std::memcpy(b.spt.Cdb, cdb.data(), cdb.size());
    return b;
}

class LinuxPassThrough : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.AddHost(0);
        tree.AddHost(1);
        tree.AddDevice({"1:0:3:0", Inquiry(5, "", "CDRW", "1.0"), "sr0", "sg7"});
        h = MakeHost(tree);
        DWORD error = 0;
        drive = h->host->OpenDevice("\\\\.\\CdRom0", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    error);
        ASSERT_TRUE(drive);
    }

    DWORD Send(Block& b) {
        DWORD returned = 0;
        return drive->IoControl(IOCTL_SCSI_PASS_THROUGH_DIRECT, &b, sizeof b, &b, sizeof b,
                                returned);
    }

    HostTree tree;
    std::unique_ptr<HostUnderTest> h;
    std::unique_ptr<machine::Device> drive;
};

TEST_F(LinuxPassThrough, TheCommandGoesOutUnchangedThroughTheGenericNode) {
    uint8_t data[16384];
    const struct {
        UCHAR dataIn;
        ULONG length;
        int direction;
    } cases[] = {{SCSI_IOCTL_DATA_OUT, sizeof data, SG_DXFER_TO_DEV},
                 {SCSI_IOCTL_DATA_IN, 10, SG_DXFER_FROM_DEV},
                 {SCSI_IOCTL_DATA_UNSPECIFIED, 0, SG_DXFER_NONE},
                 {SCSI_IOCTL_DATA_IN, 0, SG_DXFER_NONE},
                 {SCSI_IOCTL_DATA_UNSPECIFIED, 8, SG_DXFER_TO_FROM_DEV}};
    const std::vector<uint8_t> cdb = {0xE2, 0x01, 0x02, 0x03, 0x04, 0x05,
                                      0x06, 0x07, 0x40, 0x00, 0x11, 0x00};
    for (const auto& c : cases) {
        h->system->commands.clear();
        Block b = Request(cdb, c.dataIn, data, c.length, 10);
        ASSERT_EQ(Send(b), static_cast<DWORD>(ERROR_SUCCESS));
        ASSERT_EQ(h->system->commands.size(), 1u);
        const auto& sent = h->system->commands[0];
        EXPECT_EQ(sent.path, tree.Node("sg7"));
        EXPECT_EQ(sent.cdb, cdb);
        EXPECT_EQ(sent.header.interface_id, 'S');
        EXPECT_EQ(sent.header.dxfer_direction, c.direction) << c.dataIn << " " << c.length;
        EXPECT_EQ(sent.header.dxfer_len, c.length);
        EXPECT_EQ(sent.header.dxferp, c.length ? data : sent.header.dxferp);
        EXPECT_EQ(sent.header.timeout, 10000u);
        EXPECT_EQ(sent.header.mx_sb_len, 14);
    }
}

TEST_F(LinuxPassThrough, StatusSenseAndAddressComeBackIntoTheStructure) {
    const struct {
        unsigned char status;
        std::vector<uint8_t> sense;  // what the device returned
        int resid;
        ULONG transferred;
    } cases[] = {
        {0x00, {}, 0, 10},
        {0x00, {}, 4, 6},
        // ILLEGAL REQUEST, INVALID COMMAND OPERATION CODE: a vendor command the drive refuses
        {0x02, {0x70, 0, 0x05, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x20, 0x00}, 10, 0},
        // UNIT ATTENTION after new microcode
        {0x02, {0x70, 0, 0x06, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x3F, 0x01}, 10, 0},
        // sense longer than the area: cut to 14 bytes
        {0x02, {0x70, 0, 0x02, 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0x04, 0x07, 0x99, 0x99}, 0, 10},
        {0x08, {}, 10, 0},
        {0x18, {}, 10, 0},
    };
    for (const auto& c : cases) {
        h->system->answer = [&](const std::string&, sg_io_hdr_t& hdr) {
            hdr.status = c.status;
            hdr.host_status = 0;
            hdr.driver_status = c.sense.empty() ? 0 : 0x08;
            const size_t n = std::min<size_t>(c.sense.size(), hdr.mx_sb_len);
            if (n > 0) std::memcpy(hdr.sbp, c.sense.data(), n);
            hdr.sb_len_wr = static_cast<unsigned char>(n);
            hdr.resid = c.resid;
            return 0;
        };
        uint8_t data[10];
        Block b = Request({0x12, 0, 0, 0, 10, 0}, SCSI_IOCTL_DATA_IN, data, sizeof data);
        std::memset(b.sense, 0xEE, sizeof b.sense);
        ASSERT_EQ(Send(b), static_cast<DWORD>(ERROR_SUCCESS)) << int(c.status);
        EXPECT_EQ(b.spt.ScsiStatus, c.status);
        EXPECT_EQ(b.spt.PathId, 0);
        EXPECT_EQ(b.spt.TargetId, 3);
        EXPECT_EQ(b.spt.Lun, 0);
        EXPECT_EQ(b.spt.DataTransferLength, c.transferred);
        std::vector<uint8_t> want(c.sense.begin(),
                                  c.sense.begin() + std::min<size_t>(c.sense.size(), 14));
        EXPECT_EQ(b.spt.SenseInfoLength, want.size());
        want.resize(14, 0);
        EXPECT_EQ(std::vector<uint8_t>(b.sense, b.sense + 14), want) << int(c.status);
    }
}

TEST_F(LinuxPassThrough, TransportAndHostFailuresFailTheControlAndLeaveTheRequest) {
    const struct {
        int rc;
        unsigned short host, driver;
        DWORD error;
    } cases[] = {
        {-EIO, 0, 0, ERROR_IO_DEVICE},
        {-ENOMEM, 0, 0, ERROR_NOT_ENOUGH_MEMORY},
        {-EINVAL, 0, 0, ERROR_INVALID_PARAMETER},
        {-ENODEV, 0, 0, ERROR_FILE_NOT_FOUND},
        {0, 0x01, 0, ERROR_IO_DEVICE},    // no connect
        {0, 0x03, 0, ERROR_SEM_TIMEOUT},  // host time-out
        {0, 0x07, 0, ERROR_IO_DEVICE},    // host error
        {0, 0, 0x06, ERROR_SEM_TIMEOUT},  // driver time-out
        {0, 0, 0x04, ERROR_IO_DEVICE},    // driver error
    };
    for (const auto& c : cases) {
        h->system->answer = [&](const std::string&, sg_io_hdr_t& hdr) {
            hdr.status = 0x02;
            hdr.host_status = c.host;
            hdr.driver_status = c.driver;
            hdr.sb_len_wr = 0;
            return c.rc;
        };
        Block b = Request({0x00, 0, 0, 0, 0, 0x80}, SCSI_IOCTL_DATA_UNSPECIFIED, nullptr, 0);
        const Block before = b;
        EXPECT_EQ(Send(b), c.error) << c.rc << " " << c.host << " " << c.driver;
        EXPECT_EQ(std::memcmp(&b, &before, sizeof b), 0);
    }
}

TEST_F(LinuxPassThrough, MalformedRequestsAreRefusedBeforeAnythingIsSent) {
    uint8_t data[4];
    struct Case {
        const char* what;
        void (*spoil)(Block&);
    };
    const Case cases[] = {
        {"no CDB", [](Block& b) { b.spt.CdbLength = 0; }},
        {"CDB too long", [](Block& b) { b.spt.CdbLength = 17; }},
        {"unknown direction", [](Block& b) { b.spt.DataIn = 3; }},
        {"data without buffer", [](Block& b) { b.spt.DataBuffer = nullptr; }},
        {"sense beyond the buffer", [](Block& b) { b.spt.SenseInfoOffset = sizeof(Block) - 4; }},
    };
    for (const Case& c : cases) {
        Block b = Request({0x00, 0, 0, 0, 0, 0}, SCSI_IOCTL_DATA_IN, data, sizeof data);
        c.spoil(b);
        EXPECT_EQ(Send(b), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << c.what;
    }
    Block b = Request({0x00, 0, 0, 0, 0, 0}, SCSI_IOCTL_DATA_IN, data, sizeof data);
    DWORD returned = 0;
    EXPECT_EQ(drive->IoControl(IOCTL_SCSI_PASS_THROUGH_DIRECT, &b, sizeof b.spt - 1, &b, sizeof b,
                               returned),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(h->system->commands.empty());
}

TEST_F(LinuxPassThrough, AHandleOpenedWithoutAccessMayNotSendCommands) {
    DWORD error = 0;
    auto query = h->host->OpenDevice("\\\\.\\CdRom0", 0, FILE_SHARE_READ, error);
    ASSERT_TRUE(query);
    Block b = Request({0x00, 0, 0, 0, 0, 0}, SCSI_IOCTL_DATA_UNSPECIFIED, nullptr, 0);
    DWORD returned = 0;
    EXPECT_EQ(
        query->IoControl(IOCTL_SCSI_PASS_THROUGH_DIRECT, &b, sizeof b, &b, sizeof b, returned),
        static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(h->system->commands.empty());
}

TEST_F(LinuxPassThrough, TimeOutsOfAnySizeReachTheKernelInMilliseconds) {
    const struct {
        ULONG seconds;
        unsigned ms;
    } cases[] = {{1, 1000}, {108000, 108000000}, {0xFFFFFFFFu, 0xFFFFFFFFu}};
    for (const auto& c : cases) {
        h->system->commands.clear();
        Block b =
            Request({0x00, 0, 0, 0, 0, 0}, SCSI_IOCTL_DATA_UNSPECIFIED, nullptr, 0, c.seconds);
        ASSERT_EQ(Send(b), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(h->system->commands.at(0).header.timeout, c.ms);
    }
}

}  // namespace
}  // namespace linux_test
