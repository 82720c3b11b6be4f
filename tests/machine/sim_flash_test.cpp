// The drive's vendor flash protocol, end to end through pass-through and through ASPI:
// write mode, flash reads, block reception, the phases and their end, faults, power-off.
#include <gtest/gtest.h>

#include "tests/machine/flash_session.h"
#include "tests/support/sim_fixture.h"

namespace {

using namespace flashtest;
using machine::sim::Phase;

const char* const kNtMachine = R"(
[machine]
platform = 2
[drive cd]
form = atapi
model = CD-R/RW KP2140A
revision = 1.10
type-code = ABC123
type-code-offset = 0x4
flash-size = 0x20000
nt = port 0 target 1
names = CdRom0
)";

std::string WithDrive(const std::string& lines) { return std::string(kNtMachine) + lines + "\n"; }

TEST(SimFlash, UpdateThroughPassThroughWritesTheFlash) {
    testsupport::SimMachineScope sim(kNtMachine);
    auto drive = sim.drive("cd");
    std::vector<BYTE> image = Image(40000, "ABC123", "2.00");
    Update u = RunUpdate(PassThrough("\\\\.\\CdRom0"), true, image);
    EXPECT_EQ(u.enter.status, 0);
    ASSERT_EQ(u.blocks.size(), 3u);
    for (const Reply& b : u.blocks) EXPECT_EQ(b.status, 0);
    EXPECT_EQ(u.release.status, 0);
    EXPECT_EQ(u.prepare.status, 0);
    EXPECT_EQ(u.phases, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(u.end.key, 2);
    EXPECT_EQ(u.end.asc, 0x3A);
    EXPECT_FALSE(drive->InWriteMode());

    std::vector<uint8_t> flash = drive->Flash();
    ASSERT_EQ(flash.size(), 0x20000u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));
    EXPECT_TRUE(
        std::all_of(flash.begin() + 40000, flash.end(), [](uint8_t b) { return b == 0xFF; }));
    // The old firmware runs until the drive is switched off and on.
    EXPECT_EQ(drive->RunningRevision(), "1.10");
}

TEST(SimFlash, PhasesLastTheirConfiguredTimeOnTheClock) {
    testsupport::SimMachineScope sim(
        WithDrive("checking-ms = 1000\nerasing-ms = 0\nwriting-ms = 2000\nverifying-ms = 500"));
    auto drive = sim.drive("cd");
    Sender send = PassThrough("\\\\.\\CdRom0");
    send(Vendor(true, 0xE4, {{9, 0x40}}), kNone, nullptr, 0);
    std::vector<BYTE> image = Image(100, "ABC123", "2.00");
    send(Block(true, 100), kOut, image.data(), 100);
    send(Vendor(true, 0xE0), kNone, nullptr, 0);
    send(Vendor(true, 0xE1), kNone, nullptr, 0);
    struct Step {
        DWORD after;
        Phase phase;
    } steps[] = {{0, Phase::Checking},   {999, Phase::Checking}, {1, Phase::Writing},
                 {1999, Phase::Writing}, {1, Phase::Verifying},  {500, Phase::None}};
    for (const Step& s : steps) {
        Sleep(s.after);
        EXPECT_EQ(drive->CurrentPhase(), s.phase) << "after " << s.after;
    }
    Reply end = send(TestUnitReady(true, true), kNone, nullptr, 0);
    EXPECT_EQ(end.asc, 0x3A);
}

TEST(SimFlash, ReadFlashGivesTheIdentificationBlock) {
    testsupport::SimMachineScope sim(kNtMachine);
    Sender send = PassThrough("\\\\.\\CdRom0");
    BYTE data[10] = {};
    Reply r = send(ReadFlash(true, 4, 10), kIn, data, sizeof data);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.transferred, 10u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 10), "ABC123    ");
    Reply beyond = send(ReadFlash(true, 0x1FFFC, 10), kIn, data, sizeof data);
    EXPECT_EQ(beyond.key, 5);
    EXPECT_EQ(beyond.asc, 0x21);
}

