// The NT devices of the simulated machine: port inquiry data, drive addresses, the
// pass-through request's checks, access rules and the record of opened devices.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/machine/flash_session.h"
#include "tests/support/sim_fixture.h"

namespace {

const char* const kPorts = R"(
[drive cd0]
model = CD-R/RW KP2140A
nt = port 0 bus 0 target 1 lun 0
claimed = yes
names = CdRom0
[drive disk]
protocol = none
device-type = 0
vendor = IBM
inquiry-length = 48
nt = port 0 bus 0 target 0 lun 0
names = PhysicalDrive0
[drive other-bus]
model = CD-R/RW KP2160A
nt = port 0 bus 1 target 3 lun 0
[drive raw]
inquiry = 05 80 00 02 1F
nt = port 2 target 5
)";

HANDLE Open(const char* path, DWORD access = GENERIC_READ | GENERIC_WRITE) {
    return CreateFileA(path, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

std::vector<uint8_t> InquiryData(const char* port, DWORD size, DWORD* error = nullptr) {
    std::vector<uint8_t> buf(size, 0xCC);
    HANDLE h = Open(port, 0);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << port;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, buf.data(), size,
                              &returned, nullptr);
    if (error) *error = ok ? 0 : GetLastError();
    CloseHandle(h);
    buf.resize(ok ? returned : 0);
    return buf;
}

SCSI_INQUIRY_DATA EntryAt(const std::vector<uint8_t>& buf, ULONG offset) {
    SCSI_INQUIRY_DATA e;
    std::memcpy(&e, buf.data() + offset, offsetof(SCSI_INQUIRY_DATA, InquiryData));
    return e;
}

TEST(SimPort, InquiryDataListsEachBusAsAChain) {
    testsupport::SimMachineScope sim(kPorts);
    std::vector<uint8_t> buf = InquiryData("\\\\.\\Scsi0:", 10240);
    ASSERT_FALSE(buf.empty());
    ASSERT_EQ(buf[0], 2);  // two buses
    SCSI_BUS_DATA bus[2];
    std::memcpy(bus, buf.data() + offsetof(SCSI_ADAPTER_BUS_INFO, BusData), sizeof bus);
    EXPECT_EQ(bus[0].NumberOfLogicalUnits, 2);
    EXPECT_EQ(bus[1].NumberOfLogicalUnits, 1);

    SCSI_INQUIRY_DATA first = EntryAt(buf, bus[0].InquiryDataOffset);
    EXPECT_EQ(first.TargetId, 1);
    EXPECT_EQ(first.DeviceClaimed, 1);
    EXPECT_EQ(first.InquiryDataLength, 36u);
    const uint8_t* inquiry =
        buf.data() + bus[0].InquiryDataOffset + offsetof(SCSI_INQUIRY_DATA, InquiryData);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(inquiry + 16), 16), "CD-R/RW KP2140A ");
    ASSERT_NE(first.NextInquiryDataOffset, 0u);
    SCSI_INQUIRY_DATA second = EntryAt(buf, first.NextInquiryDataOffset);
    EXPECT_EQ(second.TargetId, 0);
    EXPECT_EQ(second.DeviceClaimed, 0);
    EXPECT_EQ(second.InquiryDataLength, 48u);
    EXPECT_EQ(second.NextInquiryDataOffset, 0u);
    EXPECT_EQ(first.NextInquiryDataOffset % 8, 0u);

    SCSI_INQUIRY_DATA onBus1 = EntryAt(buf, bus[1].InquiryDataOffset);
    EXPECT_EQ(onBus1.PathId, 1);
    EXPECT_EQ(onBus1.TargetId, 3);
    EXPECT_EQ(onBus1.NextInquiryDataOffset, 0u);
}

