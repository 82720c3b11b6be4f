// Every vendor flash command, byte by byte, in the ATAPI and the SCSI form, as it reaches a
// drive through either transport.
#include <gtest/gtest.h>

#include <functional>

#include "engine/flash_device.h"
#include "tests/engine/engine_support.h"
#include "tests/support/sim_fixture.h"

namespace {

using machine::sim::Direction;

const char* const kNtMachine = R"(
[machine]
platform = 2
[drive cd]
nt = port 0 target 1 lun 0
names = CdRom0
)";

const char* const kAspiMachine = R"(
[machine]
platform = 1
[aspi]
[adapter 0]
[drive cd]
aspi = adapter 0 target 1 lun 0
)";

uint8_t g_block[0x4000];

struct CommandCase {
    const char* name;
    std::function<CompletionCode(CFlashDevice&)> send;
    std::vector<uint8_t> bytes;  // the bytes of both forms, without the zero tail
    Direction direction;         // None: no data phase
    uint32_t length;
    bool testUnitReady;
};

const std::vector<CommandCase>& Cases() {
    static const std::vector<CommandCase> cases = {
        {"TEST UNIT READY",
         [](CFlashDevice& d) { return d.TestUnitReady(0); },
         {0x00},
         Direction::None,
         0,
         true},
        {"TEST UNIT READY, vendor bit",
         [](CFlashDevice& d) { return d.TestUnitReady(1); },
         {0x00, 0, 0, 0, 0, 0x80},
         Direction::None,
         0,
         true},
        {"TEST UNIT READY, flag 2",
         [](CFlashDevice& d) { return d.TestUnitReady(2); },
         {0x00},
         Direction::None,
         0,
         true},
        {"release lock",
         [](CFlashDevice& d) { return d.ReleaseLock(); },
         {0xE0},
         Direction::None,
         0,
         false},
        {"complete write preparation",
         [](CFlashDevice& d) { return d.CompleteWritePreparation(); },
         {0xE1},
         Direction::None,
         0,
         false},
        {"block of 16384",
         [](CFlashDevice& d) { return d.TransferBlock(g_block, 16384); },
         {0xE2, 0, 0, 0, 0, 0x00, 0x40, 0x00},
         Direction::Out,
         16384,
         false},
        {"block of 5",
         [](CFlashDevice& d) { return d.TransferBlock(g_block, 5); },
         {0xE2, 0, 0, 0, 0, 0x00, 0x00, 0x05},
         Direction::Out,
         5,
         false},
        {"read 10 at 4",
         [](CFlashDevice& d) { return d.ReadData(g_block, 4, 10); },
         {0xE3, 0, 0x00, 0x00, 0x00, 0x04, 0, 0x00, 0x0A},
         Direction::In,
         10,
         false},
        {"read 10 at 0x20004",
         [](CFlashDevice& d) { return d.ReadData(g_block, 0x20004, 10); },
         {0xE3, 0, 0x00, 0x02, 0x00, 0x04, 0, 0x00, 0x0A},
         Direction::In,
         10,
         false},
        {"read at 0x8004, length beyond 16 bits",
         [](CFlashDevice& d) { return d.ReadData(g_block, 0x8004, 0x1000A); },
         {0xE3, 0, 0x00, 0x00, 0x80, 0x04, 0, 0x00, 0x0A},
         Direction::In,
         10,
         false},
        {"read at 0x12345678",
         [](CFlashDevice& d) { return d.ReadData(g_block, 0x12345678, 0x1234); },
         {0xE3, 0, 0x12, 0x34, 0x56, 0x78, 0, 0x12, 0x34},
         Direction::In,
         0x1234,
         false},
        {"enter write mode",
         [](CFlashDevice& d) { return d.SetWriteMode(1); },
         {0xE4, 0, 0, 0, 0, 0, 0, 0, 0, 0x40},
         Direction::None,
         0,
         false},
        {"leave write mode",
         [](CFlashDevice& d) { return d.SetWriteMode(0); },
         {0xE4},
         Direction::None,
         0,
         false},
        {"write mode 2 leaves",
         [](CFlashDevice& d) { return d.SetWriteMode(2); },
         {0xE4},
         Direction::None,
         0,
         false},
    };
    return cases;
}

struct Form {
    int atapi;
    uint8_t vendorLength;
    uint8_t testUnitReadyLength;
};

const Form kForms[] = {{1, 12, 12}, {0, 10, 6}, {2, 10, 6}, {-1, 10, 6}};

struct TransportCase {
    const char* name;
    const char* description;
    int platform;
    DriveEntry entry;
    machine::sim::Transport via;
};

class FlashCommandTest : public ::testing::TestWithParam<int> {};

TEST_P(FlashCommandTest, EachCommandHasItsBytesLengthAndDirection) {
    const TransportCase transports[] = {
        {"pass-through", kNtMachine, 2, enginetest::CdRomEntry(0),
         machine::sim::Transport::PassThrough},
        {"ASPI", kAspiMachine, 1, enginetest::AspiEntry(0, 1, 0), machine::sim::Transport::Aspi},
    };
    const TransportCase& transport = transports[GetParam()];
    testsupport::SimMachineScope sim(transport.description);
    auto drive = sim.drive("cd");
    CFlashDevice device(transport.platform, nullptr);

    for (const Form& form : kForms) {
        DriveEntry entry = transport.entry;
        entry.atapi = form.atapi;
        device.SelectDrive(entry);
        for (const CommandCase& c : Cases()) {
            SCOPED_TRACE(std::string(transport.name) + ", m_atapi " + std::to_string(form.atapi) +
                         ", " + c.name);
            drive->ClearLog();
            c.send(device);
            const auto log = drive->Log();
            ASSERT_EQ(log.size(), 1u);
            const uint8_t length = c.testUnitReady ? form.testUnitReadyLength : form.vendorLength;
            std::vector<uint8_t> expected = c.bytes;
            expected.resize(length, 0);
            EXPECT_EQ(enginetest::Cdb(log[0]), expected);
            EXPECT_EQ(log[0].via, transport.via);
            EXPECT_EQ(log[0].length, c.length);
            if (c.direction == Direction::None) {
                EXPECT_NE(log[0].direction, Direction::In);
                EXPECT_NE(log[0].direction, Direction::Out);
            } else {
                EXPECT_EQ(log[0].direction, c.direction);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothTransports, FlashCommandTest, ::testing::Values(0, 1),
                         [](const auto& info) {
                             return std::string(info.param == 0 ? "PassThrough" : "Aspi");
                         });

TEST(FlashCommandDataTest, BlockDataGoesOutAndReadDataComesIn) {
    testsupport::SimMachineScope sim(kNtMachine);
    auto drive = sim.drive("cd");
    CFlashDevice device(2, nullptr);
    device.SelectDrive(enginetest::CdRomEntry(0));

    const std::vector<uint8_t> block = enginetest::MakeImage(100);
    EXPECT_EQ(device.SetWriteMode(1), 0);
    EXPECT_EQ(device.TransferBlock(block.data(), static_cast<int32_t>(block.size())), 0);
    EXPECT_EQ(drive->Log().back().dataOut, block);

    uint8_t typeCode[10] = {};
    EXPECT_EQ(device.ReadData(typeCode, 4, 10), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(typeCode), 6), "ABC123");
}

}  // namespace