TEST(SimFlash, FailingPhasesEndWithTheirSenseAndKeepTheFlash) {
    struct Case {
        const char* fault;
        BYTE asc;
        std::vector<int> phases;
    } cases[] = {{"checking", 0xF5, {0}},
                 {"erasing", 0xF1, {0, 1}},
                 {"writing", 0xF2, {0, 1, 2}},
                 {"verifying", 0xF4, {0, 1, 2, 3}}};
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(WithDrive(std::string("fault = phase ") + c.fault));
        auto drive = sim.drive("cd");
        std::vector<uint8_t> before = drive->Flash();
        Update u = RunUpdate(PassThrough("\\\\.\\CdRom0"), true, Image(20000, "ABC123", "2.00"));
        EXPECT_EQ(u.end.key, 4) << c.fault;
        EXPECT_EQ(u.end.asc, c.asc) << c.fault;
        EXPECT_EQ(u.phases, c.phases) << c.fault;
        EXPECT_EQ(drive->Flash(), before) << c.fault;
    }
}

TEST(SimFlash, DriveRefusesDataThatIsNotForIt) {
    struct Case {
        const char* what;
        std::vector<BYTE> image;
    } cases[] = {{"another type code", Image(20000, "XYZ999", "2.00")},
                 {"larger than the flash", Image(0x20000 + 1, "ABC123", "2.00")},
                 {"shorter than the type code", std::vector<BYTE>(8, 0x41)}};
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(kNtMachine);
        auto drive = sim.drive("cd");
        std::vector<uint8_t> before = drive->Flash();
        Update u = RunUpdate(PassThrough("\\\\.\\CdRom0"), true, c.image);
        for (const Reply& b : u.blocks) EXPECT_EQ(b.status, 0) << c.what;
        EXPECT_EQ(u.phases, std::vector<int>{0}) << c.what;
        EXPECT_EQ(u.end.key, 4) << c.what;
        EXPECT_EQ(u.end.asc, 0xF5) << c.what;
        EXPECT_EQ(drive->Flash(), before) << c.what;
    }
}

TEST(SimFlash, WrongCommandFormIsRefusedUnlessAccepted) {
    for (bool accept : {false, true}) {
        testsupport::SimMachineScope sim(WithDrive(accept ? "wrong-form = accept" : ""));
        Reply r = PassThrough("\\\\.\\CdRom0")(Vendor(false, 0xE4, {{9, 0x40}}), kNone, nullptr, 0);
        if (accept) {
            EXPECT_EQ(r.status, 0);
        } else {
            EXPECT_EQ(r.key, 5);
            EXPECT_EQ(r.asc, 0x20);
        }
        EXPECT_EQ(sim.drive("cd")->InWriteMode(), accept);
    }
}

TEST(SimFlash, CommandsOutsideWriteModeAreAcceptedOrRefusedAsConfigured) {
    for (bool refuse : {false, true}) {
        testsupport::SimMachineScope sim(WithDrive(refuse ? "outside-write-mode = refuse" : ""));
        Sender send = PassThrough("\\\\.\\CdRom0");
        BYTE data[10];
        std::vector<BYTE> image = Image(100, "ABC123", "2.00");
        Reply replies[] = {send(ReadFlash(true, 4, 10), kIn, data, 10),
                           send(Block(true, 100), kOut, image.data(), 100),
                           send(Vendor(true, 0xE0), kNone, nullptr, 0),
                           send(Vendor(true, 0xE1), kNone, nullptr, 0)};
        for (const Reply& r : replies) {
            EXPECT_EQ(r.status, refuse ? 2 : 0);
            EXPECT_EQ(r.asc, refuse ? 0x2C : 0);
        }
    }
}