TEST(SimPort, ShortRawInquiryDataIsListedAsItIs) {
    testsupport::SimMachineScope sim(kPorts);
    std::vector<uint8_t> buf = InquiryData("\\\\.\\Scsi2:", 10240);
    ASSERT_FALSE(buf.empty());
    SCSI_BUS_DATA bus;
    std::memcpy(&bus, buf.data() + offsetof(SCSI_ADAPTER_BUS_INFO, BusData), sizeof bus);
    SCSI_INQUIRY_DATA e = EntryAt(buf, bus.InquiryDataOffset);
    EXPECT_EQ(e.InquiryDataLength, 5u);
    EXPECT_EQ(buf.size(), bus.InquiryDataOffset + offsetof(SCSI_INQUIRY_DATA, InquiryData) + 5);
}

TEST(SimPort, TooSmallBufferIsRefused) {
    testsupport::SimMachineScope sim(kPorts);
    size_t needed = InquiryData("\\\\.\\Scsi0:", 10240).size();
    DWORD error = 0;
    EXPECT_TRUE(InquiryData("\\\\.\\Scsi0:", static_cast<DWORD>(needed - 1), &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(InquiryData("\\\\.\\Scsi0:", static_cast<DWORD>(needed), &error).size(), needed);
}

TEST(SimPort, PortsExistOnlyWhereDescribedOrUsed) {
    testsupport::SimMachineScope sim(kPorts);
    struct Case {
        const char* path;
        bool opens;
    } cases[] = {{"\\\\.\\Scsi0:", true},
                 {"\\\\.\\SCSI2:", true},
                 {"\\\\.\\Scsi1:", false},
                 {"\\\\.\\Scsi0", false},
                 {"\\\\.\\Scsi:", false}};
    for (const Case& c : cases) {
        HANDLE h = Open(c.path, 0);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens) << c.path;
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
}

TEST(SimPort, RawAndFailingAnswersAreGivenAsDescribed) {
    testsupport::SimMachineScope sim(R"(
[port 0]
bus-info = 01 00 00 00 00 07 00 00 FF FF 00 00
[port 1]
fault = inquiry-data ERROR_GEN_FAILURE
[port 2]
fault = open ERROR_ACCESS_DENIED
)");
    std::vector<uint8_t> raw = InquiryData("\\\\.\\Scsi0:", 10240);
    EXPECT_EQ(raw, (std::vector<uint8_t>{1, 0, 0, 0, 0, 7, 0, 0, 0xFF, 0xFF, 0, 0}));
    DWORD error = 0;
    InquiryData("\\\\.\\Scsi1:", 10240, &error);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_GEN_FAILURE));
    EXPECT_EQ(Open("\\\\.\\Scsi2:", 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(SimDrive, AddressOfEveryPathOfTheDrive) {
    testsupport::SimMachineScope sim(R"(
[drive cd]
nt = port 3 bus 1 target 4 lun 2
names = CdRom2 PhysicalDrive7
letter = F
)");
    for (const char* path :
         {"\\\\.\\CdRom2", "\\\\.\\cdrom2", "\\\\.\\PhysicalDrive7", "\\\\.\\F:"}) {
        HANDLE h = Open(path, 0);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
        SCSI_ADDRESS a = {};
        DWORD returned = 0;
        ASSERT_TRUE(DeviceIoControl(h, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &a, sizeof a, &returned,
                                    nullptr));
        EXPECT_EQ(returned, 8u);
        EXPECT_EQ(a.PortNumber, 3);
        EXPECT_EQ(a.PathId, 1);
        EXPECT_EQ(a.TargetId, 4);
        EXPECT_EQ(a.Lun, 2);
        EXPECT_FALSE(
            DeviceIoControl(h, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &a, 7, &returned, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        CloseHandle(h);
    }
}

TEST(SimDrive, DriveFaultsOnOpenAndControls) {
    testsupport::SimMachineScope sim(R"(
[drive a]
names = CdRom0
fault = open ERROR_ACCESS_DENIED write
[drive b]
names = CdRom1
nt = port 0 target 1
fault = address ERROR_INVALID_FUNCTION
[drive c]
names = CdRom2
fault = ioctl ERROR_NOT_READY
)");
    EXPECT_EQ(Open("\\\\.\\CdRom0"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HANDLE readOnly = Open("\\\\.\\CdRom0", GENERIC_READ);
    EXPECT_NE(readOnly, INVALID_HANDLE_VALUE);
    CloseHandle(readOnly);

    SCSI_ADDRESS a;
    DWORD returned;
    HANDLE b = Open("\\\\.\\CdRom1", 0);
    EXPECT_FALSE(
        DeviceIoControl(b, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &a, sizeof a, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    CloseHandle(b);
    flashtest::Reply r =
        flashtest::PassThrough("\\\\.\\CdRom2")({0, 0, 0, 0, 0, 0}, flashtest::kNone, nullptr, 0);
    EXPECT_FALSE(r.delivered);
    EXPECT_EQ(r.error, static_cast<DWORD>(ERROR_NOT_READY));
}

TEST(SimDrive, PassThroughNeedsReadAndWriteAccess) {
    testsupport::SimMachineScope sim("[drive cd]\nnames = CdRom0\nmedium = present\n");
    HANDLE h = Open("\\\\.\\CdRom0", GENERIC_READ);
    SCSI_PASS_THROUGH_DIRECT sptd = {};
    sptd.Length = sizeof sptd;
    sptd.CdbLength = 6;
    sptd.DataIn = SCSI_IOCTL_DATA_UNSPECIFIED;
    DWORD returned;
    EXPECT_FALSE(DeviceIoControl(h, IOCTL_SCSI_PASS_THROUGH_DIRECT, &sptd, sizeof sptd, &sptd,
                                 sizeof sptd, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(h);
    EXPECT_TRUE(sim.drive("cd")->Log().empty());
}

TEST(SimDrive, MalformedPassThroughRequestsAreRefused) {
    testsupport::SimMachineScope sim("[drive cd]\nnames = CdRom0\nmedium = present\n");
    struct Block {
        SCSI_PASS_THROUGH_DIRECT sptd;
        ULONG filler;
        UCHAR sense[32];
    };
    const ULONG kSense = offsetof(Block, sense);
    struct Case {
        const char* what;
        void (*change)(Block&, DWORD& size);
        DWORD error;
    } cases[] = {
        {"valid", [](Block&, DWORD&) {}, 0},
        {"Length too small", [](Block& b, DWORD&) { b.sptd.Length = 44 - 1; },
         ERROR_INVALID_PARAMETER},
        {"no CDB", [](Block& b, DWORD&) { b.sptd.CdbLength = 0; }, ERROR_INVALID_PARAMETER},
        {"CDB of 17", [](Block& b, DWORD&) { b.sptd.CdbLength = 17; }, ERROR_INVALID_PARAMETER},
        {"direction 3", [](Block& b, DWORD&) { b.sptd.DataIn = 3; }, ERROR_INVALID_PARAMETER},
        {"data without buffer", [](Block& b, DWORD&) { b.sptd.DataTransferLength = 4; },
         ERROR_INVALID_PARAMETER},
        {"sense over the structure", [](Block& b, DWORD&) { b.sptd.SenseInfoOffset = 8; },
         ERROR_INVALID_PARAMETER},
        {"sense beyond the buffer",
         [](Block& b, DWORD&) {
             b.sptd.SenseInfoLength =
                 static_cast<UCHAR>(sizeof(Block) - b.sptd.SenseInfoOffset + 1);
         },
         ERROR_INVALID_PARAMETER},
        {"buffer smaller than the structure",
         [](Block&, DWORD& size) { size = sizeof(SCSI_PASS_THROUGH_DIRECT) - 1; },
         ERROR_INVALID_PARAMETER},
        {"no sense wanted",
         [](Block& b, DWORD&) {
             b.sptd.SenseInfoLength = 0;
             b.sptd.SenseInfoOffset = 0;
         },
         0},
    };
    for (const Case& c : cases) {
        HANDLE h = Open("\\\\.\\CdRom0");
        Block b;
        std::memset(&b, 0, sizeof b);
        b.sptd.Length = sizeof b.sptd;
        b.sptd.CdbLength = 6;
        b.sptd.DataIn = SCSI_IOCTL_DATA_UNSPECIFIED;
        b.sptd.SenseInfoLength = 32;
        b.sptd.SenseInfoOffset = kSense;
        DWORD size = sizeof b;
        c.change(b, size);
        DWORD returned = 0;
        BOOL ok = DeviceIoControl(h, IOCTL_SCSI_PASS_THROUGH_DIRECT, &b, size, &b, size, &returned,
                                  nullptr);
        EXPECT_EQ(ok ? 0u : GetLastError(), c.error) << c.what;
        CloseHandle(h);
    }
    EXPECT_EQ(sim.drive("cd")->Log().size(), 2u);  // only the valid ones reached the drive
}

TEST(SimDrive, SenseIsWrittenAtTheGivenOffset) {
    testsupport::SimMachineScope sim("[drive cd]\nnames = CdRom0\n");  // no medium
    HANDLE h = Open("\\\\.\\CdRom0");
    struct {
        SCSI_PASS_THROUGH_DIRECT sptd;
        UCHAR gap[20];
        UCHAR sense[18];
    } b;
    std::memset(&b, 0, sizeof b);
    b.sptd.Length = sizeof b.sptd;
    b.sptd.CdbLength = 6;
    b.sptd.DataIn = SCSI_IOCTL_DATA_UNSPECIFIED;
    b.sptd.SenseInfoLength = 14;
    b.sptd.SenseInfoOffset = offsetof(decltype(b), sense);
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(h, IOCTL_SCSI_PASS_THROUGH_DIRECT, &b, sizeof b, &b, sizeof b,
                                &returned, nullptr));
    EXPECT_EQ(b.sptd.ScsiStatus, 0x02);
    EXPECT_EQ(b.sptd.SenseInfoLength, 14);
    EXPECT_EQ(b.sense[2], 2);
    EXPECT_EQ(b.sense[12], 0x3A);
    EXPECT_EQ(b.sense[14], 0);  // only the 14 bytes asked for
    for (UCHAR g : b.gap) EXPECT_EQ(g, 0);
    EXPECT_EQ(returned, b.sptd.SenseInfoOffset + 14);
    CloseHandle(h);
}

TEST(SimDrive, OpensAndClosesAreRecorded) {
    testsupport::SimMachineScope sim("[drive cd]\nnames = CdRom0\n[letter C]\ntype = fixed\n");
    HANDLE cd = Open("\\\\.\\CdRom0", GENERIC_READ);
    HANDLE c = CreateFileA("\\\\.\\C:", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(Open("\\\\.\\CdRom9"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(sim->OpenDevices(), 2);
    SCSI_ADDRESS a;
    DWORD returned;
    EXPECT_FALSE(
        DeviceIoControl(c, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &a, sizeof a, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    CloseHandle(cd);
    CloseHandle(c);
    EXPECT_EQ(sim->OpenDevices(), 0);
    auto events = sim->DeviceEvents();
    ASSERT_EQ(events.size(), 5u);
    using E = machine::sim::DeviceEvent;
    EXPECT_EQ(events[0].kind, E::Open);
    EXPECT_EQ(events[0].path, "\\\\.\\CdRom0");
    EXPECT_EQ(events[0].access, GENERIC_READ);
    EXPECT_EQ(events[0].share, FILE_SHARE_READ);
    EXPECT_EQ(events[1].share, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_EQ(events[2].error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(events[3].kind, E::Close);
    EXPECT_EQ(events[3].path, "\\\\.\\CdRom0");
    EXPECT_EQ(events[4].path, "\\\\.\\C:");
}

}  // namespace
