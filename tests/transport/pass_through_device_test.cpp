// One SCSI command through the NT pass-through I/O control, and the port queries.
#include "transport/pass_through_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/sim_fixture.h"

namespace {

const char kMachine[] =
    "[machine]\n"
    "platform = 2\n"
    "[drive cd]\n"
    "form = scsi\n"
    "medium = present\n"
    "nt = port 1 bus 0 target 2 lun 0\n"
    "names = CdRom0\n";

std::string WithDriveLine(const std::string& line) { return kMachine + line + "\n"; }

PassThroughRequest TestUnitReady() {
    PassThroughRequest request;  // defaults: 6-byte CDB of zeros, no data, 10 s
    return request;
}

TEST(PassThroughDevice, ClassifiesStatusAndSenseKey) {
    struct Case {
        const char* fault;  // what the drive answers TEST UNIT READY with
        PassThroughResultCode code;
        UCHAR status, key, asc, ascq;
    };
    const Case cases[] = {
        {"", 0, 0x00, 0, 0, 0},
        {"sense 0/00/00", 0, 0x02, 0, 0, 0},
        {"sense 1/17/01", 0, 0x02, 1, 0x17, 0x01},
        {"sense 2/3A/00", 0x8010, 0x02, 2, 0x3A, 0},
        {"sense 3/11/05", 0x8020, 0x02, 3, 0x11, 0x05},
        {"sense 4/44/00", 0x8030, 0x02, 4, 0x44, 0},
        {"sense 5/24/00", 0x8070, 0x02, 5, 0x24, 0},
        {"sense 6/29/00", 0x8040, 0x02, 6, 0x29, 0},
        {"sense 7/27/00", 0x8050, 0x02, 7, 0x27, 0},
        {"sense 8/00/05", 32, 0x02, 8, 0, 0x05},
        {"sense 9/00/00", 32, 0x02, 9, 0, 0},
        {"sense B/47/00", 32, 0x02, 0xB, 0x47, 0},
        {"sense F/00/00", 32, 0x02, 0xF, 0, 0},
        {"status 8", 64, 0x08, 0, 0, 0},
        {"status 0x18", 32, 0x18, 0, 0, 0},
        {"status 0x28", 32, 0x28, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const std::string fault = *c.fault ? std::string("fault = command 00 ") + c.fault : "";
        testsupport::SimMachineScope sim(WithDriveLine(fault));
        CPassThroughDevice device;
        ASSERT_EQ(device.Open("\\\\.\\CdRom0", GENERIC_READ | GENERIC_WRITE), 1);
        PassThroughRequest request = TestUnitReady();
        EXPECT_EQ(device.ExecutePassThrough(request), c.code) << c.fault;
        EXPECT_EQ(request.scsiStatus, c.status) << c.fault;
        EXPECT_EQ(request.senseKey, c.key) << c.fault;
        EXPECT_EQ(request.asc, c.asc) << c.fault;
        EXPECT_EQ(request.ascq, c.ascq) << c.fault;
    }
}

TEST(PassThroughDevice, SendsTheRequestAndReadsBackTheAddressAndData) {
    testsupport::SimMachineScope sim(kMachine);
    CPassThroughDevice device;
    ASSERT_EQ(device.Open("\\\\.\\CdRom0", GENERIC_READ | GENERIC_WRITE), 1);

    BYTE inquiry[36] = {};
    PassThroughRequest request;
    request.cdbLength = 6;
    request.cdb[0] = 0x12;
    request.cdb[4] = sizeof(inquiry);
    request.dataBuffer = inquiry;
    request.dataTransferLength = sizeof(inquiry);
    request.dataDirection = SCSI_IOCTL_DATA_IN;
    EXPECT_EQ(device.ExecutePassThrough(request), 0);

    // The port driver fills in the address of the device behind the path.
    EXPECT_EQ(request.pathId, 0);
    EXPECT_EQ(request.targetId, 2);
    EXPECT_EQ(request.lun, 0);
    EXPECT_EQ(inquiry[0] & 0x1F, 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry) + 16, 15), "CD-R/RW KP2140A");

    const auto log = sim.drive("cd")->Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].cdbLength, 6);
    EXPECT_EQ(log[0].cdb[0], 0x12);
    EXPECT_EQ(log[0].cdb[4], 36);
    EXPECT_EQ(log[0].direction, machine::sim::Direction::In);
    EXPECT_EQ(log[0].length, 36u);
}