TEST(SimFlash, WritePreparationNeedsTheLockReleased) {
    testsupport::SimMachineScope sim(kNtMachine);
    Sender send = PassThrough("\\\\.\\CdRom0");
    send(Vendor(true, 0xE4, {{9, 0x40}}), kNone, nullptr, 0);
    Reply r = send(Vendor(true, 0xE1), kNone, nullptr, 0);
    EXPECT_EQ(r.key, 5);
    EXPECT_EQ(r.asc, 0x2C);
    EXPECT_EQ(sim.drive("cd")->CurrentPhase(), Phase::None);
}

TEST(SimFlash, PlainTestUnitReadyFollowsTheMediumAndTheRun) {
    testsupport::SimMachineScope sim(WithDrive("medium = present"));
    Sender send = PassThrough("\\\\.\\CdRom0");
    EXPECT_EQ(send(TestUnitReady(true, false), kNone, nullptr, 0).status, 0);
    send(Vendor(true, 0xE4, {{9, 0x40}}), kNone, nullptr, 0);
    std::vector<BYTE> image = Image(100, "ABC123", "2.00");
    send(Block(true, 100), kOut, image.data(), 100);
    send(Vendor(true, 0xE0), kNone, nullptr, 0);
    send(Vendor(true, 0xE1), kNone, nullptr, 0);
    Reply during = send(TestUnitReady(true, false), kNone, nullptr, 0);
    EXPECT_EQ(during.key, 2);
    EXPECT_EQ(during.asc, 0x04);
    EXPECT_EQ(during.ascq, 0x07);
}

TEST(SimFlash, CommandFaultsReachThePassThroughCaller) {
    testsupport::SimMachineScope sim(
        WithDrive("fault = command E2 sense 4/08/00 nth 2\n"
                  "fault = command E0 ioctl ERROR_IO_DEVICE\n"
                  "fault = command E1 no-answer"));
    Sender send = PassThrough("\\\\.\\CdRom0");
    send(Vendor(true, 0xE4, {{9, 0x40}}), kNone, nullptr, 0);
    std::vector<BYTE> image = Image(100, "ABC123", "2.00");
    EXPECT_EQ(send(Block(true, 100), kOut, image.data(), 100).status, 0);
    Reply second = send(Block(true, 100), kOut, image.data(), 100);
    EXPECT_EQ(second.key, 4);
    EXPECT_EQ(second.asc, 0x08);
    Reply e0 = send(Vendor(true, 0xE0), kNone, nullptr, 0);
    EXPECT_FALSE(e0.delivered);
    EXPECT_EQ(e0.error, static_cast<DWORD>(ERROR_IO_DEVICE));
    DWORD before = GetTickCount();
    Reply e1 = send(Vendor(true, 0xE1), kNone, nullptr, 0);
    EXPECT_FALSE(e1.delivered);
    EXPECT_EQ(e1.error, static_cast<DWORD>(ERROR_SEM_TIMEOUT));
    EXPECT_EQ(GetTickCount() - before, 10000u);  // the request's time-out, in virtual time
    auto log = sim.drive("cd")->Log();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_TRUE(log[2].faulted);
    EXPECT_EQ(log[1].dataOut, image);
}

TEST(SimFlash, UpdateThroughAspiWithScsiCommandForm) {
    testsupport::SimMachineScope sim(R"(
[machine]
platform = 1
[aspi]
[adapter 0]
[drive scsi]
form = scsi
model = CD-R/RW KP2140S
revision = 1.00
type-code = QRS456
type-code-offset = 0x8004
flash-size = 0x40000
aspi = adapter 0 target 3
completion = async E2 00
)");
    aspitest::Aspi aspi;
    auto drive = sim.drive("scsi");
    std::vector<BYTE> image = Image(0x10000, "QRS456", "3.00", 0x8004);
    Update u = RunUpdate(ThroughAspi(aspi, 0, 3, 0), false, image);
    EXPECT_EQ(u.phases, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(u.end.key, 2);
    EXPECT_EQ(u.end.asc, 0x3A);
    std::vector<uint8_t> flash = drive->Flash();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));
    for (const auto& record : drive->Log()) {
        if (record.cdb[0] >= 0xE0) {
            EXPECT_EQ(record.cdbLength, 10);
        }
    }
}

