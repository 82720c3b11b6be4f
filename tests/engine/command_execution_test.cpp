// How one command reaches the selected drive: device paths, opening and closing around each
// command on the NT family, sense capture on both transports, and commands that cannot be
// sent.
#include <gtest/gtest.h>

#include "engine/flash_device.h"
#include "tests/engine/engine_support.h"
#include "tests/support/sim_fixture.h"

namespace {

using machine::sim::DeviceEvent;

const char* const kNtMachine = R"(
[machine]
platform = 2
[drive cd]
nt = port 0 target 1 lun 0
names = CdRom0 PhysicalDrive3
letter = E
[drive a]
model = CD-R/RW KP2160A
nt = port 0 target 2 lun 0
letter = A
[drive z]
model = CD-R/RW KP2180A
nt = port 0 target 3 lun 0
letter = Z
)";

std::vector<DeviceEvent> Opens(machine::sim::SimMachine& sim) {
    std::vector<DeviceEvent> opens;
    for (const DeviceEvent& e : sim.DeviceEvents()) {
        if (e.kind == DeviceEvent::Open) opens.push_back(e);
    }
    return opens;
}

TEST(OpenDevicePathTest, EachKindNamesItsPath) {
    const struct {
        int kind;
        int number;
        const char* path;
    } cases[] = {
        {1, 3, "\\\\.\\PhysicalDrive3"},
        {2, 0, "\\\\.\\CdRom0"},
        {3, 0, "\\\\.\\A:"},
        {3, 4, "\\\\.\\E:"},
        {3, 25, "\\\\.\\Z:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        testsupport::SimMachineScope sim(kNtMachine);
        CFlashDevice device(2, nullptr);
        HANDLE handle = device.OpenDevicePath(c.kind, c.number);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        const auto opens = Opens(sim.sim());
        ASSERT_EQ(opens.size(), 1u);
        EXPECT_EQ(opens[0].path, c.path);
        EXPECT_EQ(opens[0].access, GENERIC_READ | GENERIC_WRITE);
        EXPECT_EQ(opens[0].share, static_cast<DWORD>(FILE_SHARE_READ));
        EXPECT_TRUE(CloseHandle(handle));
    }
}

TEST(OpenDevicePathTest, UnknownKindOpensNothing) {
    testsupport::SimMachineScope sim(kNtMachine);
    CFlashDevice device(2, nullptr);
    for (int kind : {0, 4, -1}) {
        EXPECT_EQ(device.OpenDevicePath(kind, 0), INVALID_HANDLE_VALUE) << kind;
    }
    EXPECT_TRUE(sim->DeviceEvents().empty());
}

TEST(OpenDevicePathTest, RefusedWriteAccessFallsBackToReadOnly) {
    testsupport::SimMachineScope sim(R"(
[machine]
platform = 2
[drive cd]
nt = port 0 target 1 lun 0
names = CdRom0
fault = open 5 write
)");
    CFlashDevice device(2, nullptr);
    device.SelectDrive(enginetest::CdRomEntry(0));
    // The command is still tried on the read-only handle; the port driver wants write
    // access for pass-through and refuses it, which fails the I/O control.
    EXPECT_EQ(device.TestUnitReady(0), 16);
    const auto opens = Opens(sim.sim());
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[0].access, GENERIC_READ | GENERIC_WRITE);
    EXPECT_EQ(opens[0].error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(opens[1].access, GENERIC_READ);
    EXPECT_EQ(opens[1].error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(sim->OpenDevices(), 0);
}

TEST(OpenDevicePathTest, PathThatDoesNotOpenIsTriedTwiceAndTheCommandFails) {
    testsupport::SimMachineScope sim(kNtMachine);
    CFlashDevice device(2, nullptr);
    device.SelectDrive(enginetest::CdRomEntry(7));
    EXPECT_NE(device.SetWriteMode(1), 0);
    const auto opens = Opens(sim.sim());
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[1].access, GENERIC_READ);
    EXPECT_NE(opens[1].error, static_cast<DWORD>(ERROR_SUCCESS));
}

TEST(CommandExecutionTest, NtDeviceIsOpenedAndClosedAroundEveryCommand) {
    testsupport::SimMachineScope sim(R"(
[machine]
platform = 2
[drive cd]
nt = port 0 target 1 lun 0
names = CdRom0
fault = command E0 sense 5/24/00
fault = command E1 ioctl 31
)");
    CFlashDevice device(2, nullptr);
    device.SelectDrive(enginetest::CdRomEntry(0));
    EXPECT_EQ(device.SetWriteMode(1), 0);
    EXPECT_EQ(device.ReleaseLock(), 160);              // the drive refuses it
    EXPECT_EQ(device.CompleteWritePreparation(), 16);  // the I/O control fails
    EXPECT_EQ(device.SetWriteMode(0), 0);

    const auto events = sim->DeviceEvents();
    ASSERT_EQ(events.size(), 8u);
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].kind, i % 2 == 0 ? DeviceEvent::Open : DeviceEvent::Close) << i;
        EXPECT_EQ(events[i].path, "\\\\.\\CdRom0");
    }
    EXPECT_EQ(sim->OpenDevices(), 0);
}

TEST(CommandExecutionTest, DriveKindZeroFailsWithoutOpeningAnything) {
    testsupport::SimMachineScope sim(kNtMachine);
    CFlashDevice device(0, nullptr);  // neither family: pass-through, nothing selected
    EXPECT_EQ(device.m_platform, 2);
    DriveEntry none;
    device.SelectDrive(none);
    EXPECT_NE(device.TestUnitReady(0), 0);
    EXPECT_TRUE(sim->DeviceEvents().empty());
}