TEST(PassThroughDevice, AFailedControlGives16AndLeavesTheRequestAlone) {
    struct Case {
        const char* fault;
        uint64_t waitedMs;  // a drive that never answers holds the call for the time-out
    };
    for (const Case c :
         {Case{"fault = command 00 ioctl 1117", 0}, Case{"fault = command 00 hastat 0x11", 0},
          Case{"fault = ioctl 31", 0}, Case{"fault = command 00 no-answer", 10000}}) {
        testsupport::SimMachineScope sim(WithDriveLine(c.fault));
        CPassThroughDevice device;
        ASSERT_EQ(device.Open("\\\\.\\CdRom0", GENERIC_READ | GENERIC_WRITE), 1);
        PassThroughRequest request = TestUnitReady();
        request.pathId = 3;  // anything the call would overwrite
        request.targetId = 4;
        request.lun = 5;
        const DWORD before = GetTickCount();
        EXPECT_EQ(device.ExecutePassThrough(request), 16) << c.fault;
        EXPECT_EQ(GetTickCount() - before, c.waitedMs) << c.fault;
        EXPECT_EQ(request.pathId, 3) << c.fault;
        EXPECT_EQ(request.targetId, 4) << c.fault;
        EXPECT_EQ(request.lun, 5) << c.fault;
        EXPECT_EQ(request.scsiStatus, 0) << c.fault;
        EXPECT_EQ(request.senseKey, 0) << c.fault;
        EXPECT_EQ(request.asc, 0) << c.fault;
        EXPECT_EQ(request.ascq, 0) << c.fault;
    }
}

TEST(PassThroughDevice, SenseOfAnEarlierCommandDoesNotLeakIntoTheNext) {
    testsupport::SimMachineScope sim(WithDriveLine("fault = command 00 sense 3/11/05 nth 1"));
    CPassThroughDevice device;
    ASSERT_EQ(device.Open("\\\\.\\CdRom0", GENERIC_READ | GENERIC_WRITE), 1);
    PassThroughRequest first = TestUnitReady();
    EXPECT_EQ(device.ExecutePassThrough(first), 0x8020);
    PassThroughRequest second = TestUnitReady();
    EXPECT_EQ(device.ExecutePassThrough(second), 0);
    EXPECT_EQ(second.senseKey, 0);
    EXPECT_EQ(second.asc, 0);
    EXPECT_EQ(second.ascq, 0);
}

TEST(PassThroughDevice, WithoutAHandleNothingIsIssuedAndNothingSucceeds) {
    testsupport::SimMachineScope sim(kMachine);
    CPassThroughDevice device;
    EXPECT_EQ(device.IsOpen(), 0);
    BYTE buffer[64];
    EXPECT_EQ(device.ControlOut(IOCTL_SCSI_GET_ADDRESS, buffer, sizeof(buffer), nullptr),
              static_cast<DWORD>(ERROR_INVALID_HANDLE));
    PassThroughRequest request = TestUnitReady();
    EXPECT_EQ(device.ExecutePassThrough(request), 16);
    EXPECT_TRUE(sim.drive("cd")->Log().empty());
}

TEST(PassThroughDevice, PortQueriesReportTheirBytesOrTheDriversError) {
    testsupport::SimMachineScope sim(kMachine);
    HANDLE port =
        CreateFileA("\\\\.\\Scsi1:", 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    {
        CPassThroughDevice device(port);
        BYTE buffer[512];
        int bytes = -1;
        EXPECT_EQ(device.GetInquiryData(buffer, sizeof(buffer), &bytes), 0u);
        EXPECT_GT(bytes, static_cast<int>(sizeof(SCSI_ADAPTER_BUS_INFO)));
        EXPECT_EQ(buffer[0], 1);  // one bus

        bytes = -1;
        EXPECT_EQ(device.GetInquiryData(buffer, 8, &bytes),
                  static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        EXPECT_EQ(bytes, 0);
    }
    EXPECT_TRUE(CloseHandle(port));

    CPassThroughDevice drive;
    ASSERT_EQ(drive.Open("\\\\.\\CdRom0", 0), 1);
    SCSI_ADDRESS address = {};
    int bytes = -1;
    EXPECT_EQ(drive.GetScsiAddress(&address, sizeof(address), &bytes), 0u);
    EXPECT_EQ(bytes, 8);
    EXPECT_EQ(address.PortNumber, 1);
    EXPECT_EQ(address.TargetId, 2);
    EXPECT_EQ(address.Lun, 0);
}

TEST(PassThroughDevice, AddressQueryFailureIsHandedBackUnchanged) {
    testsupport::SimMachineScope sim(WithDriveLine("fault = address 1117"));
    CPassThroughDevice drive;
    ASSERT_EQ(drive.Open("\\\\.\\CdRom0", 0), 1);
    SCSI_ADDRESS address = {};
    EXPECT_EQ(drive.GetScsiAddress(&address, sizeof(address)), 1117u);
}

}  // namespace