TEST(SimFlash, PowerOffPowerCyclesTheDrives) {
    testsupport::SimMachineScope sim(kNtMachine);
    auto drive = sim.drive("cd");
    RunUpdate(PassThrough("\\\\.\\CdRom0"), true, Image(20000, "ABC123", "2.00"));
    Sender send = PassThrough("\\\\.\\CdRom0");
    send(Vendor(true, 0xE4, {{9, 0x40}}), kNone, nullptr, 0);
    ASSERT_TRUE(drive->InWriteMode());

    HANDLE token;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    TOKEN_PRIVILEGES tp = {};
    tp.PrivilegeCount = 1;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid));
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ASSERT_TRUE(AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr));
    CloseHandle(token);
    EXPECT_TRUE(ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0));

    EXPECT_EQ(sim->PowerOffs(), std::vector<UINT>{9});
    EXPECT_FALSE(drive->InWriteMode());
    EXPECT_EQ(drive->RunningRevision(), "2.00");
    BYTE inquiry[36] = {};
    send({0x12, 0, 0, 0, 36, 0, 0, 0, 0, 0, 0, 0}, kIn, inquiry, sizeof inquiry);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry + 32), 4), "2.00");
}

TEST(SimFlash, PowerCutDuringARunLeavesTheOldFirmware) {
    testsupport::SimMachineScope sim(kNtMachine);
    auto drive = sim.drive("cd");
    std::vector<uint8_t> before = drive->Flash();
    Sender send = PassThrough("\\\\.\\CdRom0");
    send(Vendor(true, 0xE4, {{9, 0x40}}), kNone, nullptr, 0);
    std::vector<BYTE> image = Image(100, "ABC123", "2.00");
    send(Block(true, 100), kOut, image.data(), 100);
    send(Vendor(true, 0xE0), kNone, nullptr, 0);
    send(Vendor(true, 0xE1), kNone, nullptr, 0);
    drive->PowerCycle();
    Sleep(60000);
    EXPECT_EQ(drive->CurrentPhase(), Phase::None);
    EXPECT_EQ(drive->Flash(), before);
    EXPECT_EQ(drive->RunningRevision(), "1.10");
}

TEST(SimFlash, FlashFileKeepsTheFlashBetweenMachines) {
    testsupport::TempDir dir;
    std::string text = WithDrive("flash-file = cd.flash");
    {
        testsupport::SimMachineScope sim(text, dir.path());
        std::vector<uint8_t> created = dir.Read("cd.flash");
        ASSERT_EQ(created.size(), 0x20000u);
        EXPECT_EQ(std::string(created.begin() + 4, created.begin() + 10), "ABC123");
        EXPECT_EQ(std::string(created.begin() + 36, created.begin() + 40), "1.10");
        RunUpdate(PassThrough("\\\\.\\CdRom0"), true, Image(20000, "ABC123", "2.00"));
    }
    testsupport::SimMachineScope again(text, dir.path());
    EXPECT_EQ(again.drive("cd")->RunningRevision(), "2.00");
}

TEST(SimFlash, FlashFileOfAnotherSizeIsAnError) {
    testsupport::TempDir dir;
    dir.Write("cd.flash", std::string(100, 'x'));
    std::string error;
    auto m =
        machine::sim::SimMachine::FromText(WithDrive("flash-file = cd.flash"), error, dir.path());
    EXPECT_EQ(m, nullptr);
    EXPECT_NE(error.find("holds 100 bytes"), std::string::npos) << error;
}

}  // namespace