struct SenseCase {
    const char* fault;
    CompletionCode code;
    uint8_t key, asc, ascq;
};

// The same sense reaches GetStatus through either transport; the completion codes differ
// only where the two transports classify differently.
TEST(CommandExecutionTest, SenseOfTheLastCommandIsKept) {
    const SenseCase nt[] = {
        {"", 0, 0, 0, 0},
        {"fault = command E4 sense 4/F1/00", 112, 4, 0xF1, 0},
        {"fault = command E4 sense 2/F7/03", 80, 2, 0xF7, 3},
        {"fault = command E4 sense 1/17/01", 0, 1, 0x17, 1},
        {"fault = command E4 sense 8/00/00", 32, 8, 0, 0},
        {"fault = command E4 sense B/47/00", 32, 0xB, 0x47, 0},
        {"fault = command E4 status 8", 64, 0, 0, 0},
        {"fault = command E4 status 24", 32, 0, 0, 0},
        {"fault = command E4 ioctl 1117", 16, 0, 0, 0},
    };
    const SenseCase aspi[] = {
        {"", 0, 0, 0, 0},
        {"fault = command E4 sense 4/F1/00", 112, 4, 0xF1, 0},
        {"fault = command E4 sense 2/F7/03", 80, 2, 0xF7, 3},
        {"fault = command E4 sense 1/17/01", 0, 1, 0x17, 1},
        {"fault = command E4 sense 8/00/00", 96, 8, 0, 0},
        {"fault = command E4 sense B/47/00", 176, 0xB, 0x47, 0},
        {"fault = command E4 status 8", 64, 0, 0, 0},
        {"fault = command E4 status 24", 16, 0, 0, 0},
        {"fault = command E4 hastat 17", 16, 0, 0, 0},
    };
    for (const SenseCase& c : nt) {
        SCOPED_TRACE(std::string("pass-through ") + c.fault);
        testsupport::SimMachineScope sim(
            std::string("[machine]\nplatform = 2\n[drive cd]\nnt = port 0 target 1\n"
                        "names = CdRom0\n") +
            c.fault + "\n");
        CFlashDevice device(2, nullptr);
        device.SelectDrive(enginetest::CdRomEntry(0));
        EXPECT_EQ(device.SetWriteMode(1), c.code);
        const CommandStatus status = device.GetStatus();
        EXPECT_EQ(status.code, c.code);
        EXPECT_EQ(status.senseKey, c.key);
        EXPECT_EQ(status.asc, c.asc);
        EXPECT_EQ(status.ascq, c.ascq);
    }
    for (const SenseCase& c : aspi) {
        SCOPED_TRACE(std::string("ASPI ") + c.fault);
        testsupport::SimMachineScope sim(
            std::string("[machine]\nplatform = 1\n[aspi]\n[adapter 0]\n[drive cd]\n"
                        "aspi = adapter 0 target 1 lun 0\n") +
            c.fault + "\n");
        CFlashDevice device(1, nullptr);
        device.SelectDrive(enginetest::AspiEntry(0, 1, 0));
        EXPECT_EQ(device.SetWriteMode(1), c.code);
        const CommandStatus status = device.GetStatus();
        EXPECT_EQ(status.code, c.code);
        EXPECT_EQ(status.senseKey, c.key);
        EXPECT_EQ(status.asc, c.asc);
        EXPECT_EQ(status.ascq, c.ascq);
    }
}

TEST(CommandExecutionTest, CommandThatCannotBeSentLeavesTheStatusAlone) {
    testsupport::SimMachineScope sim(kNtMachine);
    CFlashDevice device(2, nullptr);
    device.SelectDrive(enginetest::CdRomEntry(0));
    EXPECT_EQ(device.TestUnitReady(0), 80);  // no medium: 2/3A/00
    device.SetNtDevice(kNtCdRom, 9);         // no such device
    EXPECT_NE(device.TestUnitReady(0), 0);
    const CommandStatus status = device.GetStatus();
    EXPECT_EQ(status.code, 80);
    EXPECT_EQ(status.senseKey, 2);
    EXPECT_EQ(status.asc, 0x3A);
}

TEST(CommandExecutionTest, WithoutWnaspi32EveryCommandFails) {
    testsupport::SimMachineScope sim("[machine]\nplatform = 1\n");
    CFlashDevice device(1, nullptr);
    ASSERT_EQ(device.m_aspi, nullptr);
    device.SelectDrive(enginetest::AspiEntry(0, 1, 0));
    EXPECT_NE(device.SetWriteMode(1), 0);
    EXPECT_NE(device.TestUnitReady(1), 0);
}

TEST(CommandExecutionTest, SelectionAddressesTheAspiDrive) {
    testsupport::SimMachineScope sim(R"(
[machine]
platform = 1
[aspi]
[adapter 0]
[adapter 1]
[drive first]
aspi = adapter 0 target 1 lun 0
[drive second]
aspi = adapter 1 target 4 lun 2
)");
    CFlashDevice device(1, nullptr);
    device.SelectDrive(enginetest::AspiEntry(1, 4, 2));
    EXPECT_EQ(device.m_hostAdapter, 1);
    EXPECT_EQ(device.m_targetId, 4);
    EXPECT_EQ(device.m_lun, 2);
    EXPECT_EQ(device.m_ntKind, 0);  // the Windows 98 family has no NT path
    EXPECT_EQ(device.SetWriteMode(1), 0);
    EXPECT_TRUE(sim.drive("second")->InWriteMode());
    EXPECT_TRUE(sim.drive("first")->Log().empty());
}

}  // namespace
