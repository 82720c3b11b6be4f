// Commands through IOCTL_SCSI_PASS_THROUGH_DIRECT to a simulated drive.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/sim_fixture.h"
#include "winapi/ntddscsi.h"
#include "winapi/windows.h"

namespace {

const char* const kMachine = R"(
[machine]
platform = 2
[drive cd]
model = CD-R/RW KP2140A
revision = 1.10
type-code = ABC123
nt = port 1 bus 0 target 2 lun 0
names = CdRom0
letter = E
)";

// The block the program sends: the structure, then room for sense data.
struct PassThroughBlock {
    SCSI_PASS_THROUGH_DIRECT sptd;
    ULONG filler;
    UCHAR sense[32];
};

struct Result {
    BOOL ok;
    DWORD error;
    PassThroughBlock block;
};

Result Send(HANDLE h, std::initializer_list<UCHAR> cdb, UCHAR direction, void* data, ULONG length) {
    Result r{};
    std::memset(&r.block, 0, sizeof r.block);
    r.block.sptd.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
    r.block.sptd.CdbLength = static_cast<UCHAR>(cdb.size());
    r.block.sptd.SenseInfoLength = 18;
    r.block.sptd.DataIn = direction;
    r.block.sptd.DataTransferLength = length;
    r.block.sptd.TimeOutValue = 10;
    r.block.sptd.DataBuffer = data;
    r.block.sptd.SenseInfoOffset = offsetof(PassThroughBlock, sense);
    std::copy(cdb.begin(), cdb.end(), r.block.sptd.Cdb);
    DWORD returned = 0;
    r.ok = DeviceIoControl(h, IOCTL_SCSI_PASS_THROUGH_DIRECT, &r.block, sizeof r.block, &r.block,
                           sizeof r.block, &returned, nullptr);
    r.error = r.ok ? 0 : GetLastError();
    return r;
}

TEST(SimPassThrough, InquiryReportsTheDriveAndItsAddress) {
    testsupport::SimMachineScope sim(kMachine);
    HANDLE h = CreateFileA("\\\\.\\CdRom0", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    UCHAR data[44] = {};
    Result r = Send(h, {0x12, 0, 0, 0, 44, 0}, SCSI_IOCTL_DATA_IN, data, sizeof data);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.block.sptd.ScsiStatus, 0);
    EXPECT_EQ(r.block.sptd.TargetId, 2);
    EXPECT_EQ(r.block.sptd.DataTransferLength, 36u);
    EXPECT_EQ(data[0], 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 8), "        ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 16), 16), "CD-R/RW KP2140A ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 32), 4), "1.10");
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(sim->OpenDevices(), 0);
}

}  // namespace
